#!/usr/bin/env bash
# The library's results on other machines than the one that wrote
# tests/golden/expected.txt (x86-64 with FMA and AVX). Two checks:
#
#   hwcaps   x86-64 without the C library's FMA/AVX code paths
#            (GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA,-FMA4,-AVX, what a
#            processor without FMA gets): the golden program against
#            expected.txt, and the orrery command against itself run normally.
#   aarch64  the library sources, common/, the golden program and tools/
#            cross-compiled for aarch64 and run under qemu-aarch64: the golden
#            program against expected.txt, the command against the x86-64 one.
#
# The command reads LINES seeded random places (default 3000) and prints them
# through `convert --from lla --to cart`, `utm -p 9` and `utm -c -p 9`. Every
# comparison prints how many lines differ and the first few; the script exits
# non-zero when any line differs.
#
#   scripts/cross-check.sh                 both checks
#   scripts/cross-check.sh hwcaps          one of them
#   LINES=200000 scripts/cross-check.sh    more places
#   CROSS_SETUP=0 scripts/cross-check.sh   the packages are known to be there
#
# Both programs are compiled here from the sources, with the library's flags
# (-O2 -ffp-contract=off), into build/cross/<arch>.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=${CROSS_BUILD_DIR:-$root/build/cross}
lines=${LINES:-3000}
checks=${*:-hwcaps aarch64}
tunables=glibc.cpu.hwcaps=-AVX2,-FMA,-FMA4,-AVX
mkdir -p "$out"

if [ "${CROSS_SETUP:-1}" != 0 ]; then
  if [[ " $checks " == *" aarch64 "* ]]; then
    scripts/setup.sh --cross >/dev/null || exit 1
  else
    scripts/setup.sh >/dev/null || exit 1
  fi
fi

mapfile -t math_sources < <(sed -n 's/^  \([A-Za-z]*\.cpp\)$/math\/\1/p' math/Sources.cmake)
lib_sources=("${math_sources[@]}" common/Memory.cpp common/DateTime.cpp)
mapfile -t tool_sources < <(ls tools/*.cpp)
read -r -a qt_cflags <<<"$(pkg-config --cflags Qt6Core)"
flags=(-std=c++20 -O2 -ffp-contract=off -fno-fast-math -fPIC -w -I"$root" "${qt_cflags[@]}")

build() { # arch compiler libraries...: build/cross/<arch>/{golden,orrery}
  local arch=$1 cxx=$2 dir=$out/$1 objs=() src obj
  shift 2
  mkdir -p "$dir"
  for src in "${lib_sources[@]}" tests/golden/golden.cpp "${tool_sources[@]}"; do
    obj=$dir/$(echo "${src%.cpp}" | tr / _).o
    # Only what changed since the last run is compiled again.
    if [ ! "$obj" -nt "$src" ] || [ -n "$(find math common tools tests/golden -name '*.h' -newer "$obj" | head -1)" ]; then
      rm -f "$obj"
      "$cxx" "${flags[@]}" -c "$src" -o "$obj" &
    fi
    objs+=("$obj")
    if [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; then wait -n; fi
  done
  wait
  local lib=("${objs[@]:0:${#lib_sources[@]}}")
  local golden=$dir/tests_golden_golden.o
  local tool=("${objs[@]:$((${#lib_sources[@]} + 1))}")
  "$cxx" "${lib[@]}" "$golden" "$@" -o "$dir/golden" &&
    "$cxx" "${lib[@]}" "${tool[@]}" "$@" -o "$dir/orrery"
}

# Seeded random places, the same file for every run: "LAT LON ALT" over the
# whole globe, from 1 km below to 10 km above the ellipsoid.
places=$out/places-$lines.txt
[ -s "$places" ] || awk -v n="$lines" 'BEGIN {
  srand(24)
  for (i = 0; i < n; ++i)
    printf "%.9f %.9f %.3f\n", -90 + rand() * 180, -180 + rand() * 360, -1000 + rand() * 11000
}' >"$places"

run() { # label runner...: the golden program and the three commands
  local label=$1 dir
  shift
  dir=$out/$label
  mkdir -p "$dir"
  "$@" golden >"$dir/golden.txt"
  "$@" orrery convert --from lla --to cart <"$places" >"$dir/convert.txt" 2>&1
  cut -d' ' -f1,2 "$places" | "$@" orrery utm -p 9 >"$dir/utm.txt" 2>&1
  cut -d' ' -f1,2 "$places" | "$@" orrery utm -c -p 9 >"$dir/utmc.txt" 2>&1
}

status=0
compare() { # what expected got
  local n
  n=$(awk 'NR == FNR { a[FNR] = $0; m = FNR; next }
           { if (a[FNR] != $0) ++d; k = FNR }
           END { if (k != m) d += (k > m ? k - m : m - k); print d + 0 }' "$2" "$3")
  printf 'cross-check: %-34s %6d of %d lines differ\n' "$1" "$n" "$(wc -l <"$2")"
  if [ "$n" -ne 0 ]; then
    diff "$2" "$3" | grep '^[<>]' | head -6 | cut -c1-160
    status=1
  fi
}

host() { "$out/x86_64/$1" "${@:2}"; }
host_without() { env GLIBC_TUNABLES=$tunables "$out/x86_64/$1" "${@:2}"; }
emulated() { qemu-aarch64 "$out/aarch64/$1" "${@:2}"; }
qt_arm=/usr/lib/aarch64-linux-gnu/libQt6Core.so.6

t0=$(date +%s)
build x86_64 g++ $(pkg-config --libs Qt6Core mpfr) || exit 1
run x86_64 host
compare "x86-64: golden" tests/golden/expected.txt "$out/x86_64/golden.txt"
for c in $checks; do
  case $c in
  hwcaps)
    if ! grep -qw fma /proc/cpuinfo; then
      echo "cross-check: this processor has no FMA: the C library takes the same paths either way"
    fi
    run hwcaps host_without
    compare "no FMA/AVX: golden" tests/golden/expected.txt "$out/hwcaps/golden.txt"
    for f in convert utm utmc; do
      compare "no FMA/AVX: $f" "$out/x86_64/$f.txt" "$out/hwcaps/$f.txt"
    done
    ;;
  aarch64)
    build aarch64 aarch64-linux-gnu-g++ "$qt_arm" -lmpfr -lgmp || exit 1
    run aarch64 emulated
    compare "aarch64: golden" tests/golden/expected.txt "$out/aarch64/golden.txt"
    for f in convert utm utmc; do
      compare "aarch64: $f" "$out/x86_64/$f.txt" "$out/aarch64/$f.txt"
    done
    ;;
  *) echo "cross-check: unknown check $c" && status=1 ;;
  esac
done
echo "cross-check: $lines places, $(($(date +%s) - t0))s"
exit $status
