#!/usr/bin/env bash
# Measures what a re-run costs: a full run against --update on an unchanged album and --update
# after one picture was added, interleaved round by round on one copy of the album (so machine
# noise hits all alike), and the same on many small pictures.
#
# Usage: bench/update.sh [--rounds N] [--small N] [--batch BIN] CORPUS
#   CORPUS    a source folder (bench/make-corpus.sh makes one); it is copied, never changed
#   --rounds  rounds of the three commands (default 5)
#   --small   also an album of N small pictures (e.g. 10000), 100 to a set (default: none)
#   --batch   the snapnook-batch to measure (default: build/bin/snapnook-batch)
# Prints one table per album: the median wall time of each command, and the two ratios the
# targets are set in: --update unchanged over the full run, and what adding one picture adds,
# in pictures' work (a full run with one job: its time over its picture count, the time one
# picture takes on its own, as the added one does).
set -euo pipefail

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
rounds=5 small=0 batch="$here/../build/bin/snapnook-batch"
while (($#)); do
  case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --small) small=$2; shift 2 ;;
    --batch) batch=$2; shift 2 ;;
    -h | --help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) corpus=$1; shift ;;
  esac
done
[[ -n "${corpus:-}" && -d "$corpus" ]] || { echo "usage: bench/update.sh [OPTIONS] CORPUS" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seconds() {  # seconds COMMAND...: wall time of one run, its output dropped
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

measure() {  # measure ALBUM LABEL
  local album=$1 label=$2 pictures first full=() one=() update=() added=() r
  pictures=$(find "$album" -path '*/BIG/*.JPG' -not -path '*/sideways/*' | wc -l)
  first=$(find "$album" -path '*/BIG/*.JPG' -not -path '*/sideways/*' | sort | sed -n 1p)
  "$batch" -q "$album" >/dev/null 2>&1 || true  # the album as it stands after a first run
  for ((r = 0; r < rounds; r++)); do
    # The order rotates from round to round.
    for kind in $(printf 'full\none\nupdate\nadded\n' | tail -n +$((r % 4 + 1)); printf 'full\none\nupdate\nadded\n' | head -n $((r % 4))); do
      case $kind in
        full) full+=("$(seconds "$batch" -q "$album")") ;;
        one) one+=("$(seconds "$batch" -q -j1 "$album")") ;;
        update) update+=("$(seconds "$batch" -q --update "$album")") ;;
        added)
          cp "$first" "$(dirname "$first")/ADDED_$r.JPG"
          added+=("$(seconds "$batch" -q --update "$album")")
          ;;
      esac
    done
  done
  local f o u a
  f=$(printf '%s\n' "${full[@]}" | median)
  o=$(printf '%s\n' "${one[@]}" | median)
  u=$(printf '%s\n' "${update[@]}" | median)
  a=$(printf '%s\n' "${added[@]}" | median)
  printf '\n%s: %d pictures, %d rounds (medians, wall time)\n' "$label" "$pictures" "$rounds"
  printf '| command | s | x full run |\n|---|--:|--:|\n'
  printf '| full run | %.3f | 1.000 |\n' "$f"
  printf '| full run, -j1 | %.3f | %.3f |\n' "$o" "$(echo "$o / $f" | bc -l)"
  printf '| --update, unchanged | %.3f | %.3f |\n' "$u" "$(echo "$u / $f" | bc -l)"
  printf '| --update, one picture added | %.3f | %.3f |\n' "$a" "$(echo "$a / $f" | bc -l)"
  printf 'adding one picture costs %.2f pictures of work over the unchanged --update (target <= 1.5);\n' \
    "$(echo "($a - $u) / ($o / $pictures)" | bc -l)"
  printf 'the unchanged --update costs %.1f %% of the full run (target <= 5 %%)\n' \
    "$(echo "100 * $u / $f" | bc -l)"
}

cp -r "$corpus" "$work/album"
measure "$work/album" "corpus"

if ((small > 0)); then
  # One small picture, copied: deriving is cheap, so the walk, the checks and the pages weigh.
  mkdir -p "$work/small"
  vips black "$work/one.v" 64 48 --bands 3 && vips copy "$work/one.v" "$work/one.JPG[Q=90]"
  for ((i = 0; i < small; i++)); do
    set_dir="$work/small/$(printf '%03d' $((i / 100)))SET1"
    [[ -d "$set_dir/BIG" ]] || mkdir -p "$set_dir/BIG"
    cp "$work/one.JPG" "$set_dir/BIG/P$i.JPG"
  done
  measure "$work/small" "small pictures"
fi
