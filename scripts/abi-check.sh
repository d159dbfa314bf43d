#!/usr/bin/env bash
# Compares the binary interface of a built libmath.so with the baseline kept
# in abi/libmath.dump. A change to the boundary must be deliberate: rerun with
# --update and commit the new baseline together with the change.
#   scripts/abi-check.sh [--update] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
update=false
if [ "${1:-}" = "--update" ]; then
  update=true
  shift
fi
build=$(realpath "${1:-build/default}")
lib=$build/math/libmath.so
scripts/setup.sh >/dev/null
[ -f "$lib" ] || { echo "abi-check: no $lib (build first)" >&2; exit 2; }

work=$build/abi
mkdir -p "$work"
abi-dumper "$lib" -o "$work/libmath.dump" -lver current -public-headers math >"$work/dump.log" 2>&1 ||
  { cat "$work/dump.log" >&2; exit 2; }
if $update; then
  cp "$work/libmath.dump" abi/libmath.dump
  echo "abi-check: baseline updated (abi/libmath.dump)"
  exit 0
fi
abi-compliance-checker -l libmath -old abi/libmath.dump -new "$work/libmath.dump" \
  -report-path "$work/report.html" -binary >"$work/check.log" 2>&1 || {
  tail -n 5 "$work/check.log" >&2
  echo "abi-check: the binary interface changed; see $work/report.html" >&2
  exit 1
}
echo "abi-check: binary interface unchanged"
