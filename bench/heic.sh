#!/usr/bin/env bash
# HEIC pictures through snapnook-batch --modern against vipsthumbnail making the same copies, in
# one run with the two interleaved round by round (the order alternating), one job each.
#
#   bench/heic.sh [--batch PATH] [--count N] [--rounds N] CORPUS
#
# Makes HEIC pictures (libvips heifsave, quality 90) of the first N landscape pictures of CORPUS
# (bench/make-corpus.sh; 12 by default), in sets of their own, then times:
#   batch   snapnook-batch --modern --no-html -q -j1 over them: the modern album's album picture
#           (288 x 216), thumbnail (74 x 55, from the album picture) and screen copy (640 x 480),
#           each filling its box with a centred cut
#   vips    vipsthumbnail making the same copies: one process for the screen copies of every
#           picture, one for the album pictures, one for the thumbnails from those, each with
#           --smartcrop centre, quality 92, metadata stripped, VIPS_CONCURRENCY=1
# Prints the median seconds per picture of each and their ratio. Not a test: a benchmark.
set -euo pipefail

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
batch=$(dirname -- "$here")/build/bin/snapnook-batch
count=12
rounds=3
while (($#)); do
  case "$1" in
    --batch) batch=$2; shift 2 ;;
    --count) count=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    -*) echo "heic.sh: unknown option $1" >&2; exit 2 ;;
    *) corpus=$1; shift ;;
  esac
done
[[ -d "${corpus:-}" ]] || { echo "usage: bench/heic.sh [--batch PATH] [--count N] [--rounds N] CORPUS" >&2; exit 2; }
[[ -x "$batch" ]] || { echo "heic.sh: no $batch: build it first" >&2; exit 2; }
command -v vipsthumbnail >/dev/null || { echo "heic.sh: needs vipsthumbnail (libvips-tools)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
n=0
while IFS= read -r picture; do
  name=${picture##*/}
  [[ -f "$(dirname -- "$picture")/sideways/$name" ]] && continue
  n=$((n + 1))
  mkdir -p "$work/heic/SET$n/BIG"
  vips heifsave "$picture" "$work/heic/SET$n/BIG/${name%.*}.heic" --Q 90 --strip
  ((n < count)) || break
done < <(find "$corpus" -path '*/BIG/*' -not -path '*/sideways/*' -iname '*.jpg' | sort)
((n)) || { echo "heic.sh: no landscape pictures in $corpus" >&2; exit 2; }
echo "$n HEIC pictures of $(vipsheader -f width "$(find "$work/heic" -name '*.heic' | head -n 1)") pixels wide and more; load average $(cut -d' ' -f1-3 /proc/loadavg)"

reset() {
  find "$work/heic" -mindepth 2 -maxdepth 2 -not -name BIG -exec rm -rf {} +
  rm -rf "$work/vt" "$work"/heic/.snapnook.sqlite*
}
run_batch() { "$batch" --modern --no-html -q -j1 "$work/heic"; }
run_vips() {
  mkdir -p "$work/vt/640" "$work/vt/album" "$work/vt/Thumb"
  local pictures=("$work"/heic/SET*/BIG/*.heic)
  VIPS_CONCURRENCY=1 vipsthumbnail "${pictures[@]}" --size 640x480 --smartcrop centre \
    -o "$work/vt/640/%s.jpg[Q=92,strip]"
  VIPS_CONCURRENCY=1 vipsthumbnail "${pictures[@]}" --size 288x216 --smartcrop centre \
    -o "$work/vt/album/%s.jpg[Q=92,strip]"
  VIPS_CONCURRENCY=1 vipsthumbnail "$work"/vt/album/*.jpg --size 74x55 --smartcrop centre \
    -o "$work/vt/Thumb/%s.jpg[Q=92,strip]"
}
timed() {  # prints the wall-clock seconds of "$@"
  local start=$EPOCHREALTIME
  "$@" >/dev/null
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }'
}

: >"$work/times"
for ((round = 1; round <= rounds; round++)); do
  for c in batch vips; do
    if ((round % 2 == 0)); then c=$([[ $c == batch ]] && echo vips || echo batch); fi
    reset
    echo "$c $(timed "run_$c")" >>"$work/times"
    # Every copy made, at its size.
    copies=("$work"/heic/SET*/640/*.jpg "$work"/vt/640/*.jpg "$work"/heic/SET*/Thumb/*.jpg "$work"/vt/Thumb/*.jpg)
    sizes=$(for copy in "${copies[@]}"; do if [[ -f "$copy" ]]; then vipsheader -f width "$copy"; fi; done | sort | uniq -c | awk '{ printf "%s x%s ", $1, $2 }')
    [[ "$sizes" == "$n x640 $n x74 " ]] || { echo "heic.sh: $c made $sizes" >&2; exit 1; }
  done
done

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
d=$(awk '$1 == "batch" { print $2 }' "$work/times" | median)
v=$(awk '$1 == "vips" { print $2 }' "$work/times" | median)
printf '| %-40s | %11s | %9s |\n|%s|%s|%s|\n' command "s / picture" "x vips" "------------------------------------------" "------------:" "----------:"
printf '| %-40s | %11.4f | %9.2f |\n' "snapnook-batch --modern -j1" "$(awk -v t="$d" -v n="$n" 'BEGIN { print t / n }')" "$(awk -v a="$d" -v b="$v" 'BEGIN { print a / b }')"
printf '| %-40s | %11.4f | %9.2f |\n' "vipsthumbnail, three passes" "$(awk -v t="$v" -v n="$n" 'BEGIN { print t / n }')" 1
echo "Load average after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
