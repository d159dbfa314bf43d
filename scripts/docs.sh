#!/usr/bin/env bash
# Builds the reference documentation into build/docs/html (Doxygen, with the
# conventions page and its generated figures).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh doxygen graphviz
export ORRERY_FIGURES=$PWD/build/docs/figures ORRERY_DOCS_OUT=$PWD/build/docs
docs/make-figures.sh "$ORRERY_FIGURES"
(cd docs && doxygen Doxyfile)
echo "documentation: build/docs/html/index.html"
