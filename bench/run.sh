#!/usr/bin/env bash
# Measures how fast the derived pictures of a corpus are made, against the JPEG decode floor and
# the usual tools, in one run with the commands interleaved round by round (so machine noise hits
# all alike; the order also rotates from round to round).
#
# Commands (each makes, for every picture in SETn/BIG, the album picture, its thumbnail, the
# 640x480 screen copy and, for a portrait picture, the sideways screen copy; the floor only
# decodes):
#   floor  djpeg -scale M/8 of every picture and sideways copy, M the smallest that still covers
#          the 640x480 (480x640) screen copy, output to /dev/null
#   floor2 the same files in two djpeg streams side by side (every other file each): how much
#          faster two cores make the floor itself, the yardstick for -j2
#   j1     snapnook-batch --no-html -q -j1 CORPUS
#   j2     snapnook-batch --no-html -q -j2 CORPUS
#   mod1   snapnook-batch --modern --no-html -q -j1 CORPUS: the modern album's copies (each
#          filling its box with a centred cut, turned upright by its orientation)
#   gm     GraphicsMagick, one `gm convert -size` process per picture (and per sideways copy)
#   im     ImageMagick 6, one `convert -define jpeg:size=` process per picture (and per sideways
#          copy)
# Before every command the outputs of the previous one and the album's record are removed (so
# that each run makes the album it asks for) and the empty output folders made again; the BIG
# folders are only read (checked at the end).
set -euo pipefail

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname -- "$here")

# Same output settings for both toolkits: quality 92, 4:4:4 chroma, no metadata, Lanczos. The
# album picture is scaled from the screen copy and the thumbnail from the album picture, the
# cheapest order for these tools.
tool_options=(-strip -filter Lanczos -quality 92 -sampling-factor 1x1)

# --- one pipeline over a prepared list; run as a child of GNU time --------------------------
if [[ "${1:-}" == --pipeline ]]; then
  kind=$2 list=$3 tool=${4:-}
  case "$kind" in
    floor)
      while IFS=$'\t' read -r path m; do
        djpeg -scale "$m/8" "$path" >/dev/null
      done <"$list"
      ;;
    floor2)
      awk 'NR % 2 == 1' "$list" >"$list.odd"
      awk 'NR % 2 == 0' "$list" >"$list.even"
      bash "$0" --pipeline floor "$list.odd" &
      bash "$0" --pipeline floor "$list.even"
      wait $!
      ;;
    gm | im)
      while IFS=$'\t' read -r set_dir name portrait; do
        if ((portrait)); then screen=480x640 album=216x288 thumb=55x74; else screen=640x480 album=288x216 thumb=74x55; fi
        if [[ "$kind" == gm ]]; then run=("$tool" convert -size "$screen"); else run=("$tool" -define "jpeg:size=$screen"); fi
        "${run[@]}" "$set_dir/BIG/$name" "${tool_options[@]}" \
          -resize "$screen!" -write "$set_dir/640/$name" \
          -resize "$album!" -write "$set_dir/$name" \
          -resize "$thumb!" "$set_dir/Thumb/$name"
        if ((portrait)); then
          if [[ "$kind" == gm ]]; then run=("$tool" convert -size 640x480); else run=("$tool" -define jpeg:size=640x480); fi
          "${run[@]}" "$set_dir/BIG/sideways/$name" "${tool_options[@]}" \
            -resize '640x480!' "$set_dir/640/sideways/$name"
        fi
      done <"$list"
      ;;
    *) echo "run.sh: unknown pipeline $kind" >&2; exit 2 ;;
  esac
  exit 0
fi

usage() {
  cat <<'EOF'
Usage: bench/run.sh [OPTIONS] CORPUS
Times the derived-picture commands over CORPUS (made by bench/make-corpus.sh) and prints, per
command, the median seconds per picture, the ratio to the decode floor, the median CPU seconds
per picture and the peak resident memory.

  -b, --batch PATH   snapnook-batch to measure (default: build/bin/snapnook-batch of this
                     repository); without it only the floor and the toolkits are measured
      --old PATH     another snapnook-batch (an earlier build) to measure with -j1 as "old1"
  -r, --reps N       rounds (default 3)
      --only LIST    commands to run, comma-separated from floor,floor2,j1,j2,mod1,old1,gm,im
                     (default: all but old1, which --old adds)
      --log DIR      keep every run's GNU time report and error output in DIR
      --no-install   do not install missing Debian packages
  -h, --help         this text
EOF
}

