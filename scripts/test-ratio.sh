#!/usr/bin/env bash
# Prints how much of the repository's code is test code: the lines of the C++
# and the scripts (.sh, .cmake, .py, CMakeLists.txt) under tests/ and fuzz/
# against those of the whole repository, with the aim of at most 35%. Seed
# corpora and expected outputs are data, not code, and are not counted.
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
  git ls-files -- "$@" | grep -E '(\.(h|cpp|sh|cmake|py)|(^|/)CMakeLists\.txt)$' |
    grep -v '/corpus/' | xargs -r cat | wc -l
}
all=$(count .)
tests=$(count tests fuzz)
awk -v t="$tests" -v a="$all" 'BEGIN {
  printf "test code: %d of %d lines of code (%.1f%%; aim: at most 35%%)\n", t, a, 100 * t / a }'
