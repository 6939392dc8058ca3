#!/usr/bin/env bash
# Builds Snapnook and starts it. Installs what it needs first.
# Usage: scripts/run.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja
cmake --build "$build" -j"$(nproc)"
if [[ -x "$build/bin/snapnook" && -n ${DISPLAY:-}${WAYLAND_DISPLAY:-} ]]; then
  exec "$build/bin/snapnook"
fi
# Without the window, or without a display for it: make an album of a generated sample folder
# with snapnook-batch.
sample=$(mktemp -d)/album
bash scripts/make-sample.sh "$sample"
"$build/bin/snapnook-batch" --title "Sample album" "$sample"
echo "Album written to $sample/index.html"
