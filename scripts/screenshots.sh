#!/usr/bin/env bash
# Starts the real desktop program under Xvfb, drives it with xdotool and saves screenshots:
# the splash, the main window during a run, the closing question, the help window and the
# folder chooser.
# Usage: scripts/screenshots.sh [BUILD_DIR] [OUT_DIR]   (defaults: build, BUILD_DIR/screenshots)
# Needs: xvfb xdotool imagemagick (and, for window frames, openbox).
set -euo pipefail
# The source folder shows in the screenshots, so it has a plain name: /home/ann/Pictures/Holiday,
# on a tmpfs over /home in a mount namespace of the script's own, where the system allows one
# (else it lies in the temporary folder).
if [[ -z ${SNAPNOOK_SHOTS_NAMESPACE:-} ]] && unshare --user --map-root-user --mount true 2>/dev/null
then
  export SNAPNOOK_SHOTS_NAMESPACE=1
  exec unshare --user --map-root-user --mount bash -c \
    'mount -t tmpfs tmpfs /home && export SNAPNOOK_SHOTS_HOME=/home; exec bash "$0" "$@"' "$0" "$@"
fi
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-$build/screenshots}
program=$build/bin/snapnook
[[ -x $program ]] || { echo "no $program: build first" >&2; exit 1; }
mkdir -p "$out"
out=$(cd "$out" && pwd)

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" || true; done 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A private display and a private home, so the user's remembered settings are not touched.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.5
fi

# A source folder of generated pictures: enough large ones that the run takes a few seconds.
source=$work/Holiday
[[ -n ${SNAPNOOK_SHOTS_HOME:-} ]] && source=$SNAPNOOK_SHOTS_HOME/ann/Pictures/Holiday
mkdir -p "$source/SET1/BIG/sideways" "$source/SET2/BIG" "$work/pictures"
colours=(skyblue-forestgreen orange-purple gold-teal tomato-navy khaki-seagreen pink-steelblue)
for i in "${!colours[@]}"; do
  convert -seed "$i" -size 3000x2000 "plasma:${colours[i]}" -blur 0x2 -quality 88 \
    "$work/pictures/$i.jpg"
done
for i in $(seq 1 120); do
  cp "$work/pictures/$((i % 6)).jpg" "$source/SET$(((i - 1) / 60 + 1))/BIG/IMG_$(printf %04d "$i").JPG"
done
convert "$work/pictures/0.jpg" -rotate 90 "$source/SET1/BIG/IMG_0041.JPG"
convert "$work/pictures/0.jpg" "$source/SET1/BIG/sideways/IMG_0041.JPG"

shot() {  # shot WINDOW FILE: the window with its frame
  import -frame -window "$1" "$out/$2" 2>/dev/null || import -window "$1" "$out/$2"
  echo "saved $out/$2"
}
click() {  # click WINDOW X Y, in the window's own coordinates
  xdotool mousemove --window "$1" "$2" "$3"
  sleep 0.1
  xdotool click 1
}

"$program" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")

# The splash (it has no caption), shown about two seconds.
splash=$(xdotool search --sync --onlyvisible --classname snapnook | head -1)
sleep 0.4
shot "$splash" splash.png

main=$(xdotool search --sync --onlyvisible --name '^Snapnook$' | head -1)
sleep 0.5
# Type the source folder and a title, then press "Create Pictures".
click "$main" 190 17
xdotool type --delay 5 "$source"
click "$main" 190 41
xdotool type --delay 5 "Summer Holiday"
click "$main" 58 172
# Screenshots through the run until the closing question comes; keep one from a third of the
# way, when the pictures are being made.
frames=()
for n in $(seq 300); do
  xdotool search --onlyvisible --name '^HTML was created successfully$' >/dev/null && break
  import -frame -window "$main" "$work/run-$n.png" 2>/dev/null && frames+=("$work/run-$n.png")
  sleep 0.2
done
((${#frames[@]})) || { echo "no screenshot during the run" >&2; exit 1; }
cp "${frames[${#frames[@]} / 3]}" "$out/main-window.png"
echo "saved $out/main-window.png (${#frames[@]} taken during the run)"

question=$(xdotool search --sync --onlyvisible --name '^HTML was created successfully$' | head -1)
sleep 0.3
shot "$question" closing-question.png
xdotool key Escape  # No: stay in the program
sleep 0.5
shot "$main" main-window-after-run.png

click "$main" 298 172  # Help
help=$(xdotool search --sync --onlyvisible --name '^About Snapnook$' | head -1)
sleep 0.3
shot "$help" help.png
xdotool key Return  # OK
sleep 0.3

click "$main" 340 16  # "..."
chooser=$(xdotool search --sync --onlyvisible --name '^Choose a directory$' | head -1)
sleep 0.3
shot "$chooser" chooser.png
xdotool key Escape
sleep 0.3

click "$main" 178 172  # Close
(sleep 5 && kill "$program_pid" 2>/dev/null) &
watchdog=$!
status=0
wait "$program_pid" || status=$?
kill "$watchdog" 2>/dev/null || true
if ((status != 0)); then
  echo "the program did not end cleanly on Close (status $status)" >&2
  exit 1
fi
ls "$source"/*.htm* >/dev/null || { echo "the run wrote no pages" >&2; exit 1; }
echo "album written: $(ls "$source" | tr '\n' ' ')"
