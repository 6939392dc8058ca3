#!/usr/bin/env bash
# Makes docs/modern-pictures.png: the album picture (288 x 216) of each kind of picture cameras
# and phones write, as the classic album makes it and as the modern album makes it (filling its
# box, and fitting inside it with --fit). Each picture is a drawing of circles on a grid, so that
# a squashed copy shows at once; the phone picture is stored on its side with EXIF orientation 6,
# and the HEIC one is the same drawing as a HEIC file.
# Usage: scripts/modern-pictures-figure.sh [BUILD_DIR]    (default: build; needs snapnook-batch)
# Needs ImageMagick, jpegtran, exiftool and vips (libvips-tools).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
batch=${1:-$repo/build}/bin/snapnook-batch
[[ -x "$batch" ]] || { echo "modern-pictures-figure.sh: no $batch: build first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A drawing of W x H: a grid every H/6 pixels and circles of diameter H/3 along the middle.
drawing() {  # drawing W H FILE
  local w=$1 h=$2 step=$(($2 / 6)) r=$(($2 / 6)) draw=() x
  for ((x = step; x < w; x += step)); do draw+=(-draw "line $x,0 $x,$h"); done
  for ((x = step; x < h; x += step)); do draw+=(-draw "line 0,$x $w,$x"); done
  for ((x = w / 2 % (2 * r + r / 2) ; x < w; x += 2 * r + r / 2)); do
    draw+=(-fill '#e8a33d' -draw "circle $x,$((h / 2)) $((x + r)),$((h / 2))")
  done
  convert -size "${w}x$h" xc:'#3d7ab8' -stroke white -strokewidth $((h / 120 + 1)) "${draw[@]}" \
    -fill '#c0392b' -stroke none -draw "rectangle 0,0 $((w / 8)),$((h / 8))" -quality 92 "$3"
}

kinds=("3:2 camera picture" "16:9 picture" "4:1 panorama" "phone, Orientation 6" "HEIC picture")
mkdir -p "$work"/album/SET{1..5}/BIG
drawing 3000 2000 "$work/album/SET1/BIG/P.jpg"
drawing 3200 1800 "$work/album/SET2/BIG/P.jpg"
drawing 6400 1600 "$work/album/SET3/BIG/P.jpg"
drawing 3000 4000 "$work/upright.jpg"
jpegtran -rotate 270 "$work/upright.jpg" >"$work/album/SET4/BIG/P.jpg"
exiftool -q -overwrite_original -Orientation#=6 "$work/album/SET4/BIG/P.jpg"
drawing 4000 3000 "$work/heic.jpg"
vips heifsave "$work/heic.jpg" "$work/album/SET5/BIG/P.heic" --Q 80

for mode in classic fill fit; do
  rm -rf "$work/out" && cp -r "$work/album" "$work/out"
  # The classic album takes no HEIC picture: its copy is drawn as "not made".
  case $mode in classic) "$batch" -q --no-html --classic "$work/out" ;;
    fill) "$batch" -q --no-html --modern "$work/out" ;;
    fit) "$batch" -q --no-html --fit "$work/out" ;; esac
  for s in 1 2 3 4 5; do
    copy="$work/out/SET$s/P.jpg"
    [[ -f "$copy" ]] || convert -size 288x216 xc:'#dddddd' -gravity center -pointsize 18 \
      -annotate 0 'not made' "$copy"
    convert "$copy" -background white -gravity center -extent 292x292 "$work/$mode-$s.png"
  done
done
args=()
for s in 1 2 3 4 5; do
  args+=("$work/classic-$s.png" "$work/fill-$s.png" "$work/fit-$s.png")
done
montage "${args[@]}" -tile 3x -geometry +6+6 -background white "$work/grid.png"
labels=()
for k in "${kinds[@]}"; do labels+=("$k"); done
convert -size 300x40 xc:white -gravity center -pointsize 20 -annotate 0 "classic album" "$work/h1.png"
convert -size 300x40 xc:white -gravity center -pointsize 20 -annotate 0 "modern (fill)" "$work/h2.png"
convert -size 300x40 xc:white -gravity center -pointsize 20 -annotate 0 "modern --fit" "$work/h3.png"
convert "$work/h1.png" "$work/h2.png" "$work/h3.png" +append "$work/head.png"
side=()
for k in "${labels[@]}"; do
  convert -size 210x304 xc:white -gravity east -pointsize 18 -annotate +8+0 "$k" "$work/side-${#side[@]}.png"
  side+=("$work/side-${#side[@]}.png")
done
convert "${side[@]}" -append "$work/side.png"
convert -size 210x40 xc:white "$work/corner.png"
convert \( "$work/corner.png" "$work/head.png" +append \) \( "$work/side.png" "$work/grid.png" +append \) \
  -background white -append -strip -colors 64 "PNG8:$repo/docs/modern-pictures.png"
echo "wrote docs/modern-pictures.png"
