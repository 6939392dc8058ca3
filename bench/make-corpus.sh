#!/usr/bin/env bash
# Builds the benchmark corpus: camera-like JPEG photographs in picture sets, laid out as Snapnook
# expects them (OUT/SET1/BIG/*.JPG, portrait pictures with their sideways copies in
# OUT/SETn/BIG/sideways/).
#
# The pictures are real photographs from Debian's wallpaper packages, cropped and resized to
# 12-24 megapixels, given a faint sensor-like grain (an enlarged wallpaper is smoother than a
# camera file) and encoded as a camera would: baseline JPEG, quality 92, 4:2:0 chroma, standard
# Huffman tables, no metadata. Every fifth picture is portrait: the upright picture lies in BIG
# and the same picture rotated 90 degrees, as the camera took it, in BIG/sideways.
#
# Everything is decided by the picture's number (sources, crops, sizes, grain seeds), so the same
# options give the same files on the same libvips.
set -euo pipefail

usage() {
  cat <<'EOF'
Usage: bench/make-corpus.sh [OPTIONS] OUT
Builds the benchmark corpus in the folder OUT (created; an earlier corpus there is replaced).

  -n, --count N     number of pictures (default 40)
      --mp MP       every picture MP megapixels (default: a fixed mix from 12 to 24)
      --per-set N   pictures per set folder (default 20)
      --huge        one 100-megapixel landscape picture (same as --count 1 --mp 100)
      --no-install  do not install missing Debian packages
  -h, --help        this text
EOF
}

count=40
mp=""
per_set=20
install=1
out=""
while (($#)); do
  case "$1" in
    -n | --count) count=${2:?--count needs a number}; shift 2 ;;
    --mp) mp=${2:?--mp needs a number}; shift 2 ;;
    --per-set) per_set=${2:?--per-set needs a number}; shift 2 ;;
    --huge) count=1; mp=100; shift ;;
    --no-install) install=0; shift ;;
    -h | --help) usage; exit 0 ;;
    -*) echo "make-corpus: unknown option '$1'" >&2; usage >&2; exit 2 ;;
    *)
      [[ -z "$out" ]] || { echo "make-corpus: more than one output folder given" >&2; exit 2; }
      out=$1; shift ;;
  esac
done
[[ -n "$out" ]] || { usage >&2; exit 2; }
for n in "$count" "$per_set" ${mp:+"$mp"}; do
  [[ "$n" =~ ^[1-9][0-9]*$ ]] || { echo "make-corpus: '$n' is not a positive whole number" >&2; exit 2; }
