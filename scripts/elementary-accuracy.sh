#!/usr/bin/env bash
# The elementary functions against MPFR (scripts/elementary-accuracy/
# accuracy.cpp): per function, mismatches and worst error in ulp, the C
# library's on the same arguments, the share of slow-path calls and the time
# per path. Builds the program from the library sources with the slow path's
# call counter (ORRERY_ELEMENTARY_STATS), at -O2 -ffp-contract=off, into
# build/accuracy; the library as shipped has no counter.
#
#   scripts/elementary-accuracy.sh            10,000,000 arguments per function
#   scripts/elementary-accuracy.sh 100000     fewer (CI's short run)
#   scripts/elementary-accuracy.sh 1000000 atan2   one function
#   build/default/tests/golden/golden --expand | scripts/elementary-accuracy.sh --verify
#       whether each elementary result of the golden program is MPFR's
# Exits non-zero when any result differs from MPFR's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=${ACCURACY_BUILD_DIR:-$root/build/accuracy}
mkdir -p "$out"
mapfile -t math_sources < <(sed -n 's/^  \([A-Za-z]*\.cpp\)$/math\/\1/p' math/Sources.cmake)
read -r -a qt_cflags <<<"$(pkg-config --cflags Qt6Core)"
read -r -a libs <<<"$(pkg-config --libs Qt6Core mpfr)"
flags=(-std=c++20 -O2 -ffp-contract=off -fno-fast-math -fPIC -w -DORRERY_ELEMENTARY_STATS
  -I"$root" "${qt_cflags[@]}")
objs=()
for src in "${math_sources[@]}" common/Memory.cpp common/DateTime.cpp \
  scripts/elementary-accuracy/accuracy.cpp; do
  obj=$out/$(echo "${src%.cpp}" | tr / _).o
  # Only what changed since the last build is compiled again.
  if [ ! "$obj" -nt "$src" ] || [ -n "$(find math common -name '*.h' -newer "$obj" | head -1)" ]; then
    rm -f "$obj"
    g++ "${flags[@]}" -c "$src" -o "$obj" &
  fi
  objs+=("$obj")
  if [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; then wait -n; fi
done
wait
g++ "${objs[@]}" "${libs[@]}" -pthread -o "$out/accuracy"
exec "$out/accuracy" "$@"
