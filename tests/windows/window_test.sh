#!/usr/bin/env bash
# End-to-end test of Wayloom.exe under Wine: opens an itinerary named on the command line,
# checks the window title and the table through WindowProbe.exe, saves it, closes the
# program and checks what it left on disk (the saved file and Wayloom.ini beside the exe).
#
#   tests/windows/window_test.sh [build folder]        (default build/win64)
#
# Uses $DISPLAY when set, otherwise runs itself again under xvfb-run.
set -uo pipefail
[[ -n "${DISPLAY:-}" ]] || exec xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" "$@"

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-build/win64}"
[[ -d "$build" ]] || build="$repo/$build"
build="$(cd "$build" 2>/dev/null && pwd)" || { echo "window test: no build folder ${1:-build/win64}" >&2; exit 1; }
for needed in "$build/Wayloom.exe" "$build/WindowProbe.exe"; do
  [[ -f "$needed" ]] || { echo "window test: $needed is missing (build Wayloom and WindowProbe)" >&2; exit 1; }
done

source "$repo/scripts/wine-env.sh"
export LC_ALL=C.UTF-8  # Chinese file names and arguments pass through Wine as UTF-8
bash "$repo/scripts/wine-prefix.sh" || { echo "window test: cannot prepare the Wine prefix" >&2; exit 1; }
work="$(mktemp -d /tmp/wayloom-window.XXXXXX)"
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
wineserver -p >/dev/null 2>&1

passed=0
failed=0
# check <description> <command...>: runs the command and counts it as passed or failed.
check() {
  local what="$1"
  shift
  if "$@"; then passed=$((passed + 1)); echo "window test: PASS $what"; else failed=$((failed + 1)); echo "window test: FAIL $what"; fi
}

# The program writes its ini file beside itself, so it runs from the temporary folder.
cp "$build/Wayloom.exe" "$build/WindowProbe.exe" "$work/"

# The weekly version check asks a server on 127.0.0.1 (the ini file names it) and never
# the network; the reply names the program's own version, so nothing is announced.
mkdir -p "$work/site/WayloomApp"
printf 'v0.1.0.0 same version' >"$work/site/WayloomApp/Version.inf"
python3 -m http.server --bind 127.0.0.1 --directory "$work/site" 0 >"$work/http.log" 2>&1 &
http_server=$!
trap 'kill $http_server 2>/dev/null; wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
check_nothing_left() { ! pgrep -f "$(basename "$work").*Wayloom.exe" >/dev/null; }
for _ in $(seq 50); do grep -q "Serving HTTP" "$work/http.log" && break; sleep 0.1; done
http_port="$(sed -n 's/.*port \([0-9]*\).*/\1/p' "$work/http.log" | head -1)"
{ printf '\xFF\xFE'; printf '[Services]\r\nVersion Check=http://127.0.0.1:%s/WayloomApp/Version.inf\r\n' "$http_port" |
  iconv -f UTF-8 -t UTF-16LE; } >"$work/Wayloom.ini"
itinerary="$work/台北 行程.itn"
printf '\xEF\xBB\xBF12150000|2503300|台北 101|0\r\n12095000|2386000|日月潭|0\r\n12020400|2299200|台南 孔廟|2\r\n' \
  >"$itinerary"
touch -d '2001-01-01 00:00' "$itinerary"

# probe <file> <expected title> <expected rows> [options]: WindowProbe.exe, its report indented.
probe() {
  local file="$1"
  shift
  timeout 180 wine "$work/WindowProbe.exe" "$(winepath -w "$work/Wayloom.exe")" "$(winepath -w "$file")" "$@" \
    >"$work/probe.log" 2>&1
  local status=$?
  sed 's/^/  /' "$work/probe.log"
  return $status
}

check "file on the command line: window title, 3 rows, first name, keys delete and undo, clean exit" \
  probe "$itinerary" "台北 行程 - Wayloom" 3 --first-name "台北 101" --keys --save

# The save command replaced the file through a temporary file that must be gone.
saved() {
  [[ -n "$(find "$itinerary" -newermt '2001-01-02')" && "$(grep -c '|' "$itinerary")" -eq 3 ]] &&
    grep -q '台北 101' "$itinerary" && grep -q '台南 孔廟' "$itinerary"
}
check "saved itinerary rewritten with its 3 records" saved
check "no temporary save file left" test -z "$(find "$work" -name '*.wltmp')"

ini="$work/Wayloom.ini"
check "Wayloom.ini written beside the program in UTF-16LE" \
  test "$(head -c 2 "$ini" 2>/dev/null | od -An -tx1 | tr -d ' ')" == "fffe"
iconv -f UTF-16 -t UTF-8 "$ini" 2>/dev/null | tr -d '\r' >"$work/ini.txt"

# section_has_keys <section> <key...>: true when the section has every one of the keys.
section_has_keys() {
  local body key
  body="$(awk -v want="[$1]" '/^\[/ { inside = ($0 == want); next } inside' "$work/ini.txt")"
  shift
  for key in "$@"; do grep -q "^$key=" <<<"$body" || return 1; done
}
check "[Options] has Show Menu Bar" section_has_keys Options "Show Menu Bar"
check "[Window] has Left, Top, Width, Height, Show" section_has_keys Window Left Top Width Height Show
check "profile records carry the product version" grep -q 'v0.1.0.0 繁體中文, 台灣' "$work/ini.txt"
check "version check asked the local server once, and announced nothing" \
  bash -c "grep -q 'GET /WayloomApp/Version.inf' '$work/http.log' && ! grep -q '^Last Notify=' '$work/ini.txt'"

# A folder on the command line opens nothing ("Open Last" is off by default).
check "folder on the command line: new document" probe "$work" "未命名 - Wayloom" 0

# With "Open Last" on, a path that names nothing gives way to the first recent file.
{ printf '\xFF\xFE'; sed 's/^Open Last=.*/Open Last=1/; s/$/\r/' "$work/ini.txt" | iconv -f UTF-8 -t UTF-16LE; } >"$ini"
check "missing file on the command line with Open Last: last file reopened" \
  probe "$work/missing.itn" "台北 行程 - Wayloom" 3 --first-name "台北 101"

check "no Wayloom.exe left running" check_nothing_left

if [[ $failed -ne 0 ]]; then
  echo "--- Wayloom.ini"
  cat "$work/ini.txt"
fi
echo "window test: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
