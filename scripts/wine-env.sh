# Sourced by every script that runs Wine: the prefix, quiet logs, no Mono or Gecko, and a
# `wine` that runs 64-bit programs on every machine.
#
# Debian's `wine` (and `winepath`, which calls `wine-stable`) starts the 32-bit loader
# whenever the package wine32:i386 is installed; that loader cannot start at all where the
# kernel does not run 32-bit programs. The 64-bit programs go to wine64 directly instead,
# through two small commands put first on PATH; 32-bit programs are started through
# scripts/with-i386.sh.

export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-wayloom}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree=;mshtml="
readonly WAYLOOM_WINE64=/usr/lib/wine/wine64

wayloom_wine_bin="${TMPDIR:-/tmp}/wayloom-wine-bin.$(id -u)"
if [[ -x "$WAYLOOM_WINE64" ]]; then
  mkdir -p "$wayloom_wine_bin"
  for wayloom_command in wine wine-stable; do
    printf '#!/bin/sh\nexec %s "$@"\n' "$WAYLOOM_WINE64" >"$wayloom_wine_bin/$wayloom_command.new"
    chmod +x "$wayloom_wine_bin/$wayloom_command.new"
    mv -f "$wayloom_wine_bin/$wayloom_command.new" "$wayloom_wine_bin/$wayloom_command"
  done
  case ":$PATH:" in
    *":$wayloom_wine_bin:"*) ;;
    *) export PATH="$wayloom_wine_bin:$PATH" ;;
  esac
fi
unset wayloom_command
