#!/usr/bin/env bash
# How far the copies of the planar path differ from the libvips path's, and how far JPEG encoding
# alone moves a copy whose pixels move by a fraction of a level before it is encoded.
#
#   bench/paths.sh [--batch PATH] CORPUS
#
# 1. Makes the corpus's copies twice, in two scratch copies of it: as usual (the common camera
#    picture takes the planar path) and with TJ_ARITHMETIC=1 in the environment, which makes the
#    planar path step aside so that every picture takes the libvips path. Prints, for each kind
#    of copy, the mean absolute difference per channel between the two (mean and worst over the
#    pictures).
# 2. The yardstick: for the first pictures of the corpus, a 640 x 480 copy scaled by libvips in
#    floating point, encoded at quality 92 as it is and shifted by SHIFT levels (a tenth up to
#    half a level) before the same rounding and encoding. Prints the mean absolute difference
#    between the two encoded copies: what any change of rounding before the encoder costs.
set -euo pipefail

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
batch=$(dirname -- "$here")/build/bin/snapnook-batch
if [[ "${1:-}" == --batch ]]; then batch=$2; shift 2; fi
corpus=${1:?usage: bench/paths.sh [--batch PATH] CORPUS}
command -v vips >/dev/null || { echo "paths.sh: needs vips (libvips-tools)" >&2; exit 2; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Mean absolute difference of two pictures of one size, over every channel.
mad() {
  vips subtract "$1" "$2" "$scratch/d.v"
  vips abs "$scratch/d.v" "$scratch/a.v"
  vips avg "$scratch/a.v"
}

echo "== the planar path against the libvips path: mean absolute difference per channel"
cp -a "$corpus" "$scratch/planar"
cp -a "$corpus" "$scratch/libvips"
find "$scratch/planar" "$scratch/libvips" -path '*/BIG' -prune -o -type f -name '*.JPG' \
  -print0 | xargs -0 rm -f
"$batch" --no-html -q -j2 "$scratch/planar" >/dev/null
TJ_ARITHMETIC=1 "$batch" --no-html -q -j2 "$scratch/libvips" >/dev/null
(cd "$scratch/planar" && find . -path '*/BIG' -prune -o -type f -name '*.JPG' -print) | sort |
  while read -r copy; do
    case "$copy" in
      */Thumb/*) kind=thumbnail ;;
      */640/*) kind=screen ;;
      *) kind=album ;;
    esac
    printf '%s %s\n' "$kind" "$(mad "$scratch/planar/$copy" "$scratch/libvips/$copy")"
  done | awk '{ n[$1]++; s[$1] += $2; if ($2 > m[$1]) m[$1] = $2 }
    END { for (k in n) printf "%-10s %3d copies  mean %.2f  worst %.2f\n", k, n[k], s[k] / n[k], m[k] }'

echo "== the yardstick: a 640 x 480 copy shifted before encoding at quality 92, against unshifted"
find "$corpus" -path '*/BIG/*' -name '*.JPG' -not -path '*/sideways/*' | sort | head -n 5 |
  while read -r picture; do
    vips cast "$picture" "$scratch/f.v" float
    width=$(vipsheader -f width "$picture")
    vips resize "$scratch/f.v" "$scratch/r.v" "$(echo "640 / $width" | bc -l)" --kernel lanczos3
    vips cast "$scratch/r.v" "$scratch/r8.v" uchar
    vips jpegsave "$scratch/r8.v" "$scratch/o0.jpg" --Q 92 --strip
    line=$(basename "$picture")
    for shift in 0.1 0.2 0.5; do
      vips linear "$scratch/r.v" "$scratch/s.v" 1 "$shift"
      vips cast "$scratch/s.v" "$scratch/s8.v" uchar
      vips jpegsave "$scratch/s8.v" "$scratch/o.jpg" --Q 92 --strip
      line+=$(printf '  +%s: %.2f' "$shift" "$(mad "$scratch/o0.jpg" "$scratch/o.jpg")")
    done
    echo "$line"
  done
