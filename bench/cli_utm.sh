#!/usr/bin/env bash
# Times the whole orrery utm process against GeographicLib's GeoConvert -u on
# the same 1,000,000 positions, in the same run, and prints the ratio
# (target: 0.5 or less). Both write millimetres (-p 3 for GeoConvert, whose
# default is whole metres). Each side runs three times, alternating; the
# fastest run of each counts.
#
#   bench/cli_utm.sh [ORRERY] [LINES]
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

awk -v n="$lines" 'BEGIN {
  srand(42)
  for (i = 0; i < n; ++i) printf "%.6f %.6f\n", -80 + rand() * 163.999, -180 + rand() * 359.999
}' >"$tmp/in"

# Wall time of one run; a run that fails or does not answer every line
# stops the script, so no ratio is printed for work not done.
seconds() {
  local start end
  start=$(date +%s.%N)
  if ! "$@" <"$tmp/in" >"$tmp/out"; then
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

best_ours=
best_peer=
for run in 1 2 3; do
  o=$(seconds "$orrery" utm)
  p=$(seconds "$geoconvert" -u -p 3)
  echo "run $run: orrery utm ${o} s, GeoConvert -u -p 3 ${p} s"
  best_ours=$(awk -v a="$o" -v b="${best_ours:-$o}" 'BEGIN { print (a < b ? a : b) }')
  best_peer=$(awk -v a="$p" -v b="${best_peer:-$p}" 'BEGIN { print (a < b ? a : b) }')
done
printf "%-34s %10s %10s %7s\n" "operation" "ours(s)" "peer(s)" "ratio"
awk -v o="$best_ours" -v p="$best_peer" -v n="$lines" 'BEGIN {
  printf "%-34s %10.3f %10.3f %7.2f\n", "utm stream, " n " lines", o, p, o / p
}'
