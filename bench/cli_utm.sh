#!/usr/bin/env bash
# Times whole orrery processes against GeographicLib's GeoConvert on the same
# 1,000,000 lines, in the same run, and prints the ratios (target: 0.1 or
# less): utm and utm --inverse against GeoConvert -u -p 3 and -g -p 3 (both
# millimetres and 8 decimals of degrees), mgrs and mgrs --inverse against
# GeoConvert -m -p 0 (metres, 5 digits) and -g -p 3. Each side runs RUNS
# times (default 3), alternating; the fastest run of each counts.
#
#   [RUNS=N] bench/cli_utm.sh [ORRERY] [LINES]
set -euo pipefail
cd "$(dirname "$0")/.."
orrery=${1:-build/default/tools/orrery}
lines=${2:-1000000}
if [ ! -x "$orrery" ] || ! "$orrery" utm 0 0 >/dev/null 2>&1; then
  echo "cli_utm.sh: cannot run '$orrery utm' (build it, or pass the path of orrery)" >&2
  exit 1
fi
geoconvert=$(command -v GeoConvert || true)
if [ -z "$geoconvert" ]; then
  echo "GeoConvert not found (Debian package geographiclib-tools)" >&2
  exit 1
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Positions over the whole globe (UTM and, beyond 80 S and 84 N, UPS); the
# inverse reads what GeoConvert writes, which both sides accept.
awk -v n="$lines" 'BEGIN {
  srand(42)
  for (i = 0; i < n; ++i) printf "%.6f %.6f\n", -90 + rand() * 180, -180 + rand() * 359.999
}' >"$tmp/latlon"
"$geoconvert" -u -p 3 <"$tmp/latlon" >"$tmp/utm"
"$geoconvert" -m -p 0 <"$tmp/latlon" >"$tmp/mgrs"

# Wall time of one run on the file $input; a run that fails or does not
# answer every line stops the script, so no ratio is printed for work not
# done.
seconds() {
  local start end
  start=$(date +%s.%N)
  if ! "$@" <"$input" >"$tmp/out"; then
    echo "cli_utm.sh: $* failed" >&2
    exit 1
  fi
  end=$(date +%s.%N)
  if [ "$(wc -l <"$tmp/out")" -ne "$lines" ]; then
    echo "cli_utm.sh: $* wrote $(wc -l <"$tmp/out") lines for $lines" >&2
    exit 1
  fi
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

# race NAME INPUT "OURS..." "PEER...": the fastest of $runs alternating runs
# of each, and their ratio.
runs=${RUNS:-3}
rows=()
race() {
  local name=$1 o p best_ours= best_peer= r
  input=$tmp/$2
  read -ra ours <<<"$3"
  read -ra peer <<<"$4"
  for ((r = 1; r <= runs; ++r)); do
    o=$(seconds "$orrery" "${ours[@]}")
    p=$(seconds "$geoconvert" "${peer[@]}")
    echo "$name, run $r: orrery $3 ${o} s, GeoConvert $4 ${p} s"
    best_ours=$(awk -v a="$o" -v b="${best_ours:-$o}" 'BEGIN { print (a < b ? a : b) }')
    best_peer=$(awk -v a="$p" -v b="${best_peer:-$p}" 'BEGIN { print (a < b ? a : b) }')
  done
  rows+=("$(awk -v n="$name, $lines lines" -v o="$best_ours" -v p="$best_peer" \
    'BEGIN { printf "%-34s %10.3f %10.3f %7.3f", n, o, p, o / p }')")
}

race "utm stream" latlon "utm" "-u -p 3"
race "utm --inverse stream" utm "utm --inverse" "-g -p 3"
race "mgrs stream" latlon "mgrs" "-m -p 0"
race "mgrs --inverse stream" mgrs "mgrs --inverse" "-g -p 3"
printf "%-34s %10s %10s %7s\n" "operation" "ours(s)" "peer(s)" "ratio"
printf "%s\n" "${rows[@]}"
