#!/usr/bin/env bash
# Regenerates the wiring diagram bitmaps (961 x 636, 8 bits per pixel with a
# palette) from diagram.svg and labels.tsv: diagram_<code>.bmp uncompressed and
# diagram_<code>_rle.bmp run-length encoded (BI_RLE8), for every language.
# Needs python3, rsvg-convert (librsvg2-bin), ImageMagick and the DejaVu fonts.
# Fails when fill.py finds a text too wide, on another text, across a wire,
# outside the picture or within 5 pixels of the drawn border of a box.
# Usage: res/diagram/make.sh [output folder]   (default: this folder)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here}
for tool in python3 rsvg-convert convert; do
  command -v "$tool" >/dev/null || { echo "make.sh: $tool is missing" >&2; exit 1; }
done
fc-list | grep -q DejaVuSans.ttf || { echo "make.sh: DejaVu Sans is missing" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Width, height, bits per pixel and compression from the BITMAPINFOHEADER.
bmp_header() {
  python3 -c 'import struct,sys
d=open(sys.argv[1],"rb").read(54)
assert d[:2]==b"BM" and struct.unpack_from("<I",d,14)[0]==40, "not a BMP3 file"
w,h,planes,bits,comp=struct.unpack_from("<iiHHI",d,18)
print(w,h,bits,comp)' "$1"
}

status=0
for code in $("$here/../../scripts/languages"); do
  python3 "$here/fill.py" "$code" "$work/$code.svg" || status=1
  rsvg-convert -w 961 -h 636 -b white -o "$work/$code.png" "$work/$code.svg"
  # No dithering: flat colours and clean text edges compress and read better.
  convert "$work/$code.png" -alpha off +dither -colors 256 -type Palette \
    -compress None BMP3:"$out/diagram_$code.bmp"
  convert "$work/$code.png" -alpha off +dither -colors 256 -type Palette \
    -compress RLE BMP3:"$out/diagram_${code}_rle.bmp"
  [ "$(bmp_header "$out/diagram_$code.bmp")" = "961 636 8 0" ] ||
    { echo "make.sh: diagram_$code.bmp is not 961 x 636 x 8 bits" >&2; status=1; }
  [ "$(bmp_header "$out/diagram_${code}_rle.bmp")" = "961 636 8 1" ] ||
    { echo "make.sh: diagram_${code}_rle.bmp is not 961 x 636 RLE8" >&2; status=1; }
  # The run-length form must decode to the very same pixels.
  diff=$(compare -metric AE "$out/diagram_$code.bmp" "$out/diagram_${code}_rle.bmp" null: 2>&1 || true)
  [ "$diff" = "0" ] || { echo "make.sh: diagram_${code}_rle.bmp differs ($diff pixels)" >&2; status=1; }
  printf '%s: %d bytes plain, %d bytes RLE8\n' "$code" \
    "$(stat -c %s "$out/diagram_$code.bmp")" "$(stat -c %s "$out/diagram_${code}_rle.bmp")"
done
exit $status