done
set_names=(1 2 3 4 5 6 7 8 9 A B C D E F G H I J K L M N O P Q R S T U V W X Y Z)
if ((count > per_set * ${#set_names[@]})); then
  echo "make-corpus: at most $((per_set * ${#set_names[@]})) pictures with $per_set per set" >&2
  exit 2
fi

# --- the tools and the photographs ---------------------------------------------------------
packages=(libvips-tools plasma-workspace-wallpapers lomiri-wallpapers-16.04 lomiri-wallpapers-20.04)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  if ((!install)); then
    echo "make-corpus: missing Debian packages: ${missing[*]}" >&2
    exit 1
  fi
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Photographs only (the packages also hold renders and drawings); width and height are the
# files' own.
bg=/usr/share/backgrounds
wp=/usr/share/wallpapers
# Largest first, so that the 100-megapixel picture starts from the most pixels.
landscape_sources=(
  "$bg/Kleiber_by_Lukas_Baubkus.jpg 6028 3391"
  "$bg/seeding_by_Clements_Engelhardt.jpg 5312 2988"
  "$bg/Bridge_by_Sander_Klootwijk.jpg 4352 2448"
  "$bg/sunset_by_Aitzol_Berasategi.jpg 4272 2848"
  "$bg/Dragonfly_by_Bolly.jpg 4224 3168"
  "$bg/picosdeeuropa_by_Aitzol_Berasategi.jpg 3264 2448"
  "$bg/aitzgorri_by_Aitzol_Berasategi.jpg 3088 2056"
  "$bg/life_by_Aitzol_Berasategi.jpg 3088 2056"
  "$bg/analogpattern_by_Peter_Nerlich.jpg 2880 2160"
  "$bg/free_by_Peter_Nerlich.jpg 2880 2160"
  "$bg/greentock_by_Peter_Nerlich.jpg 2880 2160"
  "$bg/Picture_0B_by_freespace.jpg 2572 1740"
  "$wp/BytheWater/contents/images/2560x1600.jpg 2560 1600"
  "$wp/ColdRipple/contents/images/2560x1600.jpg 2560 1600"
  "$wp/ColorfulCups/contents/images/2560x1600.jpg 2560 1600"
  "$wp/DarkestHour/contents/images/2560x1600.jpg 2560 1600"
  "$wp/EveningGlow/contents/images/2560x1600.jpg 2560 1600"
  "$wp/FallenLeaf/contents/images/2560x1600.jpg 2560 1600"
  "$wp/Grey/contents/images/2560x1600.jpg 2560 1600"
  "$wp/Kite/contents/images/2560x1600.jpg 2560 1600"
  "$wp/OneStandsOut/contents/images/2560x1600.jpg 2560 1600"
  "$wp/Path/contents/images/2560x1600.jpg 2560 1600"
  "$wp/summer_1am/contents/images/2560x1600.jpg 2560 1600"
)
# Upright photographs, and landscape ones tall enough for an upright crop.
portrait_sources=(
  "$bg/Wine_by_Jakkub_Mede.jpg 2560 3837"
  "$bg/friends_by_Aitzol_Berasategi.jpg 2056 3088"
  "$bg/Dragonfly_by_Bolly.jpg 4224 3168"
  "$bg/Kleiber_by_Lukas_Baubkus.jpg 6028 3391"
  "$bg/seeding_by_Clements_Engelhardt.jpg 5312 2988"
  "$bg/sunset_by_Aitzol_Berasategi.jpg 4272 2848"
)
for s in "${landscape_sources[@]}" "${portrait_sources[@]}"; do
  read -r f _ <<<"$s"
  [[ -f "$f" ]] || { echo "make-corpus: missing source photograph $f" >&2; exit 1; }
done

# --- deterministic choices -----------------------------------------------------------------
# A small integer hash of (picture number, salt), in 0 .. modulus-1.
pick() {
  local x=$((($1 * 2654435761 + $2 * 40503 + 12345) & 0xffffffff))
  x=$((((x ^ (x >> 15)) * 2246822519) & 0xffffffff))
  x=$(((x ^ (x >> 13)) & 0xffffffff))
  echo $((x % $3))
}

# Width and height of a picture of about $1 megapixels with aspect $2:$3, multiples of 8.
camera_size() {
  awk -v mp="$1" -v aw="$2" -v ah="$3" 'BEGIN {
    w = int(sqrt(mp * 1e6 * aw / ah) / 8 + 0.5) * 8
    h = int(w * ah / aw / 8 + 0.5) * 8
    print w, h }'
}

mix_mp=(12 16 20 24 14 18 22 15)
grain=3  # standard deviation of the grain, in 8-bit steps

# --- output folder ---------------------------------------------------------------------------
marker=.snapnook-bench-corpus
if [[ -e "$out" ]]; then
  if [[ -f "$out/$marker" ]]; then
    rm -rf -- "$out"/SET? "$out/corpus.txt" "$out/.work"
  elif [[ -n "$(ls -A -- "$out")" ]]; then
    echo "make-corpus: $out exists and is not a corpus made by this script; not touching it" >&2
    exit 1
  fi
fi
mkdir -p -- "$out"
touch -- "$out/$marker"
work="$out/.work"
mkdir -p -- "$work"
trap 'rm -rf -- "$work"' EXIT
export VIPS_WARNING=1  # the wallpapers' odd EXIF resolution units are no concern here

manifest="$out/corpus.txt"
printf '# picture  set  orientation  width x height  source  crop(left top width height)\n' >"$manifest"

portraits=0
for ((i = 1; i <= count; i++)); do
  set_folder="$out/SET${set_names[(i - 1) / per_set]}"
  name=$(printf 'IMG_%04d.JPG' "$i")
  mkdir -p -- "$set_folder/BIG"

  size_mp=${mp:-${mix_mp[(i - 1) % ${#mix_mp[@]}]}}
  if ((i % 5 == 0)); then
    orientation=portrait
    src=${portrait_sources[portraits % ${#portrait_sources[@]}]}
    portraits=$((portraits + 1))
    if ((i % 2)); then read -r width height < <(camera_size "$size_mp" 3 4); else read -r width height < <(camera_size "$size_mp" 2 3); fi
  else
    orientation=landscape
    src=${landscape_sources[(i - 1 - portraits) % ${#landscape_sources[@]}]}
    if ((i % 2)); then read -r width height < <(camera_size "$size_mp" 4 3); else read -r width height < <(camera_size "$size_mp" 3 2); fi
  fi
  read -r file src_w src_h <<<"$src"

  # The largest region of the picture's aspect that fits the photograph, zoomed in to 70-100 %
  # and placed anywhere inside it.
  zoom=$((70 + $(pick "$i" 1 31)))
  read -r crop_w crop_h < <(awk -v sw="$src_w" -v sh="$src_h" -v w="$width" -v h="$height" -v z="$zoom" 'BEGIN {
    if (sw * h > sh * w) { ch = sh; cw = sh * w / h } else { cw = sw; ch = sw * h / w }
    print int(cw * z / 100), int(ch * z / 100) }')
  left=$(pick "$i" 2 $((src_w - crop_w + 1)))
  top=$(pick "$i" 3 $((src_h - crop_h + 1)))

  vips crop "$file" "$work/crop.v" "$left" "$top" "$crop_w" "$crop_h"
  hscale=$(awk -v a="$width" -v b="$crop_w" 'BEGIN { printf "%.10f", a / b }')
  vscale=$(awk -v a="$height" -v b="$crop_h" 'BEGIN { printf "%.10f", a / b }')
  vips resize "$work/crop.v" "$work/sized.v" "$hscale" --vscale "$vscale" --kernel lanczos3
  # Rounding of the scale may leave a pixel over or short.
  vips embed "$work/sized.v" "$work/exact.v" 0 0 "$width" "$height" --extend copy
  vips gaussnoise "$work/grain.v" "$width" "$height" --sigma "$grain" --mean 0 --seed "$i"
  vips add "$work/exact.v" "$work/grain.v" "$work/grainy.v"
  vips cast "$work/grainy.v" "$work/final.v" uchar
  vips jpegsave "$work/final.v" "$set_folder/BIG/$name" --Q 92 --subsample-mode on --strip
  if [[ "$orientation" == portrait ]]; then
    mkdir -p -- "$set_folder/BIG/sideways"
    vips rot "$work/final.v" "$work/sideways.v" d90
    vips jpegsave "$work/sideways.v" "$set_folder/BIG/sideways/$name" --Q 92 --subsample-mode on --strip
  fi
  rm -f -- "$work"/*.v "$work"/*.v.*

  printf '%s  %s  %s  %dx%d  %s  %d %d %d %d\n' "$name" "${set_folder##*/}" "$orientation" \
    "$width" "$height" "${file#/usr/share/}" "$left" "$top" "$crop_w" "$crop_h" >>"$manifest"
  printf 'make-corpus: %s/BIG/%s  %s %dx%d\n' "${set_folder##*/}" "$name" "$orientation" "$width" "$height"
done

echo "make-corpus: done, $(du -sh -- "$out" | cut -f1) in $out"
