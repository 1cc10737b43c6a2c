#!/usr/bin/env bash
# Draws assets/bf.ico (16 to 256 pixels) from assets/blindfold.svg. The icon is
# committed; run this only after changing the drawing. Needs Debian's
# librsvg2-bin and imagemagick.
set -euo pipefail
cd "$(dirname "$0")/../assets"
sizes=(16 20 24 32 48 256)
work=$(mktemp -d)
for size in "${sizes[@]}"; do rsvg-convert -w "$size" -h "$size" blindfold.svg -o "$work/$size.png"; done
convert "${sizes[@]/#/$work/}" bf.ico 2>/dev/null || convert $(for s in "${sizes[@]}"; do echo "$work/$s.png"; done) bf.ico
rm -rf "$work"
