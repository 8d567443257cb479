#!/usr/bin/env bash
# Installs what building and testing Wayloom needs on Debian (run as root); installs
# only what is missing, so a second run is quick.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3 git
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686
  wine wine64 xvfb xauth x11-utils fonts-wqy-microhei fonts-wine imagemagick
  gpsbabel
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these packages are missing; run as root to install them: ${missing[*]}" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
