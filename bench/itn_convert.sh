#!/usr/bin/env bash
# Reads and writes a 1,000,000-record itinerary with wayloom-cli and with GPSBabel, and
# prints the wall time and peak memory (maximum resident set) of each.
#   bench/itn_convert.sh [ROWS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rows=${1:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cli="$root/build/native/wayloom-cli"
[ -x "$cli" ] || { echo "build the native preset first" >&2; exit 1; }

python3 - "$rows" "$work/in.itn" <<'PY'
import random, sys
rows, path = int(sys.argv[1]), sys.argv[2]
random.seed(7)
with open(path, 'wb') as f:
    out = []
    for i in range(rows):
        lon = random.randint(-18000000, 18000000)
        lat = random.randint(-9000000, 9000000)
        out.append(b'%d|%d|Place number %d near the road|%d|\r\n' % (lon, lat, i, random.choice((0, 2))))
        if len(out) == 10000:
            f.write(b''.join(out)); out = []
    f.write(b''.join(out))
PY
echo "input: $rows records, $(stat -c %s "$work/in.itn") bytes"

measure() {  # label, command...
  python3 - "$rows" "$@" <<'PY'
import resource, subprocess, sys, time
rows, label, command = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
start = time.perf_counter()
subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
seconds = time.perf_counter() - start
kib = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
print(f"{label:<10} {seconds:8.3f} s   peak {kib:9d} KiB   {kib * 1024 / rows:6.1f} bytes/row")
PY
}

measure wayloom "$cli" convert "$work/in.itn" "$work/out-wayloom.itn"
if command -v gpsbabel >/dev/null; then
  measure gpsbabel gpsbabel -r -i tomtom_itn -f "$work/in.itn" -o tomtom_itn -F "$work/out-gpsbabel.itn"
fi
