#!/usr/bin/env bash
# Builds the reference documentation into build/docs/html (Doxygen, with the
# conventions page and its generated figures).
set -euo pipefail
cd "$(dirname "$0")/.."
missing=()
for p in doxygen graphviz; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
export ORRERY_FIGURES=$PWD/build/docs/figures ORRERY_DOCS_OUT=$PWD/build/docs
docs/make-figures.sh "$ORRERY_FIGURES"
(cd docs && doxygen Doxyfile)
echo "documentation: build/docs/html/index.html"
