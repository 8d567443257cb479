#!/usr/bin/env bash
# Prepares a Wine prefix for running Wayloom's window tests: boots it once and maps the
# Windows UI fonts to WenQuanYi Micro Hei (package fonts-wqy-microhei) so that Chinese
# text in captions, menus and controls is drawn instead of boxes. The prefix is a 64-bit
# one; when Wine's 32-bit loader (package wine32:i386) is installed it also gets the
# 32-bit system folder (syswow64) and runs 32-bit programs as well.
#
#   WINEPREFIX=/path/to/prefix scripts/wine-prefix.sh     (default $HOME/.wine-wayloom)
#
# Downloads nothing: Mono and Gecko are switched off while booting. Running it again on a
# prepared prefix does nothing (a stamp file in the prefix records the preparation).
set -euo pipefail

source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/wine-env.sh"
# Wine turns the command line into UTF-16 with the locale's encoding; the Chinese
# registry names below need UTF-8.
export LC_ALL=C.UTF-8

# Raise this when the preparation below changes, so prepared prefixes are redone.
readonly STAMP_VERSION=3
readonly STAMP="$WINEPREFIX/.wayloom-prefix"
readonly FONT_FILE=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
readonly FONT_LINK="wqy-microhei.ttc,WenQuanYi Micro Hei"
readonly FONT_FAMILY="WenQuanYi Micro Hei"
readonly SYSTEM_LINK='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
readonly REPLACEMENTS='HKCU\Software\Wine\Fonts\Replacements'
readonly X11_DRIVER='HKCU\Software\Wine\X11 Driver'
# Wine draws the caption buttons with Marlett; Debian ships it in the package fonts-wine,
# but a prefix only sees fonts in its own Fonts folder.
readonly MARLETT=/usr/share/wine/fonts/marlett.ttf
readonly PREFIX_FONTS="$WINEPREFIX/drive_c/windows/Fonts"
readonly WINE64="$WAYLOOM_WINE64"
readonly WINE32=/usr/lib/wine/wine
readonly SYSWOW64_KERNEL32="$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll"
readonly WITH_I386="$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/with-i386.sh"

install_marlett() {
  [[ -f "$PREFIX_FONTS/marlett.ttf" ]] && return
  if [[ ! -f "$MARLETT" ]]; then
    echo "wine-prefix: $MARLETT is missing (package fonts-wine): title bar buttons show as letters" >&2
    return
  fi
  mkdir -p "$PREFIX_FONTS"
  cp "$MARLETT" "$PREFIX_FONTS/"
}

# Two removable drives for the ephemeris update's tests: folders inside the prefix linked
# as R: and S: (relative links, so that a copy of the prefix has drives of its own) and
# typed "floppy". Wine reads drive types only when its server starts, so the server is
# left to end here before any test program runs.
add_removable_drives() {
  local letter
  for letter in r s; do
    mkdir -p "$WINEPREFIX/wayloom-drives/$letter"
    [[ "$(readlink "$WINEPREFIX/dosdevices/$letter:" || true)" == "../wayloom-drives/$letter" ]] ||
      ln -sfn "../wayloom-drives/$letter" "$WINEPREFIX/dosdevices/$letter:"
  done
  grep -q '^"s:"="floppy"' "$WINEPREFIX/system.reg" 2>/dev/null && return
  for letter in r s; do
    "$WAYLOOM_WINE64" reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /t REG_SZ /d floppy /f >/dev/null 2>&1 || {
      echo "wine-prefix: cannot type drive $letter: as removable" >&2
      exit 1
    }
  done
  wineserver -w
}

# A prefix booted before wine32 was installed has an empty syswow64: it is redone.
if [[ -f "$STAMP" && "$(cat "$STAMP")" == "$STAMP_VERSION" ]] &&
   [[ ! -x "$WINE32" || -f "$SYSWOW64_KERNEL32" ]]; then
  install_marlett  # fonts-wine may have been installed after the prefix was made
  add_removable_drives
  exit 0
fi
if [[ ! -f "$FONT_FILE" ]]; then
  echo "wine-prefix: $FONT_FILE is missing (install the package fonts-wqy-microhei)" >&2
  exit 1
fi

echo "wine-prefix: preparing $WINEPREFIX"
mkdir -p "$WINEPREFIX"
if [[ -x "$WINE32" ]]; then
  # Booting fills syswow64 through 32-bit helper programs.
  bash "$WITH_I386" "$WINE64" wineboot -u >/dev/null 2>&1
  wineserver -w
  if [[ ! -f "$SYSWOW64_KERNEL32" ]]; then
    echo "wine-prefix: booting did not set up the 32-bit system folder (syswow64)" >&2
    exit 1
  fi
else
  "$WINE64" wineboot -u >/dev/null 2>&1
  wineserver -w
fi

add_value() {  # key name type data [/reg:32]
  "$WINE64" reg add "$1" /v "$2" /t "$3" /d "$4" /f "${@:5}" >/dev/null 2>&1 || {
    echo "wine-prefix: cannot write $1\\$2" >&2
    exit 1
  }
}

# HKLM\Software has a view of its own for 32-bit programs.
for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" "Microsoft Sans Serif"; do
  add_value "$SYSTEM_LINK" "$face" REG_MULTI_SZ "$FONT_LINK"
  add_value "$SYSTEM_LINK" "$face" REG_MULTI_SZ "$FONT_LINK" /reg:32
done
for face in "PMingLiU" "MingLiU" "新細明體" "Microsoft JhengHei"; do
  add_value "$REPLACEMENTS" "$face" REG_SZ "$FONT_FAMILY"
done
# Without a window manager (Xvfb) Wine draws the title bars itself only for windows it
# does not hand to a manager; the screenshots need the title bar.
add_value "$X11_DRIVER" "Managed" REG_SZ "N"
wineserver -w
install_marlett
add_removable_drives

echo "$STAMP_VERSION" >"$STAMP"
echo "wine-prefix: ready"
