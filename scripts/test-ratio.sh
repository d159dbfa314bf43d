#!/usr/bin/env bash
# Prints how much of the repository's C++ is test code: the lines of tests/
# and fuzz/ (seed corpus excluded) against all C++ lines, with the aim of at
# most a third.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { git ls-files -- "$@" | grep -E '\.(h|cpp)$' | grep -v '/corpus/' | xargs -r cat | wc -l; }
all=$(count .)
tests=$(count tests fuzz)
awk -v t="$tests" -v a="$all" 'BEGIN {
  printf "test code: %d of %d C++ lines (%.1f%%; aim: at most 33.3%%)\n", t, a, 100 * t / a }'
