#!/usr/bin/env bash
# Conversion throughput against GPSBabel: builds ROWS random waypoints (deterministic seed,
# names in Latin, Chinese and other scripts) once, then converts them between ITN, GPX,
# KML, CSV (each encoding) and GPI -> ITN with GPSBabel and with wayloom-cli in the same run,
# and prints the wall time and peak memory (GNU time's maximum resident set) side by side.
#   bench/convert_throughput.sh [ROWS] [PAIR_FILTER]     (default 1000000, every pair)
# PAIR_FILTER is a grep -E pattern on the pair's label ("gpx>kml", "csv-.*>itn").
# WAYLOOM_CLI chooses the binary (default build/native/wayloom-cli, a Release build);
# WAYLOOM_BASELINE, another wayloom-cli (an older build), adds a "before" line per pair,
# measured in the same run against the same GPSBabel figures. RUNS=N runs every command
# N times and keeps its fastest run (a shared machine's noise only ever slows a run).
# Columns: wall seconds, CPU seconds (user + system: steadier than wall time on a busy
# machine) and peak resident MB of each; speed = GPSBabel time / Wayloom time, by wall
# and by CPU time (target >= 5); memory = Wayloom peak / GPSBabel peak (target <= 0.33).
# GPSBabel has one CSV (unicsv, UTF-8): its run for a CSV pair is the same for every
# encoding, so it is measured once per run and shown on each encoding's line. GPSBabel
# reads and writes ITN as a route: waypoints become the route before it writes ITN, and an
# ITN route becomes waypoints before it writes CSV (its CSV has no routes), so that every
# run converts all the waypoints.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rows=${1:-1000000}
filter=${2:-.}
runs=${RUNS:-1}
cli=${WAYLOOM_CLI:-$root/build/native/wayloom-cli}
[ -x "$cli" ] || { echo "build the native preset first ($cli)" >&2; exit 1; }
command -v gpsbabel >/dev/null || { echo "gpsbabel is not installed" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time (/usr/bin/time) is not installed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The GPX source: lat/lon with five decimals (whole 1e-5 degree units), unique names. The
# GPI holds the same waypoints: GPSBabel's GPI writer takes hours for a million points
# (its time grows with the square of the count), so the file is built here in its layout,
# from a two-point file GPSBabel writes: its header, one area with every point, its tail.
python3 - "$rows" "$work" <<'PY'
import random, struct, subprocess, sys
rows, work = int(sys.argv[1]), sys.argv[2]
random.seed(15)
latin = ['Place', 'Café', 'Straße', 'Ångström', 'Rue de la Paix', 'Fish & Chips', 'Old Mill', 'São Paulo']
chinese = ['台北車站', '高雄港', '阿里山', '日月潭', '花蓮太魯閣', '九份老街', '淡水漁人碼頭']
other = ['Москва', 'Αθήνα', '東京タワー', '서울역', 'القاهرة', 'กรุงเทพ', 'Kraków Główny', 'ירושלים']
def escape(s):
    return s.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;')
points = []
for i in range(rows):
    lon = random.randint(-18000000, 18000000)
    lat = random.randint(-9000000, 9000000)
    kind = random.random()
    words = latin if kind < 0.5 else chinese if kind < 0.8 else other
    points.append((lat, lon, '%s %d' % (random.choice(words), i)))
def write_gpx(path, points):
    with open(path, 'w', encoding='utf-8', newline='\n') as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<gpx version="1.1" creator="convert_throughput" xmlns="http://www.topografix.com/GPX/1/1">\n')
        for k in range(0, len(points), 10000):
            f.write(''.join('<wpt lat="%.5f" lon="%.5f"><name>%s</name></wpt>\n' % (lat / 1e5, lon / 1e5, escape(name))
                            for lat, lon, name in points[k:k + 10000]))
        f.write('</gpx>\n')
write_gpx(work + '/in.gpx', points)
write_gpx(work + '/two.gpx', [(0, 0, 'a'), (100, 100, 'b')])
subprocess.run(['gpsbabel', '-i', 'gpx', '-f', work + '/two.gpx', '-o', 'garmin_gpi', '-F', work + '/two.gpi'], check=True)
t = bytearray(open(work + '/two.gpi', 'rb').read())
pos = 0
while struct.unpack_from('<H', t, pos)[0] != 9:  # the header records, up to the category
    pos += 8 + struct.unpack_from('<I', t, pos + 4)[0]
category = pos
area = category + 16 + struct.unpack_from('<I', t, category + 12)[0]  # after the category's names
assert struct.unpack_from('<HH', t, area) == (8, 8)
first = area + 12 + struct.unpack_from('<I', t, area + 8)[0]
end = area + 12 + struct.unpack_from('<I', t, area + 4)[0]
per_degree = 2 ** 32 / 360
def gpi_units(units):  # 180 degrees is one past the largest 32-bit value
    return max(-2 ** 31, min(2 ** 31 - 1, int(round(units / 1e5 * per_degree))))
def poi(lat, lon, name):
    text = name.encode('cp1252', errors='replace')
    names = b'EN' + struct.pack('<H', len(text)) + text
    own = struct.pack('<ii', gpi_units(lat), gpi_units(lon)) + b'\x01\x00\x00' + struct.pack('<I', len(names)) + names
    category_ref = struct.pack('<HHI', 4, 0, 2) + b'\x00\x00'
    return struct.pack('<HHII', 2, 8, len(own) + len(category_ref), len(own)) + own + category_ref
body = b''.join(poi(*p) for p in points)
delta = len(body) - (end - first)
for at in (category + 4, category + 8, area + 4):
    struct.pack_into('<I', t, at, struct.unpack_from('<I', t, at)[0] + delta)
struct.pack_into('<iiii', t, area + 12, gpi_units(9000000), gpi_units(18000000), gpi_units(-9000000), gpi_units(-18000000))
with open(work + '/in.gpi', 'wb') as f:
    f.write(t[:first] + body + t[end:])
PY

# Inputs: each tool reads the same file where it can (ITN, GPX, KML, GPI); for CSV each
# reads its own layout (Wayloom: lon,lat,name,status; GPSBabel: unicsv with a header line).
"$cli" convert "$work/in.gpx" "$work/in.itn" 2>/dev/null
"$cli" convert "$work/in.gpx" "$work/in.kml" 2>/dev/null
for enc in ansi unicode utf8; do "$cli" convert "$work/in.gpx" "$work/in-$enc.csv" --to "csv-$enc"; done
gpsbabel -i gpx -f "$work/in.gpx" -o unicsv -F "$work/in-gpsbabel.csv"
echo "input: $rows waypoints; bytes: gpx $(stat -c %s "$work/in.gpx"), itn $(stat -c %s "$work/in.itn"), kml $(stat -c %s "$work/in.kml"), csv-utf8 $(stat -c %s "$work/in-utf8.csv"), gpi $(stat -c %s "$work/in.gpi")"
echo "wayloom-cli: $cli"
echo "machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -1); fastest of $runs run(s) each"

declare -A babel_name=([itn]=tomtom_itn [gpx]=gpx [kml]=kml [csv]=unicsv [gpi]=garmin_gpi)
declare -A babel_cache=()

# Prints "wall_seconds cpu_seconds kib" of one command: of its fastest run of RUNS.
measure() {
  local run best=""
  for ((run = 0; run < runs; ++run)); do
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || {
      echo "failed: $*" >&2; cat "$work/stderr" >&2; exit 1; }
    best=$(awk -v best="$best" '{ now = $1 " " $2 + $3 " " $4
      split(best, b, " "); print (best == "" || $1 < b[1]) ? now : best }' "$work/time")
  done
  echo "$best"
}

printf '%-18s %7s %7s %8s   %7s %7s %8s   %6s %6s %6s\n' pair babel_s cpu_s MB wayloom_s cpu_s MB speed cpu_x memory
line() {  # label, gpsbabel "wall cpu kib", wayloom "wall cpu kib"
  awk -v l="$1" -v b="$2" -v w="$3" 'BEGIN {
    split(b, x, " "); split(w, y, " ")
    for (k = 1; k <= 2; ++k) if (y[k] < 0.01) y[k] = 0.01
    printf "%-18s %7.2f %7.2f %8.1f   %7.2f %7.2f %8.1f   %5.1fx %5.1fx %6.2f\n", l, x[1], x[2], x[3] / 1024,
           y[1], y[2], y[3] / 1024, x[1] / y[1], x[2] / y[2], y[3] / x[3] }'
}
run_pair() {  # from (itn|gpx|kml|csv-ENC|gpi), to (itn|gpx|kml|csv-ENC)
  local from=$1 to=$2 label="$1>$2"
  grep -qE "$filter" <<<"$label" || return 0
  local bfrom=${from%%-*} bto=${to%%-*}
  local win=$work/in.$from
  [[ $from == csv-* ]] && win=$work/in-${from#csv-}.csv
  local bin=$work/in.$bfrom
  [[ $bfrom == csv ]] && bin=$work/in-gpsbabel.csv
  local key="$bfrom>$bto" transform=()
  [ "$bto" = itn ] && transform=(-x transform,rte=wpt,del)
  [ "$bfrom" = itn ] && [ "$bto" = csv ] && transform=(-x transform,wpt=rte,del)
  if [ -z "${babel_cache[$key]:-}" ]; then
    babel_cache[$key]=$(measure gpsbabel -i "${babel_name[$bfrom]}" -f "$bin" "${transform[@]}" \
      -o "${babel_name[$bto]}" -F "$work/out-babel.$bto")
  fi
  line "$label" "${babel_cache[$key]}" "$(measure "$cli" convert "$win" "$work/out-wayloom.$bto" --to "$to")"
  if [ -n "${WAYLOOM_BASELINE:-}" ]; then
    line "  before" "${babel_cache[$key]}" "$(measure "$WAYLOOM_BASELINE" convert "$win" "$work/out-before.$bto" --to "$to")"
    cmp -s "$work/out-wayloom.$bto" "$work/out-before.$bto" || echo "  OUTPUTS DIFFER: $label"
  fi
}

text_formats=(itn gpx kml csv-ansi csv-unicode csv-utf8)
for from in "${text_formats[@]}"; do
  for to in "${text_formats[@]}"; do
    [ "${from%%-*}" = "${to%%-*}" ] && continue
    run_pair "$from" "$to"
  done
done
run_pair gpi itn
