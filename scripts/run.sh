#!/usr/bin/env bash
# Builds Wayloom for 64-bit Windows and starts it under Wine, optionally with a file:
#   scripts/run.sh [FILE]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Wayloom
source scripts/wine-env.sh
if [ -z "${DISPLAY:-}" ]; then
  # No X server: start a virtual one so the program still runs (look at it with a VNC or
  # a screenshot: DISPLAY=:77 import -window root shot.png).
  export DISPLAY=:77
  if ! [ -e /tmp/.X11-unix/X77 ]; then
    Xvfb :77 -screen 0 1280x800x24 >/dev/null 2>&1 &
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X77 ] && break; sleep 0.1; done
  fi
  echo "run: no DISPLAY; started Xvfb on :77"
fi
bash scripts/wine-prefix.sh
if [ $# -gt 0 ]; then
  file=$(realpath "$1")
  exec wine build/win64/Wayloom.exe "$(winepath -w "$file")"
fi
exec wine build/win64/Wayloom.exe
