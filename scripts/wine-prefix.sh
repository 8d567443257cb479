#!/usr/bin/env bash
# Prepares a Wine prefix for running Wayloom's window tests: boots it once and maps the
# Windows UI fonts to WenQuanYi Micro Hei (package fonts-wqy-microhei) so that Chinese
# text in captions, menus and controls is drawn instead of boxes.
#
#   WINEPREFIX=/path/to/prefix scripts/wine-prefix.sh     (default $HOME/.wine-wayloom)
#
# Downloads nothing: Mono and Gecko are switched off while booting. Running it again on a
# prepared prefix does nothing (a stamp file in the prefix records the preparation).
set -euo pipefail

export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-wayloom}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree=;mshtml="
# Wine turns the command line into UTF-16 with the locale's encoding; the Chinese
# registry names below need UTF-8.
export LC_ALL=C.UTF-8

# Raise this when the preparation below changes, so prepared prefixes are redone.
readonly STAMP_VERSION=2
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

install_marlett() {
  [[ -f "$PREFIX_FONTS/marlett.ttf" ]] && return
  if [[ ! -f "$MARLETT" ]]; then
    echo "wine-prefix: $MARLETT is missing (package fonts-wine): title bar buttons show as letters" >&2
    return
  fi
  mkdir -p "$PREFIX_FONTS"
  cp "$MARLETT" "$PREFIX_FONTS/"
}

if [[ -f "$STAMP" && "$(cat "$STAMP")" == "$STAMP_VERSION" ]]; then
  install_marlett  # fonts-wine may have been installed after the prefix was made
  exit 0
fi
if [[ ! -f "$FONT_FILE" ]]; then
  echo "wine-prefix: $FONT_FILE is missing (install the package fonts-wqy-microhei)" >&2
  exit 1
fi

echo "wine-prefix: preparing $WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w

add_value() {  # key name type data
  wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1 || {
    echo "wine-prefix: cannot write $1\\$2" >&2
    exit 1
  }
}

for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" "Microsoft Sans Serif"; do
  add_value "$SYSTEM_LINK" "$face" REG_MULTI_SZ "$FONT_LINK"
done
for face in "PMingLiU" "MingLiU" "新細明體" "Microsoft JhengHei"; do
  add_value "$REPLACEMENTS" "$face" REG_SZ "$FONT_FAMILY"
done
# Without a window manager (Xvfb) Wine draws the title bars itself only for windows it
# does not hand to a manager; the screenshots need the title bar.
add_value "$X11_DRIVER" "Managed" REG_SZ "N"
wineserver -w
install_marlett

echo "$STAMP_VERSION" >"$STAMP"
echo "wine-prefix: ready"
