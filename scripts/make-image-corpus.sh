#!/usr/bin/env bash
# Writes the image fuzz target's seed corpus: small valid TGA and PCX files
# of every kind the decoders read, made by ImageMagick and netpbm (and two
# by hand that no tool writes). Run from anywhere; overwrites the corpus.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/fuzz/corpus/image"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"
# Only the made seeds: what long fuzz runs found stays in found/.
find "$out" -maxdepth 1 -type f -delete

# 9 x 5: odd width, runs along the rows, few enough colours for a palette.
convert -size 9x5 xc: -fx 'floor(i/3)/3' -channel G -fx 'j/4' -channel B -fx '(i+j)%2' +channel \
  -depth 8 "$tmp/colour.ppm"
convert "$tmp/colour.ppm" -colorspace Gray -depth 8 "$tmp/grey.pgm"
convert "$tmp/colour.ppm" -alpha set -channel A -fx 'i/8' +channel -depth 8 "$tmp/alpha.pam"
convert "$tmp/grey.pgm" -threshold 50% "$tmp/two.pbm"
convert "$tmp/colour.ppm" -channel B -fx 0 +channel -depth 8 "$tmp/fifteen.ppm"

convert "$tmp/colour.ppm" -compress none -type TrueColor "$out/rgb24.tga"
convert "$tmp/colour.ppm" -compress RLE -type TrueColor "$out/rgb24-rle.tga"
convert "$tmp/alpha.pam" -compress none -type TrueColorAlpha "$out/rgba32.tga"
convert "$tmp/colour.ppm" -compress RLE -depth 5 "$out/rgb16-rle.tga"
convert "$tmp/colour.ppm" -compress none -depth 5 "$out/rgb16.tga"
ppmtotga -cmap -norle "$tmp/colour.ppm" > "$out/mapped.tga" 2>/dev/null
ppmtotga -cmap "$tmp/colour.ppm" > "$out/mapped-rle.tga" 2>/dev/null
ppmtotga -mono -norle "$tmp/grey.pgm" > "$out/grey8.tga" 2>/dev/null
pamtotga "$tmp/alpha.pam" > "$out/rgba32-rle.tga" 2>/dev/null
convert "$tmp/grey.pgm" -compress RLE -type Grayscale "$out/grey8-rle.tga"

convert "$tmp/colour.ppm" "$out/rgb24.pcx"
ppmtopcx -8bit "$tmp/colour.ppm" > "$out/palette8.pcx" 2>/dev/null
ppmtopcx "$tmp/fifteen.ppm" > "$out/planes4.pcx" 2>/dev/null
pgmtoppm navy-orange "$tmp/two.pbm" 2>/dev/null | ppmtopcx > "$out/mono1.pcx" 2>/dev/null

# 320 x 3: rows long enough for the decoders' vector paths, with runs of
# 25 and of 80 pixels between stretches of noise.
convert -size 320x3 xc: \
  -fx 'i<100 ? floor(i/25)/4 : (i<160 ? ((i*37+j*17)%23)/22 : (i<240 ? 0.7 : ((i*5+j)%13)/12))' \
  -channel G \
  -fx 'i<100 ? (i%50<30 ? 0.2 : ((i*7+j*3)%11)/10) : (i<160 ? 0.4 : (i<240 ? 0.3 : ((i*11+j*5)%19)/18))' \
  -channel B -fx 'i<160 ? 0.5 : (i<240 ? 0.9 : floor(i/3)%4/3)' +channel -depth 8 "$tmp/wide.ppm"
convert "$tmp/wide.ppm" -compress RLE -type TrueColor "$out/wide24-rle.tga"
convert "$tmp/wide.ppm" "$out/wide24.pcx"
convert "$tmp/wide.ppm" +dither -colors 256 -depth 8 ppm:- | ppmtopcx -8bit > "$out/wide8.pcx" 2>/dev/null

# Greyscale with alpha, raw and run-length: 3 x 2 pixels of level, alpha.
printf '\0\0\3\0\0\0\0\0\0\0\0\0\3\0\2\0\20\0\1\377\2\200\3\0\4\100\5\40\6\0' > "$out/grey16.tga"
printf '\0\0\13\0\0\0\0\0\0\0\0\0\3\0\2\0\20\0\202\7\377\002\1\2\3\4\5\6' > "$out/grey16-rle.tga"
