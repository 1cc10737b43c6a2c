#!/usr/bin/env bash
# Draws assets/bf.ico (16 to 256 pixels) from the drawings in assets/. The icon
# is committed; run this only after changing a drawing. Needs Debian's
# librsvg2-bin and imagemagick.
#
# blindfold.svg is the full drawing, used for 48 pixels and up. Scaled below
# that its edges fall between pixels and it blurs, so 16, 20, 24 and 32 pixels
# each have a drawing of their own, blindfold-<size>.svg, made for that grid:
# every edge on a whole pixel (curves drawn as steps of pixels, only the tile's
# corners smoothed), the band and the eye's lids a whole number of pixels
# thick, the pupil shown as a pixel or two above and below the band, the
# band's loose end kept, the highlight dropped. Change them together with
# blindfold.svg, and look at each at 100 % and enlarged, e.g.
#   rsvg-convert blindfold-16.svg | convert - -scale 1600% big.png
# The Linux package draws its hicolor sizes from the same files (see
# cmake/linux-package.cmake).
set -euo pipefail
cd "$(dirname "$0")/../assets"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A fraction in a small drawing puts an edge between pixels.
if grep -n '[0-9]\.[0-9]' blindfold-[0-9]*.svg >&2; then
  echo "make-icon.sh: the small drawings take whole pixels only" >&2
  exit 1
fi
frames=()
for size in 16 20 24 32 48 256; do
  drawing=blindfold.svg
  [ -f "blindfold-$size.svg" ] && drawing=blindfold-$size.svg
  rsvg-convert -w "$size" -h "$size" "$drawing" -o "$work/$size.png"
  frames+=("$work/$size.png")
done
convert "${frames[@]}" bf.ico
