#!/usr/bin/env bash
# The reliability checks, in order: clang-tidy over math/, common/ and tools/
# (scripts/tidy.sh), the reference with every public member documented and
# warnings as errors (scripts/docs.sh, a few seconds), the whole test suite
# under AddressSanitizer with UndefinedBehaviorSanitizer (leaks included), the
# whole test suite under
# ThreadSanitizer, the golden results across compilers and optimisation levels,
# the golden results and the command's output on other machines
# (scripts/cross-check.sh: x86-64 without the C library's FMA/AVX paths, and
# aarch64 under qemu-aarch64), the elementary functions against MPFR on
# ACCURACY_ARGS arguments each (default 100000; scripts/elementary-accuracy.sh)
# and a bounded libFuzzer pass over every harness in fuzz/. Prints a summary
# and exits non-zero when any step fails.
#
#   scripts/reliability.sh                      everything
#   FUZZ_RUNS=20000000 FUZZ_SECONDS=600 scripts/reliability.sh   longer fuzzing
#   FUZZ_SEED=0 scripts/reliability.sh          a fresh random seed (default 1)
#   RELIABILITY_STEPS="golden fuzz" scripts/reliability.sh
#   RELIABILITY_STEPS="golden hwcaps aarch64 accuracy" scripts/reliability.sh
#                                               the same bits everywhere
#   RELIABILITY_STEPS=tidy scripts/reliability.sh  only clang-tidy
#   RELIABILITY_STEPS=docs scripts/reliability.sh  only the reference
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# Each harness runs a fixed number of inputs from a fixed seed, starting from
# the seed corpus alone, so a pass is repeatable: every machine tries the same
# inputs in the same order, and a slower one stops early at the time ceiling,
# having tried a prefix of them.
fuzz_runs=${FUZZ_RUNS:-2000000}
fuzz_seconds=${FUZZ_SECONDS:-30}
fuzz_seed=${FUZZ_SEED:-1}
steps=${RELIABILITY_STEPS:-tidy docs asan tsan golden hwcaps aarch64 accuracy fuzz}
accuracy_args=${ACCURACY_ARGS:-100000}

# Set-up: the main build's packages, then clang 14 with its runtime libraries
# (libFuzzer and the sanitizers), asking apt only for what is missing.
scripts/setup.sh clang-14 libclang-rt-14-dev || exit 1

logs=$root/build/reliability
mkdir -p "$logs"
summary=()
failed=0
started=$(date +%s)

# Runs "$@" with its output in $logs/<name>.log and records the outcome.
step() {
  local name=$1
  shift
  local t0
  t0=$(date +%s)
  echo "reliability: $name ..."
  if "$@" >"$logs/$name.log" 2>&1; then
    summary+=("$(printf '%-8s ok      %4ss' "$name" $(($(date +%s) - t0)))")
  else
    summary+=("$(printf '%-8s FAILED  %4ss  (see %s)' "$name" $(($(date +%s) - t0)) \
      "build/reliability/$name.log")")
    failed=1
    tail -30 "$logs/$name.log"
    return 1
  fi
}

preset() { # configure, build and test one sanitizer preset
  cmake --preset "$1" && cmake --build --preset "$1" && ctest --preset "$1"
}

fuzz_all() {
  cmake -S fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null &&
    cmake --build build/fuzz -j2 || return 1
  local status=0 harness name runs
  mkdir -p build/fuzz/artifacts
  # Comparison feedback sees pointer values, so address randomisation would
  # steer the mutations differently on every run; run without it when allowed.
  local fixed=()
  if setarch -R true 2>/dev/null; then
    fixed=(setarch -R)
  fi
  for harness in fuzz/*_fuzz.cpp; do
    name=$(basename "$harness" _fuzz.cpp)
    # New inputs go to the build tree, afresh each pass; the seeds in
    # fuzz/corpus stay as they are.
    rm -rf "build/fuzz/corpus/$name" && mkdir -p "build/fuzz/corpus/$name"
    if "${fixed[@]}" build/fuzz/fuzz_"$name" -runs="$fuzz_runs" -max_total_time="$fuzz_seconds" \
      -seed="$fuzz_seed" -reload=0 -print_final_stats=1 \
      -artifact_prefix=build/fuzz/artifacts/"$name"- "build/fuzz/corpus/$name" \
      "fuzz/corpus/$name" >"$logs/fuzz-$name.log" 2>&1; then
      runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$logs/fuzz-$name.log")
      printf '  %-14s %12s executions\n' "$name" "$runs"
    else
      printf '  %-14s FAILED (build/reliability/fuzz-%s.log)\n' "$name" "$name"
      grep -E 'invariant failed|runtime error|ERROR' "$logs/fuzz-$name.log" | head -5
      status=1
    fi
  done
  return $status
}

for s in $steps; do
  case $s in
  tidy) step tidy scripts/tidy.sh ;;
  docs) step docs scripts/docs.sh ;;
  asan) step asan preset asan ;;
  tsan) step tsan preset tsan ;;
  golden) step golden tests/golden/check.sh ;;
  hwcaps | aarch64)
    # A failing step has shown its log's end already.
    step "$s" scripts/cross-check.sh "$s" && grep '^cross-check:' "$logs/$s.log" ;;
  accuracy) step accuracy scripts/elementary-accuracy.sh "$accuracy_args" &&
    cat "$logs/accuracy.log" ;;
  fuzz)
    step fuzz fuzz_all
    grep -E '^  ' "$logs/fuzz.log" ;;
  *) echo "reliability: unknown step $s" && failed=1 ;;
  esac
done

echo
echo "reliability summary ($(($(date +%s) - started))s):"
printf '  %s\n' "${summary[@]}"
exit $failed
