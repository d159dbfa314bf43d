#!/usr/bin/env bash
# Builds the reference (scripts/docs.sh) and photographs a few of its pages in
# headless Chromium, to see them as a reader does: the Sphere and Frustum
# class pages and the grid family's file page. PNGs go to
# build/docs/screenshots/ (not kept in the repository).
#
#   scripts/docs-screenshots.sh [PAGE.html ...]   other pages of build/docs/html
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/docs.sh
scripts/setup.sh chromium
html=$PWD/build/docs/html
out=$PWD/build/docs/screenshots
mkdir -p "$out"
pages=("$@")
[ ${#pages[@]} -gt 0 ] ||
  pages=(classorrery_1_1Sphere.html classorrery_1_1Frustum.html Grid_8h.html)
for page in "${pages[@]}"; do
  [ -f "$html/$page" ] || { echo "docs-screenshots: no page $page" >&2; exit 1; }
  png=$out/${page%.html}.png
  # Chromium talks on standard error even when all goes well.
  chromium --headless --no-sandbox --disable-gpu --hide-scrollbars \
    --window-size=1280,2400 --screenshot="$png" "file://$html/$page" 2>/dev/null
  [ -s "$png" ] || { echo "docs-screenshots: no image for $page" >&2; exit 1; }
  echo "$png"
done
