#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test suite:
# unit tests (plain and under AddressSanitizer/UndefinedBehaviorSanitizer), the fuzzers
# for a bounded time, the Windows tests and the window test under Wine, the 32-bit build and
# its Windows tests under Wine's 32-bit loader.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh || exit 1

jobs=${WAYLOOM_JOBS:-2}
fuzz_seconds=${WAYLOOM_FUZZ_SECONDS:-30}
passed=0
failed=0
failures=()
started=$(date +%s)

suite() {
  local name=$1
  shift
  echo
  echo "== $name"
  local t0=$(date +%s)
  if "$@"; then
    passed=$((passed + 1))
    echo "-- $name: ok ($(( $(date +%s) - t0 )) s)"
  else
    failed=$((failed + 1))
    failures+=("$name")
    echo "-- $name: FAILED ($(( $(date +%s) - t0 )) s)"
  fi
}

build() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs" "${@:2}"
}

run_fuzzers() {
  local corpus_dir=build/fuzz/corpus
  local ok=0
  for target in build/fuzz/tests/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    local name=$(basename "$target")
    mkdir -p "$corpus_dir/$name"
    cp tests/fuzz/seeds/* "$corpus_dir/$name/" 2>/dev/null
    echo "fuzzing $name for ${fuzz_seconds}s"
    if ! "$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="build/fuzz/$name-" \
        "$corpus_dir/$name" >"build/fuzz/$name.log" 2>&1; then
      tail -n 40 "build/fuzz/$name.log"
      ok=1
    else
      grep -E 'stat::number_of_executed_units|Done' "build/fuzz/$name.log" | head -n 2
    fi
  done
  return $ok
}

windows_tests() {  # build folder, then the command that starts its programs
  # The XML report is written only when every test ran. A program that ended early (its X
  # server or Wine's lost under load) is run once more and said so; failed tests fail.
  local report="$1/windows-tests.xml" attempt
  # Wine's Z: drive is the root; no Wine program may start outside the test's X server.
  local windows_report="Z:$(realpath -m "$report" | tr / '\\')"
  bash scripts/wine-prefix.sh >/dev/null || return 1
  for attempt in 1 2; do
    rm -f "$report"
    xvfb-run -a -s "-screen 0 1024x768x24" "${@:2}" "$1/wayloom_windows_tests.exe" \
      --gtest_output="xml:$windows_report"
    [ -f "$report" ] && break
    echo "windows tests: the program ended before writing its report (attempt $attempt)"
  done
  [ -f "$report" ] && grep -q '<testsuites [^>]*failures="0"' "$report"
}

source scripts/wine-env.sh
suite "native build" build native
suite "unit tests" ctest --test-dir build/native --output-on-failure
suite "sanitizer build" build sanitize
suite "unit tests under sanitizers" ctest --test-dir build/sanitize --output-on-failure
suite "map page tests" node --test tests/page/
suite "fuzz build" build fuzz
suite "fuzzers" run_fuzzers
suite "win64 build" build win64 --target Wayloom wayloom_windows_tests WindowProbe wayloom-cli
suite "windows tests under wine" windows_tests build/win64 wine
suite "window test under wine" bash tests/windows/window_test.sh build/win64
suite "win32 build" build win32 --target Wayloom wayloom_windows_tests
suite "32-bit windows tests under wine" windows_tests build/win32 bash scripts/with-i386.sh /usr/lib/wine/wine
wineserver -k 2>/dev/null

echo
echo "total time: $(( $(date +%s) - started )) s"
[ ${#failures[@]} -gt 0 ] && echo "failed suites: ${failures[*]}"
echo "suites: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
