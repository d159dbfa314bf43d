#!/usr/bin/env bash
# Set-up, build and install the library, then build the example consumer
# against the installed package and run it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default -DORRERY_BUILD_TESTS=ON -DORRERY_BUILD_BENCHMARKS=ON >/dev/null
cmake --build --preset default --target math
cmake --install build/default --prefix build/default-prefix >/dev/null
cmake -S examples/lookat -B build/example-lookat -DCMAKE_PREFIX_PATH="$PWD/build/default-prefix" >/dev/null
cmake --build build/example-lookat >/dev/null
build/example-lookat/lookat
