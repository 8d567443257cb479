#!/usr/bin/env bash
# Conversion throughput against GPSBabel: builds ROWS random waypoints (deterministic seed,
# names in Latin, Chinese and other scripts) once, then converts them between ITN, GPX,
# KML, CSV (each encoding) and GPI -> ITN with GPSBabel and with wayloom-cli in the same run,
# and prints the wall time and peak memory (GNU time's maximum resident set) side by side.
#   bench/convert_throughput.sh [ROWS] [PAIR_FILTER]     (default 1000000, every pair)
# PAIR_FILTER is a grep -E pattern on the pair's label ("gpx>kml", "csv-.*>itn").
# WAYLOOM_CLI chooses the binary (default build/native/wayloom-cli, a Release build).
# speed = GPSBabel time / Wayloom time (target >= 5); memory = Wayloom / GPSBabel (<= 0.33).
# GPSBabel has one CSV (unicsv, UTF-8): its run for a CSV pair is the same for every
# encoding, so it is measured once per run and shown on each encoding's line. GPSBabel
# reads and writes ITN as a route: waypoints become the route before it writes ITN, and an
# ITN route becomes waypoints before it writes CSV (its CSV has no routes), so that every
# run converts all the waypoints.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rows=${1:-1000000}
filter=${2:-.}
cli=${WAYLOOM_CLI:-$root/build/native/wayloom-cli}
[ -x "$cli" ] || { echo "build the native preset first ($cli)" >&2; exit 1; }
command -v gpsbabel >/dev/null || { echo "gpsbabel is not installed" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time (/usr/bin/time) is not installed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The GPX source: lat/lon with five decimals (whole 1e-5 degree units), unique names.
python3 - "$rows" "$work/in.gpx" <<'PY'
import random, sys
rows, path = int(sys.argv[1]), sys.argv[2]
random.seed(15)
latin = ['Place', 'Café', 'Straße', 'Ångström', 'Rue de la Paix', 'Fish & Chips', 'Old Mill', 'São Paulo']
chinese = ['台北車站', '高雄港', '阿里山', '日月潭', '花蓮太魯閣', '九份老街', '淡水漁人碼頭']
other = ['Москва', 'Αθήνα', '東京タワー', '서울역', 'القاهرة', 'กรุงเทพ', 'Kraków Główny', 'ירושלים']
def escape(s):
    return s.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;')
with open(path, 'w', encoding='utf-8', newline='\n') as f:
    f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<gpx version="1.1" creator="convert_throughput" xmlns="http://www.topografix.com/GPX/1/1">\n')
    out = []
    for i in range(rows):
        lon = random.randint(-18000000, 18000000)
        lat = random.randint(-9000000, 9000000)
        kind = random.random()
        words = latin if kind < 0.5 else chinese if kind < 0.8 else other
        name = '%s %d' % (random.choice(words), i)
        out.append('<wpt lat="%.5f" lon="%.5f"><name>%s</name></wpt>\n' % (lat / 1e5, lon / 1e5, escape(name)))
        if len(out) == 10000:
            f.write(''.join(out)); out = []
    f.write(''.join(out))
    f.write('</gpx>\n')
PY

# Inputs: each tool reads the same file where it can (ITN, GPX, KML, GPI); for CSV each
# reads its own layout (Wayloom: lon,lat,name,status; GPSBabel: unicsv with a header line).
"$cli" convert "$work/in.gpx" "$work/in.itn" 2>/dev/null
"$cli" convert "$work/in.gpx" "$work/in.kml" 2>/dev/null
for enc in ansi unicode utf8; do "$cli" convert "$work/in.gpx" "$work/in-$enc.csv" --to "csv-$enc"; done
gpsbabel -i gpx -f "$work/in.gpx" -o unicsv -F "$work/in-gpsbabel.csv"
gpsbabel -i gpx -f "$work/in.gpx" -o garmin_gpi -F "$work/in.gpi"
echo "input: $rows waypoints; bytes: gpx $(stat -c %s "$work/in.gpx"), itn $(stat -c %s "$work/in.itn"), kml $(stat -c %s "$work/in.kml"), csv-utf8 $(stat -c %s "$work/in-utf8.csv"), gpi $(stat -c %s "$work/in.gpi")"
echo "wayloom-cli: $cli"
echo "machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -1)"

declare -A babel_name=([itn]=tomtom_itn [gpx]=gpx [kml]=kml [csv]=unicsv [gpi]=garmin_gpi)
declare -A babel_cache=()

# Prints "seconds kib" of one command.
measure() {
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || {
    echo "failed: $*" >&2; cat "$work/stderr" >&2; exit 1; }
  cat "$work/time"
}

printf '%-18s %9s %9s   %9s %9s   %7s %7s\n' pair babel_s babel_MB wayloom_s wayloom_MB speed memory
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
  local wl
  wl=$(measure "$cli" convert "$win" "$work/out-wayloom.${bto}" --to "$to")
  read -r bs bk <<<"${babel_cache[$key]}"
  read -r ws wk <<<"$wl"
  awk -v l="$label" -v bs="$bs" -v bk="$bk" -v ws="$ws" -v wk="$wk" 'BEGIN {
    if (ws < 0.01) ws = 0.01
    printf "%-18s %9.2f %9.1f   %9.2f %9.1f   %6.1fx %7.2f\n", l, bs, bk / 1024, ws, wk / 1024, bs / ws, wk / bk }'
}

text_formats=(itn gpx kml csv-ansi csv-unicode csv-utf8)
for from in "${text_formats[@]}"; do
  for to in "${text_formats[@]}"; do
    [ "${from%%-*}" = "${to%%-*}" ] && continue
    run_pair "$from" "$to"
  done
done
run_pair gpi itn
