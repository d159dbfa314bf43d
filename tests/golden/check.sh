#!/usr/bin/env bash
# Builds the golden program four ways (g++ -O0, g++ -O2, clang++-14 -O2, and
# g++ -O2 without the elementary functions' fused multiply-add copies, so that
# a processor that has it runs the baseline code as one without would), each
# compiling the library sources itself with the same flags, and checks that
# the four outputs are identical and equal to tests/golden/expected.txt.
# A change of any result is then a change of that file, made on purpose:
#   tests/golden/check.sh            check
#   tests/golden/check.sh --update   rewrite expected.txt from the g++ -O2 build
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${GOLDEN_BUILD_DIR:-$root/build/golden}
mkdir -p "$out"

mapfile -t math_sources < <(sed -n 's/^  \([A-Za-z]*\.cpp\)$/math\/\1/p' "$root/math/Sources.cmake")
sources=("${math_sources[@]}" common/Memory.cpp common/DateTime.cpp tests/golden/golden.cpp)
# Results are pinned to the last bit: no contraction into fused multiply-adds
# and no value-changing optimisation, as in the library's own build.
common_flags=(-std=c++20 -ffp-contract=off -fno-fast-math -fPIC -w -I"$root")
read -r -a qt_cflags <<<"$(pkg-config --cflags Qt6Core)"
read -r -a qt_libs <<<"$(pkg-config --libs Qt6Core mpfr)"

build() { # name compiler optimisation [flags...]
  local name=$1 cxx=$2 opt=$3 objs=()
  local extra=("${@:4}")
  for src in "${sources[@]}"; do
    local obj="$out/$name-$(basename "${src%.cpp}").o"
    "$cxx" "${common_flags[@]}" "$opt" "${extra[@]}" "${qt_cflags[@]}" -c "$root/$src" -o "$obj" &
    objs+=("$obj")
    # Two compilations at a time.
    if [ "$(jobs -rp | wc -l)" -ge 2 ]; then wait -n; fi
  done
  wait
  "$cxx" "${objs[@]}" "${qt_libs[@]}" -o "$out/golden-$name"
  "$out/golden-$name" >"$out/$name.txt"
}

build gcc-O0 g++ -O0
build gcc-O2 g++ -O2
build clang-O2 clang++-14 -O2
build gcc-O2-baseline g++ -O2 -DORRERY_NO_FMA_COPIES

status=0
for other in gcc-O0 clang-O2 gcc-O2-baseline; do
  if ! cmp -s "$out/gcc-O2.txt" "$out/$other.txt"; then
    echo "golden: $other differs from gcc-O2:"
    diff "$out/gcc-O2.txt" "$out/$other.txt" | head -20
    status=1
  fi
done

expected=$root/tests/golden/expected.txt
digest=$(sha256sum "$out/gcc-O2.txt" | cut -d' ' -f1)
if [ "${1:-}" = "--update" ]; then
  cp "$out/gcc-O2.txt" "$expected"
  echo "golden: wrote $expected ($(wc -l <"$expected") results, digest $digest)"
  exit $status
fi
if ! cmp -s "$out/gcc-O2.txt" "$expected"; then
  echo "golden: gcc-O2 differs from tests/golden/expected.txt:"
  diff "$expected" "$out/gcc-O2.txt" | head -20
  status=1
fi
[ $status -eq 0 ] && echo "golden: 4 builds agree on $(wc -l <"$out/gcc-O2.txt") results, digest $digest"
exit $status
