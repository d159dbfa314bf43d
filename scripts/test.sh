#!/usr/bin/env bash
# Set-up, build (warnings are errors) and the whole test suite through CTest.
# With CI=true it then runs scripts/reliability.sh too: the suite under the
# address/undefined-behaviour and thread sanitizers, the golden results across
# compilers and a bounded, seeded fuzzing pass.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default -DORRERY_BUILD_TESTS=ON -DORRERY_BUILD_BENCHMARKS=ON
cmake --build --preset default
ctest --preset default
if [ "${CI:-}" = "true" ]; then
  scripts/reliability.sh
fi
scripts/test-ratio.sh
