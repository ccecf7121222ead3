#!/bin/sh
# Regenerates the pictures shipped in assets/: the blank default memo (the
# shape of the main window's memo area, at twice its pixel size) and the
# 200 x 40 home-page banner of the settings dialog. Needs ImageMagick and
# the IPA Gothic fonts. The program's icon at each size of the hicolor theme
# is drawn from its SVG with rsvg-convert (librsvg2-bin), as 8-bit PNGs: 16
# and 32 pixels among the shipped files, where the window falls back to them
# when the icon theme lacks the icon, the larger ones for the theme alone.
set -eu
cd "$(dirname "$0")/../assets"

for size in 16 32; do
  rsvg-convert -w $size -h $size ../packaging/org.example.quilmo.svg -o icons/quilmo-$size.png
done
for size in 24 48 64 128 256; do
  rsvg-convert -w $size -h $size ../packaging/org.example.quilmo.svg \
    -o ../packaging/icons/quilmo-$size.png
done

convert -size 576x334 xc:white -define png:color-type=2 -strip "png:手書きメモ/quilmo.ole"

convert -size 200x40 gradient:'#1d4e89'-'#4f9ad6' \
  -fill '#ffe0c0' -draw 'rectangle 0,36 199,39' \
  -font IPAGothic -fill white -pointsize 20 -annotate +10+24 'QUILMO' \
  -font IPAPGothic -fill '#ffffc0' -pointsize 10 -annotate +104+16 'ホームページへ' \
  -fill white -pointsize 9 -annotate +104+30 'quilmo.example.org' \
  -depth 8 -strip banner.png
