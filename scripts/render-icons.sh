#!/usr/bin/env bash
# Renders the program's icon, src/dialogs/art/snapnook-icon.svg, to the PNGs kept beside it:
# snapnook-icon.png (32 x 32, built into the program) and snapnook-icon-N.png for the other
# sizes of the hicolor icon theme. Run it after changing the drawing, and commit the PNGs.
# Needs rsvg-convert (librsvg2-bin).
set -euo pipefail
art="$(dirname "$0")/../src/dialogs/art"
rsvg-convert -w 32 -h 32 "$art/snapnook-icon.svg" -o "$art/snapnook-icon.png"
for size in 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$art/snapnook-icon.svg" -o "$art/snapnook-icon-$size.png"
done
