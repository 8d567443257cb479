#!/usr/bin/env bash
# End-to-end test of Wayloom.exe under Wine: opens an itinerary named on the command line,
# checks the window title and the table through WindowProbe.exe, saves it, closes the
# program and checks what it left on disk (the saved file and Wayloom.ini beside the exe).
#
#   tests/windows/window_test.sh [build folder]        (default build/win64)
#
# WAYLOOM_SCREENSHOT=/path/shot.png also saves a screenshot of the open window.
# Uses $DISPLAY when set, otherwise starts Xvfb on a free display.
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-build/win64}"
[[ -d "$build" ]] || build="$repo/$build"
build="$(cd "$build" 2>/dev/null && pwd)" || { echo "window test: no build folder ${1:-build/win64}" >&2; exit 1; }

source "$repo/scripts/wine-env.sh"
export LC_ALL=C.UTF-8  # Chinese file names and arguments pass through Wine as UTF-8

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "window test: PASS $1"; }
fail() { failed=$((failed + 1)); echo "window test: FAIL $1"; }

for needed in "$build/Wayloom.exe" "$build/WindowProbe.exe"; do
  [[ -f "$needed" ]] || { echo "window test: $needed is missing (build Wayloom and WindowProbe)" >&2; exit 1; }
done
for tool in wine wineserver winepath iconv; do
  command -v "$tool" >/dev/null || { echo "window test: $tool is not installed" >&2; exit 1; }
done

work="$(mktemp -d /tmp/wayloom-window.XXXXXX)"
xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb() {
  command -v Xvfb >/dev/null || { echo "window test: Xvfb is not installed and DISPLAY is not set" >&2; exit 1; }
  local display
  for display in $(seq 93 140); do
    [[ -e "/tmp/.X$display-lock" || -e "/tmp/.X11-unix/X$display" ]] && continue
    Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
      [[ -S "/tmp/.X11-unix/X$display" ]] && { export DISPLAY=":$display"; return; }
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
  done
  echo "window test: cannot start Xvfb" >&2
  exit 1
}

[[ -n "${DISPLAY:-}" ]] || start_xvfb
bash "$repo/scripts/wine-prefix.sh" || { echo "window test: cannot prepare the Wine prefix" >&2; exit 1; }
wineserver -p >/dev/null 2>&1

# The program writes its ini file beside itself, so it runs from the temporary folder.
cp "$build/Wayloom.exe" "$build/WindowProbe.exe" "$work/"
itinerary="$work/台北 行程.itn"
printf '\xEF\xBB\xBF12150000|2503300|台北 101|0\r\n12095000|2386000|日月潭|0\r\n12020400|2299200|台南 孔廟|2\r\n' \
  >"$itinerary"
touch -d '2001-01-01 00:00' "$itinerary"

# Runs WindowProbe.exe with the given arguments; its report goes to the output indented.
run_probe() {
  timeout 180 wine "$work/WindowProbe.exe" "$@" >"$work/probe.log" 2>&1
  local status=$?
  sed 's/^/  /' "$work/probe.log"
  return $status
}

probe_arguments=(
  "$(winepath -w "$work/Wayloom.exe")" "$(winepath -w "$itinerary")" "台北 行程 - Wayloom" 3
  --first-name "台北 101" --save
)
if [[ -n "${WAYLOOM_SCREENSHOT:-}" ]]; then
  probe_arguments+=(--screenshot-pause "$(winepath -w "$work")\\pause")
fi

run_probe "${probe_arguments[@]}" &
probe_pid=$!
if [[ -n "${WAYLOOM_SCREENSHOT:-}" ]]; then
  while [[ ! -f "$work/pause.ready" ]] && kill -0 "$probe_pid" 2>/dev/null; do sleep 0.2; done
  if [[ -f "$work/pause.ready" ]]; then
    sleep 1  # let the window finish painting
    if import -window root "$WAYLOOM_SCREENSHOT"; then
      echo "window test: screenshot saved to $WAYLOOM_SCREENSHOT"
    else
      echo "window test: screenshot failed" >&2
    fi
    touch "$work/pause.go"
  fi
fi
if wait "$probe_pid"; then
  pass "file on the command line: window title, 3 rows, first name, clean exit"
else
  fail "file on the command line: WindowProbe failed"
fi

# The save command replaced the file through a temporary file that must be gone.
if [[ -n "$(find "$itinerary" -newermt '2001-01-02')" ]] && [[ "$(grep -c '|' "$itinerary")" -eq 3 ]] &&
   grep -q '台北 101' "$itinerary" && grep -q '台南 孔廟' "$itinerary"; then
  pass "saved itinerary rewritten with its 3 records"
else
  fail "saved itinerary was not rewritten with its 3 records"
fi
leftovers="$(find "$work" -name '*.wltmp')"
if [[ -z "$leftovers" ]]; then pass "no temporary save file left"; else fail "temporary save file left: $leftovers"; fi

ini="$work/Wayloom.ini"
if [[ -f "$ini" && "$(head -c 2 "$ini" | od -An -tx1 | tr -d ' ')" == "fffe" ]]; then
  pass "Wayloom.ini written beside the program in UTF-16LE"
  iconv -f UTF-16 -t UTF-8 "$ini" | tr -d '\r' >"$work/ini.txt"
else
  fail "Wayloom.ini missing or without the UTF-16LE byte order mark"
  : >"$work/ini.txt"
fi

# True when the section has every one of the keys.
section_has_keys() {
  local section="$1"
  shift
  local body
  body="$(awk -v want="[$section]" '/^\[/ { inside = ($0 == want); next } inside' "$work/ini.txt")"
  local key
  for key in "$@"; do
    grep -q "^$key=" <<<"$body" || return 1
  done
}
if section_has_keys Options "Show Menu Bar"; then pass "[Options] has Show Menu Bar"; else fail "[Options] lacks Show Menu Bar"; fi
if section_has_keys Window Left Top Width Height Show; then
  pass "[Window] has Left, Top, Width, Height, Show"
else
  fail "[Window] lacks one of Left, Top, Width, Height, Show"
fi
if grep -q 'v0.1.0.0 繁體中文, 台灣' "$work/ini.txt"; then
  pass "profile records carry the product version"
else
  fail "profile records lack the product version"
fi

# A folder on the command line opens nothing ("Open Last" is off by default).
if run_probe "$(winepath -w "$work/Wayloom.exe")" "$(winepath -w "$work")" "未命名 - Wayloom" 0; then
  pass "folder on the command line: new document"
else
  fail "folder on the command line: WindowProbe failed"
fi

# With "Open Last" on, a path that names nothing gives way to the first recent file.
if [[ -f "$ini" ]]; then
  { printf '\xFF\xFE'; iconv -f UTF-16 -t UTF-8 "$ini" | sed 's/^Open Last=[^\r]*/Open Last=1/' | iconv -f UTF-8 -t UTF-16LE; } \
    >"$work/edited.ini" && mv "$work/edited.ini" "$ini"
fi
if run_probe "$(winepath -w "$work/Wayloom.exe")" "$(winepath -w "$work/missing.itn")" "台北 行程 - Wayloom" 3 \
     --first-name "台北 101"; then
  pass "missing file on the command line with Open Last: last file reopened"
else
  fail "missing file on the command line with Open Last: WindowProbe failed"
fi

if [[ $failed -ne 0 ]]; then
  echo "--- Wayloom.ini"
  cat "$work/ini.txt"
fi
echo "window test: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
