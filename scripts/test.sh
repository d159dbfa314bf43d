#!/usr/bin/env bash
# Set-up, build (warnings are errors) and the whole test suite through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default -DORRERY_BUILD_TESTS=ON -DORRERY_BUILD_BENCHMARKS=ON
cmake --build --preset default
ctest --preset default