batch="$repo/build/bin/snapnook-batch"
old=""
reps=3
only=""
log=""
install=1
corpus=""
while (($#)); do
  case "$1" in
    -b | --batch) batch=${2:?--batch needs a path}; shift 2 ;;
    --old) old=${2:?--old needs a path}; shift 2 ;;
    -r | --reps) reps=${2:?--reps needs a number}; shift 2 ;;
    --only) only=${2:?--only needs a list}; shift 2 ;;
    --log) log=${2:?--log needs a folder}; shift 2 ;;
    --no-install) install=0; shift ;;
    -h | --help) usage; exit 0 ;;
    -*) echo "run.sh: unknown option '$1'" >&2; usage >&2; exit 2 ;;
    *)
      [[ -z "$corpus" ]] || { echo "run.sh: more than one corpus given" >&2; exit 2; }
      corpus=$1; shift ;;
  esac
done
[[ -n "$corpus" ]] || { usage >&2; exit 2; }
[[ "$reps" =~ ^[1-9][0-9]*$ ]] || { echo "run.sh: --reps takes a positive whole number" >&2; exit 2; }
[[ -d "$corpus" ]] || { echo "run.sh: no folder $corpus" >&2; exit 2; }
corpus=$(cd -- "$corpus" && pwd)

all_commands=(floor floor2 j1 j2 mod1 gm im)
if [[ -n "$old" ]]; then all_commands+=(old1); fi
declare -A label=(
  [floor]="floor: djpeg -scale M/8"
  [floor2]="floor in two djpeg streams"
  [old1]="old snapnook-batch -j1"
  [j1]="snapnook-batch -j1"
  [j2]="snapnook-batch -j2"
  [mod1]="snapnook-batch --modern -j1"
  [gm]="GraphicsMagick gm convert -size"
  [im]="ImageMagick 6 convert jpeg:size"
)
commands=()
if [[ -n "$only" ]]; then
  IFS=, read -r -a commands <<<"$only"
  for c in "${commands[@]}"; do
    [[ -v "label[$c]" ]] || { echo "run.sh: unknown command '$c' (floor,floor2,j1,j2,mod1,old1,gm,im)" >&2; exit 2; }
  done
else
  commands=("${all_commands[@]}")
fi
wants_batch=0
for c in "${commands[@]}"; do [[ "$c" == j1 || "$c" == j2 || "$c" == mod1 ]] && wants_batch=1; done
if ((wants_batch)) && [[ ! -x "$batch" ]]; then
  if [[ -n "$only" ]]; then
    echo "run.sh: no snapnook-batch at $batch (see --batch)" >&2
    exit 2
  fi
  echo "run.sh: no snapnook-batch at $batch; measuring the floor and the toolkits only" >&2
  commands=(floor floor2 gm im)
fi
for c in "${commands[@]}"; do
  if [[ "$c" == old1 && ! -x "$old" ]]; then echo "run.sh: old1 needs --old PATH" >&2; exit 2; fi
done

# --- tools -----------------------------------------------------------------------------------
packages=(libjpeg-turbo-progs graphicsmagick imagemagick time)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  if ((!install)); then
    echo "run.sh: missing Debian packages: ${missing[*]}" >&2
    exit 1
  fi
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
gnu_time=/usr/bin/time
# ImageMagick 6 itself, not whatever `convert` comes first on the PATH.
im_tool=$(command -v convert-im6.q16 || command -v convert-im6 || command -v convert)
"$im_tool" -version | grep -q 'ImageMagick 6' || { echo "run.sh: $im_tool is not ImageMagick 6" >&2; exit 1; }
gm_tool=$(command -v gm)
identify_tool=$(command -v identify-im6.q16 || command -v identify)
# One job at a time: the toolkits' OpenMP threads would otherwise use both cores.
one_thread=(env OMP_NUM_THREADS=1 MAGICK_THREAD_LIMIT=1)

# --- the corpus --------------------------------------------------------------------------------
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
if [[ -n "$log" ]]; then mkdir -p -- "$log"; log=$(cd -- "$log" && pwd); else log="$work/log"; mkdir -p "$log"; fi

