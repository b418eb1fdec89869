#!/usr/bin/env bash
# Draws the About box logo (bitmap 188): the "ZuvelS" wordmark, 238 x 62,
# 24-bit, on a white plate with a thin frame and an accent line. Same output
# on every run: ./res/make_logo.sh [output file]   (default: res/logo.bmp)
set -eu
out=${1:-"$(dirname "$0")/logo.bmp"}
font=Liberation-Sans-Bold
word() {  # word TEXT COLOUR: the text on a white, tightly cropped strip
  convert -background white -fill "$2" -font "$font" -pointsize 40 label:"$1" -trim +repage \
    -bordercolor white -border 1x0 png:-
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
word Zuvel '#1F3A68' >"$tmp/a.png"
word S '#2E8B57' >"$tmp/b.png"
convert "$tmp/a.png" "$tmp/b.png" -background white -gravity south +append "$tmp/word.png"
convert -size 238x62 xc:white \
  -fill none -stroke '#9AA6B8' -strokewidth 1 -draw 'rectangle 0,0 237,61' \
  "$tmp/word.png" -gravity center -geometry +0-5 -composite \
  -gravity northwest -stroke none -fill '#2E8B57' -draw 'rectangle 64,49 173,50' \
  -type TrueColor BMP3:"$out"
