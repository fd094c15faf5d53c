#!/usr/bin/env bash
# Draws Tembric's application icon with ImageMagick and writes it as a
# multi-size .ico (16, 24, 32 and 48 pixels, 8-bit palettes, a few KB).
# The .ico is committed; run this only to change the picture.
# Usage: tools/make-icon.sh [OUT]   (default: src/app/win32/Tembric.ico)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$repo/src/app/win32/Tembric.ico}
command -v convert >/dev/null || { echo "make-icon: ImageMagick's convert is missing" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A 256-pixel master: a rounded blue tile with a white "T" made of two bars
# and a small teal card at its foot (a record being pasted). Shapes only, so
# the picture does not depend on the fonts installed.
convert -size 256x256 xc:none \
  \( -size 256x256 gradient:'#2f9cb8-#122b6b' \) \
  \( -size 256x256 xc:none -fill white -draw 'roundrectangle 8,8 247,247 44,44' \) \
  -compose over -delete 0 -compose DstIn -composite \
  -fill white -draw 'rectangle 52,56 204,92' -draw 'rectangle 110,56 146,200' \
  -fill '#7fe0d0' -draw 'roundrectangle 150,158 214,214 10,10' \
  "$tmp/master.png"

sizes=(16 24 32 48)
files=()
for s in "${sizes[@]}"; do
  convert "$tmp/master.png" -filter Lanczos -resize "${s}x${s}" -colors 255 "PNG8:$tmp/icon-$s.png"
  files+=("$tmp/icon-$s.png")
done
convert "${files[@]}" "ICO:$out"
echo "$out: $(stat -c %s "$out") bytes"