set_dirs=()
for d in "$corpus"/*/; do
  d=${d%/}
  [[ -d "$d/BIG" ]] && set_dirs+=("$d")
done
((${#set_dirs[@]})) || { echo "run.sh: no SETn/BIG folders in $corpus" >&2; exit 2; }

# The smallest M (of M/8) whose scaled picture covers w x h.
floor_scale() {
  local width=$1 height=$2 need_w=$3 need_h=$4 m
  for m in 1 2 3 4 5 6 7 8; do
    if (((width * m + 7) / 8 >= need_w && (height * m + 7) / 8 >= need_h)); then
      echo "$m"
      return
    fi
  done
  echo 8
}

pictures=0
: >"$work/pictures.list"
: >"$work/floor.list"
: >"$work/expected.list"
for set_dir in "${set_dirs[@]}"; do
  while IFS= read -r -d '' path; do
    name=${path##*/}
    portrait=0
    [[ -f "$set_dir/BIG/sideways/$name" ]] && portrait=1
    read -r w h < <("$identify_tool" -ping -format '%w %h\n' "$path")
    if ((portrait)); then
      printf '%s\t%s\n' "$path" "$(floor_scale "$w" "$h" 480 640)" >>"$work/floor.list"
      side="$set_dir/BIG/sideways/$name"
      read -r sw sh < <("$identify_tool" -ping -format '%w %h\n' "$side")
      printf '%s\t%s\n' "$side" "$(floor_scale "$sw" "$sh" 640 480)" >>"$work/floor.list"
      printf '%s 216 288\n%s 55 74\n%s 480 640\n%s 640 480\n' "$set_dir/$name" "$set_dir/Thumb/$name" \
        "$set_dir/640/$name" "$set_dir/640/sideways/$name" >>"$work/expected.list"
    else
      printf '%s\t%s\n' "$path" "$(floor_scale "$w" "$h" 640 480)" >>"$work/floor.list"
      printf '%s 288 216\n%s 74 55\n%s 640 480\n' "$set_dir/$name" "$set_dir/Thumb/$name" \
        "$set_dir/640/$name" >>"$work/expected.list"
    fi
    printf '%s\t%s\t%s\n' "$set_dir" "$name" "$portrait" >>"$work/pictures.list"
    pictures=$((pictures + 1))
  done < <(find "$set_dir/BIG" -maxdepth 1 -type f -iname '*.jpg' -print0 | sort -z)
done
((pictures)) || { echo "run.sh: no pictures in the BIG folders of $corpus" >&2; exit 2; }

big_state() {
  find "$corpus" -path '*/BIG/*' -printf '%P %s %T@ %m\n' | sort | md5sum
}
big_before=$(big_state)

reset_outputs() {
  local set_dir
  rm -f -- "$corpus"/.snapnook.sqlite*
  for set_dir in "${set_dirs[@]}"; do
    find "$set_dir" -maxdepth 1 -type f -iname '*.jpg' -delete
    rm -rf -- "$set_dir/Thumb" "$set_dir/640"
    mkdir -p -- "$set_dir/Thumb" "$set_dir/640/sideways"
  done
}

# Every expected output exists with its exact size.
check_outputs() {
  local c=$1 files=() want=() path w h got
  while read -r path w h; do
    [[ -f "$path" ]] || { echo "run.sh: $c did not write $path" >&2; return 1; }
    files+=("$path")
    want+=("$w $h")
  done <"$work/expected.list"
  mapfile -t got < <("$identify_tool" -ping -format '%w %h\n' "${files[@]}")
  for i in "${!files[@]}"; do
    if [[ "${got[i]:-}" != "${want[i]}" ]]; then
      echo "run.sh: $c wrote ${files[i]} as ${got[i]:-nothing}, not ${want[i]}" >&2
      return 1
    fi
  done
}

# Runs one command under GNU time; appends "command wall cpu rss_kb" to the results.
run_one() {
  local c=$1 round=$2 tag cmd=() start end status=0
  tag="$log/$c.$round"
  case "$c" in
    floor) cmd=(bash "$here/run.sh" --pipeline floor "$work/floor.list") ;;
    floor2) cmd=(bash "$here/run.sh" --pipeline floor2 "$work/floor.list") ;;
    old1) cmd=("$old" --no-html -q -j1 "$corpus") ;;
    j1) cmd=("$batch" --no-html -q -j1 "$corpus") ;;
    j2) cmd=("$batch" --no-html -q -j2 "$corpus") ;;
    mod1) cmd=("$batch" --modern --no-html -q -j1 "$corpus") ;;
    gm) cmd=("${one_thread[@]}" bash "$here/run.sh" --pipeline gm "$work/pictures.list" "$gm_tool") ;;
    im) cmd=("${one_thread[@]}" bash "$here/run.sh" --pipeline im "$work/pictures.list" "$im_tool") ;;
  esac
  reset_outputs
  sync
  start=$EPOCHREALTIME
  "$gnu_time" -v -o "$tag.time" "${cmd[@]}" >"$tag.out" 2>"$tag.err" || status=$?
  end=$EPOCHREALTIME
  if ((status)); then
    echo "run.sh: ${label[$c]} failed (status $status): ${cmd[*]}" >&2
    tail -n 20 "$tag.err" >&2
    exit 1
  fi
  if [[ "$c" != floor* ]]; then check_outputs "$c"; fi
  awk -v c="$c" -v start="$start" -v end="$end" '
    /User time \(seconds\)/ { cpu += $NF }
    /System time \(seconds\)/ { cpu += $NF }
    /Maximum resident set size/ { rss = $NF }
    END { printf "%s %.6f %.3f %d\n", c, end - start, cpu, rss }' "$tag.time" >>"$work/results"
}

