#!/usr/bin/env bash
# Set-up, build and install the library and the orrery command, then run the
# library's main job: culling a photograph on a sphere against a camera's view.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default -DORRERY_BUILD_TESTS=ON -DORRERY_BUILD_BENCHMARKS=ON >/dev/null
cmake --build --preset default --target math orrery
cmake --install build/default --prefix build/default-prefix >/dev/null
build/default-prefix/bin/orrery demo
