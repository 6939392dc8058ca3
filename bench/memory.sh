#!/usr/bin/env bash
# Peak resident memory of snapnook-batch, measured with GNU time (-v, "Maximum resident set
# size"): on one 100-megapixel picture, and on a small corpus of 12-megapixel pictures (two of
# them portrait, with their sideways copies), each with one job and with one job a core. The
# pictures are made here with libvips (smooth noise, so they compress like photographs). Not a
# timed test: it prints the numbers, and fails when the 100-megapixel picture takes more than
# the bound (400 MB by default).
#
# Usage: bench/memory.sh [BUILD_DIR]          (default: build)
#        LIMIT_MB=400 bench/memory.sh build-rel
set -euo pipefail

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname -- "$here")
build=${1:-$repo/build}
batch=$build/bin/snapnook-batch
limit_mb=${LIMIT_MB:-400}

[[ -x "$batch" ]] || { echo "memory.sh: no $batch: build first (cmake --build $build)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "memory.sh: GNU time is missing: apt-get install time" >&2; exit 2; }
command -v vips >/dev/null || { echo "memory.sh: vips is missing: apt-get install libvips-tools" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A picture of WIDTH x HEIGHT (multiples of 8): noise at an eighth of the size, enlarged, so
# neighbours differ a little as in a photograph. SEED makes each picture its own.
make_picture() {
  local out=$1 width=$2 height=$3 seed=$4 bands=()
  for band in 0 1 2; do
    vips gaussnoise "$work/n$band.v" $((width / 8)) $((height / 8)) \
      --sigma 45 --mean $((100 + 20 * band)) --seed $((seed * 3 + band))
    vips cast "$work/n$band.v" "$work/u$band.v" uchar
    bands+=("$work/u$band.v")
  done
  vips bandjoin "${bands[*]}" "$work/rgb.v"
  vips resize "$work/rgb.v" "$out[Q=92]" 8 --kernel linear
  rm -f "$work"/n?.v "$work"/u?.v "$work/rgb.v"
}

echo "memory.sh: making the pictures..."
mkdir -p "$work/huge/SET1/BIG" "$work/corpus/SET1/BIG/sideways" "$work/corpus/SET2/BIG"
make_picture "$work/huge/SET1/BIG/IMG_0001.JPG" 12000 8400 1
for i in 1 2 3 4; do make_picture "$work/corpus/SET1/BIG/IMG_000$i.JPG" 4000 3000 $((10 + i)); done
for i in 5 6; do
  make_picture "$work/corpus/SET1/BIG/IMG_000$i.JPG" 3000 4000 $((10 + i))
  make_picture "$work/corpus/SET1/BIG/sideways/IMG_000$i.JPG" 4000 3000 $((20 + i))
done
for i in 7 8; do make_picture "$work/corpus/SET2/BIG/IMG_000$i.JPG" 4000 3000 $((10 + i)); done

# Peak resident memory in MB of one run of snapnook-batch on a fresh copy of TREE.
peak_mb() {
  local tree=$1 jobs=$2
  rm -rf "$work/run"
  cp -r "$work/$tree" "$work/run"
  if ! /usr/bin/time -v -o "$work/time.txt" "$batch" -q --no-html -j "$jobs" "$work/run" \
    2>"$work/err.txt"; then
    echo "memory.sh: snapnook-batch failed on $tree:" >&2
    cat "$work/err.txt" "$work/time.txt" >&2
    exit 1
  fi
  local kb
  kb=$(sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): //p' "$work/time.txt")
  echo $(((kb + 512) / 1024))
}

cores=$(nproc)
printf '%-44s %8s\n' "run" "peak MB"
huge1=$(peak_mb huge 1)
printf '%-44s %8s\n' "one 100-megapixel picture, -j1" "$huge1"
hugen=$(peak_mb huge "$cores")
printf '%-44s %8s\n' "one 100-megapixel picture, -j$cores" "$hugen"
printf '%-44s %8s\n' "8 pictures of 12 megapixels, -j1" "$(peak_mb corpus 1)"
printf '%-44s %8s\n' "8 pictures of 12 megapixels, -j$cores" "$(peak_mb corpus "$cores")"

worst=$((huge1 > hugen ? huge1 : hugen))
if ((worst < limit_mb)); then
  echo "memory.sh: the 100-megapixel picture stays under $limit_mb MB ($worst MB)"
else
  echo "memory.sh: the 100-megapixel picture takes $worst MB, over the bound of $limit_mb MB" >&2
  exit 1
fi
