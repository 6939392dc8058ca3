#!/usr/bin/env bash
# Installs the Debian packages that Snapnook needs to build, run and test.
# Usage: scripts/install-deps.sh            (build + tests)
#        scripts/install-deps.sh --browser  (also the real-browser tests' Chromium, Node and
#                                            linkchecker)
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  libvips-dev libturbojpeg0-dev libsqlite3-dev libvips-tools libjpeg-turbo-progs libimage-exiftool-perl
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev
  xvfb xdotool x11-utils imagemagick
  time locales
  fonts-liberation librsvg2-bin openbox dpkg-dev
  libjpeg-dev liblcms2-dev clang libclang-rt-14-dev
)
if [[ "${1:-}" == "--browser" ]]; then
  packages+=(chromium linkchecker)
  # Node may come from elsewhere (with its own npm); only install Debian's when there is none.
  command -v node >/dev/null || packages+=(nodejs npm)
fi

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
