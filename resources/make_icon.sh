#!/usr/bin/env bash
# Draws the program icon (a clipboard holding a stack of sheets, one framed in red like the
# selected row) and writes kepsil.ico with 16, 32, 48 and 256 pixel images. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Drawn once at 256 pixels; the smaller sizes are scaled from it.
convert -size 256x256 xc:none \
  -fill '#5a3f8f' -stroke '#3a2766' -strokewidth 6 -draw 'roundrectangle 36,28 220,244 22,22' \
  -fill '#e6e6fa' -stroke '#b8b8d8' -strokewidth 3 -draw 'rectangle 58,60 198,226' \
  -fill '#9c9cb8' -stroke '#5c5c78' -strokewidth 5 -draw 'roundrectangle 92,12 164,58 12,12' \
  -fill '#5c5c78' -stroke none -draw 'circle 128,30 128,22' \
  -fill none -stroke '#c80000' -strokewidth 10 -draw 'rectangle 72,84 112,124' \
  -stroke '#3a2766' -strokewidth 10 -draw 'line 128,96 182,96' -draw 'line 128,114 170,114' \
  -draw 'line 76,152 182,152' -draw 'line 76,176 182,176' -draw 'line 76,200 150,200' \
  "$work/icon-256.png"
for size in 48 32 16; do
  convert "$work/icon-256.png" -filter Lanczos -resize ${size}x${size} -unsharp 0x0.6 "$work/icon-$size.png"
done
convert "$work/icon-16.png" "$work/icon-32.png" "$work/icon-48.png" "$work/icon-256.png" -depth 8 kepsil.ico