echo "Corpus: $corpus ($pictures pictures, $(wc -l <"$work/floor.list") JPEG files with the sideways copies)"
echo "Machine: $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), load average $(cut -d' ' -f1-3 /proc/loadavg); $reps rounds of: ${commands[*]}"
if ((wants_batch)) && [[ -x "$batch" ]]; then echo "snapnook-batch: $batch ($("$batch" --version))"; fi
echo "Tools: $(djpeg -version 2>&1 | head -n 1 | sed 's/^ *//'); $("$gm_tool" -version | head -n 1); $("$im_tool" -version | head -n 1 | sed 's/^Version: //')"

# Everything from the page cache, for every command alike.
find "$corpus" -path '*/BIG/*' -type f -exec cat {} + >/dev/null

: >"$work/results"
n=${#commands[@]}
for ((round = 1; round <= reps; round++)); do
  for ((k = 0; k < n; k++)); do
    c=${commands[(k + round - 1) % n]}
    printf '\rround %d/%d: %-8s' "$round" "$reps" "$c" >&2
    run_one "$c" "$round"
  done
done
printf '\r%40s\r' '' >&2
reset_outputs
echo "Load average after the run: $(cut -d' ' -f1-3 /proc/loadavg)"

if [[ "$(big_state)" != "$big_before" ]]; then
  echo "run.sh: the BIG folders changed during the run" >&2
  exit 1
fi

# --- the table ---------------------------------------------------------------------------------
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -A wall cpu rss
for c in "${commands[@]}"; do
  wall[$c]=$(awk -v c="$c" -v n="$pictures" '$1 == c { print $2 / n }' "$work/results" | median)
  cpu[$c]=$(awk -v c="$c" -v n="$pictures" '$1 == c { print $3 / n }' "$work/results" | median)
  rss[$c]=$(awk -v c="$c" '$1 == c && $4 > m { m = $4 } END { print m }' "$work/results")
done

echo
printf '| %-32s | %11s | %7s | %11s | %11s | %9s |\n' "command" "s / picture" "x floor" "CPU s / pic" "CPU x floor" "peak RSS"
printf '|%s|%s|%s|%s|%s|%s|\n' "----------------------------------" "------------:" "--------:" "------------:" "------------:" "----------:"
ratio() { if [[ -v "wall[floor]" ]]; then awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; else echo -; fi; }
for c in "${commands[@]}"; do
  printf '| %-32s | %11.4f | %7s | %11.4f | %11s | %6.0f MB |\n' "${label[$c]}" "${wall[$c]}" \
    "$(ratio "${wall[$c]}" "${wall[floor]:-}")" "${cpu[$c]}" "$(ratio "${cpu[$c]}" "${cpu[floor]:-}")" \
    "$(awk -v k="${rss[$c]}" 'BEGIN { print k / 1024 }')"
done
echo
echo "Medians of $reps rounds over $pictures pictures; peak RSS is the largest of any one process."
if [[ -v "wall[j1]" && -v "wall[j2]" ]]; then
  awk -v a="${wall[j1]}" -v b="${wall[j2]}" 'BEGIN { printf "snapnook-batch -j2 is %.2fx as fast as -j1.\n", a / b }'
fi
if [[ -v "cpu[floor]" && -v "cpu[mod1]" ]]; then
  awk -v a="${cpu[mod1]}" -v b="${cpu[floor]}" 'BEGIN { printf "snapnook-batch --modern -j1 costs %.2fx the floor in CPU time (the target: at most 1.15x).\n", a / b }'
fi
if [[ -v "wall[floor]" && -v "wall[floor2]" ]]; then
  awk -v a="${wall[floor]}" -v b="${wall[floor2]}" 'BEGIN { printf "Two djpeg streams are %.2fx as fast as one.\n", a / b }'
  if [[ -v "wall[j1]" && -v "wall[j2]" ]]; then
    awk -v a="${wall[j1]}" -v b="${wall[j2]}" -v f="${wall[floor]}" -v g="${wall[floor2]}" \
      'BEGIN { printf "The -j2 speed-up is %.2f of the two streams'"'"' speed-up.\n", (a / b) / (f / g) }'
  fi
fi
