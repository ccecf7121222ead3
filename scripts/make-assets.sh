#!/bin/sh
# Regenerates the pictures shipped in assets/: the blank default memo (the
# shape of the main window's memo area, at twice its pixel size) and the
# 200 x 40 home-page banner of the settings dialog. Needs ImageMagick and
# the IPA Gothic fonts.
set -eu
cd "$(dirname "$0")/../assets"

convert -size 576x334 xc:white -define png:color-type=2 -strip "png:手書きメモ/quilmo.ole"

convert -size 200x40 gradient:'#1d4e89'-'#4f9ad6' \
  -fill '#ffe0c0' -draw 'rectangle 0,36 199,39' \
  -font IPAGothic -fill white -pointsize 20 -annotate +10+24 'QUILMO' \
  -font IPAPGothic -fill '#ffffc0' -pointsize 10 -annotate +104+16 'ホームページへ' \
  -fill white -pointsize 9 -annotate +104+30 'quilmo.example.org' \
  -depth 8 -strip banner.png
