#!/usr/bin/env bash
# Installs what building and testing Wayloom needs on Debian (run as root); installs
# only what is missing, so a second run is quick.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3 git
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686
  wine wine64 qemu-user xvfb xauth x11-utils fonts-wqy-microhei fonts-wine imagemagick tango-icon-theme
  gpsbabel gcab
  chromium
)

# The 32-bit Wine loader, for running the 32-bit build's tests; it comes from the i386
# architecture, which dpkg must know about before apt can see it.
i386_packages=(wine32:i386 libwine:i386)

missing=()
for package in "${packages[@]}" "${i386_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
# The map page's script library and the browser tests' driver, pinned by package-lock.json.
npm_packages() {
  if [ ! -d node_modules/leaflet ] || [ ! -d node_modules/playwright-core ] || [ package-lock.json -nt node_modules ]; then
    echo "setup: installing the npm packages"
    (cd "$(dirname "$0")/.." && npm ci --no-audit --no-fund --loglevel=error) && touch node_modules
  fi
}
# Node.js may come from elsewhere than Debian (its own npm inside): only a missing command counts.
command -v node >/dev/null && command -v npm >/dev/null || missing+=(nodejs npm)
if [ ${#missing[@]} -eq 0 ]; then
  npm_packages
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these packages are missing; run as root to install them: ${missing[*]}" >&2
  exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture"
  dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Another apt or dpkg run may hold the locks for a while: wait for it instead of failing.
apt_get() {
  apt-get -o DPkg::Lock::Timeout=600 "$@"
}
apt_get update -q
apt_get install -y -q --no-install-recommends "${missing[@]}"
npm_packages
