#!/usr/bin/env bash
# Makes a sample source folder of generated pictures: two sets, landscape and portrait.
# Usage: scripts/make-sample.sh FOLDER
set -euo pipefail
out=${1:?usage: make-sample.sh FOLDER}
mkdir -p "$out/SET1/BIG/sideways" "$out/SET2/BIG"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
picture() {  # picture FILE WIDTH HEIGHT HUE
  vips xyz "$tmp/xy.v" "$2" "$3"
  vips extract_band "$tmp/xy.v" "$tmp/x.v" 0
  vips extract_band "$tmp/xy.v" "$tmp/y.v" 1
  vips linear "$tmp/x.v" "$tmp/r.v" "$(awk "BEGIN{print 255/$2}")" 0
  vips linear "$tmp/y.v" "$tmp/g.v" "$(awk "BEGIN{print 255/$3}")" 0
  vips linear "$tmp/x.v" "$tmp/b.v" 0 "$4"
  vips bandjoin "$tmp/r.v $tmp/g.v $tmp/b.v" "$tmp/rgb.v"
  vips cast "$tmp/rgb.v" "$tmp/rgb8.v" uchar
  vips copy "$tmp/rgb8.v" "$1[Q=90]"
}
for i in 1 2 3 4 5 6 7; do picture "$out/SET1/BIG/IMG_000$i.JPG" 1600 1200 $((i * 30)); done
picture "$out/SET1/BIG/IMG_0008.JPG" 1200 1600 200
vips rot "$out/SET1/BIG/IMG_0008.JPG" "$out/SET1/BIG/sideways/IMG_0008.JPG" d270
for i in 1 2 3 4 5; do picture "$out/SET2/BIG/DSC0$i.JPG" 2000 1500 $((i * 40)); done
