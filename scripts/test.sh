#!/usr/bin/env bash
# Builds Snapnook with warnings as errors and runs every test. Installs what it needs first.
# Usage: scripts/test.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

bash scripts/install-deps.sh --browser

cmake -S . -B "$build" -G Ninja -DSNAPNOOK_WERROR=ON
cmake --build "$build" -j"$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure --timeout 900 -j"$(nproc)"
