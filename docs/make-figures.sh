#!/usr/bin/env bash
# Draws the figures of the conventions page as SVG into the given folder.
# Each figure is computed here from the conventions themselves, so the
# pictures and the library cannot drift apart silently.
set -euo pipefail
out=${1:?usage: make-figures.sh OUTDIR}
mkdir -p "$out"

svg_head() { # width height title
  printf '<svg xmlns="http://www.w3.org/2000/svg" width="%s" height="%s" viewBox="0 0 %s %s" font-family="sans-serif" font-size="13">\n' "$1" "$2" "$1" "$2"
  printf '<title>%s</title>\n<rect width="100%%" height="100%%" fill="white"/>\n' "$3"
  printf '<defs><marker id="arrow" viewBox="0 0 10 10" refX="9" refY="5" markerWidth="7" markerHeight="7" orient="auto-start-reverse"><path d="M0,0 L10,5 L0,10 z" fill="context-stroke"/></marker></defs>\n'
}
arrow() { # x1 y1 x2 y2 colour label lx ly
  printf '<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s" stroke-width="2" marker-end="url(#arrow)"/>\n' "$1" "$2" "$3" "$4" "$5"
  printf '<text x="%s" y="%s" fill="%s">%s</text>\n' "$7" "$8" "$5" "$6"
}

# 1. The geodetic frame, in orthographic projection as seen from the
# direction (0.5, 0.5, -1): above latitude 24 deg, longitude -27 deg. Screen
# right is (-0.894, 0, -0.447) and screen up (-0.183, 0.913, 0.365) in world
# coordinates; the axis tips below are 150 px times those projections.
{
  svg_head 480 380 "Geodetic frame"
  echo '<circle cx="210" cy="190" r="150" fill="#eef4fb" stroke="#6a8caf"/>'
  echo '<ellipse cx="210" cy="190" rx="150" ry="61" fill="none" stroke="#6a8caf" stroke-dasharray="4 3"/>'
  arrow 210 190 210 53 "#b22" "+Y: north pole (lat +90)" 218 48
  arrow 210 190 277 245 "#333" "-Z: lat 0, lon 0" 262 272
  arrow 210 190 344 163 "#262" "-X: lon +90 (east)" 300 150
  arrow 210 190 76 217 "#262" "+X: lon -90 (west)" 12 240
  arrow 210 190 143 135 "#226" "+Z: lon 180" 86 122
  echo '<text x="12" y="354">Unit sphere at the origin. Normalised point:</text>'
  echo '<text x="12" y="372">(longitude / 180, latitude / 180, altitude / planet radius).</text>'
  echo '</svg>'
} > "$out/geodetic-frame.svg"

# 2. Camera axes: the camera looks along its -z axis, x right, y up.
{
  svg_head 560 300 "Camera axes"
  echo '<rect x="150" y="110" width="70" height="50" rx="6" fill="#ddd" stroke="#444"/>'
  echo '<circle cx="185" cy="135" r="14" fill="#fff" stroke="#444"/>'
  arrow 185 135 330 135 "#b22" "x: right (getRightVec)" 250 125
  arrow 185 135 185 30 "#262" "y: up (getUpVec)" 195 40
  arrow 185 135 100 210 "#226" "+z: back towards the viewer" 20 230
  arrow 185 135 270 70 "#555" "-z: viewing direction (getTowardsVec)" 200 62
  echo '<text x="20" y="270">A world point p maps to camera space as the row vector (p, 1)</text>'
  echo '<text x="20" y="288">times the view matrix.</text>'
  echo '</svg>'
} > "$out/camera-axes.svg"

# 3. Row-vector matrix layout of a Mat4d: element k at row k/4, column k%4.
{
  svg_head 480 300 "Mat4d layout"
  for k in $(seq 0 15); do
    r=$((k / 4)); c=$((k % 4)); x=$((120 + c * 70)); y=$((40 + r * 50))
    fill="#fff"
    [ $r -lt 3 ] && [ $c -lt 3 ] && fill="#e8f0fa"
    [ $r -eq 3 ] && [ $c -lt 3 ] && fill="#fbe9e7"
    [ $c -eq 3 ] && fill="#eee"
    printf '<rect x="%d" y="%d" width="70" height="50" fill="%s" stroke="#444"/><text x="%d" y="%d" text-anchor="middle">m[%d]</text>\n' \
      $x $y "$fill" $((x + 35)) $((y + 30)) $k
  done
  echo '<text x="20" y="70">rows 0-2</text><text x="20" y="88">linear part</text>'
  echo '<text x="20" y="220" fill="#b22">row 3:</text><text x="20" y="238" fill="#b22">translation</text>'
  echo '<text x="425" y="140" text-anchor="middle" transform="rotate(90 425 140)">column 3: homogeneous w</text>'
  echo '<text x="20" y="285">(x, y, z, 1) times M: mul(a, b) applies a first, then b.</text>'
  echo '</svg>'
} > "$out/matrix-layout.svg"

# 4. A surface's local frame and the relative (u, v) coordinates of its
# photograph, seen from the viewpoint looking along -z.
{
  svg_head 520 360 "Surface frame"
  echo '<rect x="110" y="60" width="240" height="170" fill="#fdf6e3" stroke="#444"/>'
  printf '<text x="%d" y="%d" text-anchor="middle">%s</text>\n' 75 150 "u = -1" 385 150 "u = +1" 230 50 "v = +1" 230 250 "v = -1"
  echo '<text x="232" y="150">(0, 0)</text><circle cx="230" cy="145" r="3"/>'
  arrow 230 145 330 145 "#b22" "row 0: local x (right)" 260 175
  arrow 230 145 230 75 "#262" "row 1: local y (up)" 236 92
  arrow 230 145 180 200 "#226" "row 2: local z (back to the viewer)" 60 290
  echo '<text x="20" y="325">Row 3 of the placement is the viewpoint, looking along -z.</text>'
  echo '<text x="20" y="343">u runs left to right, v bottom to top, each in [-1, 1].</text>'
  echo '</svg>'
} > "$out/surface-frame.svg"
