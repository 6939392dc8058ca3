#!/usr/bin/env bash
# Screenshots of a modern album beside a classic one of the same pictures, in headless Chromium
# at a phone's width (390 x 844) and a desktop's (1280 x 900), for the README.
# Usage: scripts/album-screenshots.sh [BUILD_DIR] [OUT_DIR]   (defaults: build, docs)
# Needs: a build with the tests (the browser tests' npm packages installed by
# `ctest -R browser_npm_ci`), chromium, imagemagick, vips (libvips-tools).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
out=$(mkdir -p "${2:-docs}" && cd "${2:-docs}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The pictures, 16 in two sets: each a hue of its own, lighter to the lower right, with its
# number on it; every third upright. The modern album takes them as they are; the classic album
# gets them in SET1 and SET2, an upright picture with its sideways copy beside it, as it asks.
n=0 sets=0
for set in "9 Chania" "7 Rethymno & the south coast"; do
  count=${set%% *}
  modern=$work/site/modern/${set#* }/BIG
  classic=$work/site/classic/SET$((++sets))/BIG
  mkdir -p "$modern" "$classic/sideways"
  for ((i = 0; i < count; i++)); do
    n=$((n + 1))
    name=$(printf 'IMG_%04d.JPG' "$n")
    size=$((n % 3 ? 1200 : 900))x$((n % 3 ? 900 : 1200)) hue=$((n * 47 % 360))
    convert -size "$size" -define gradient:direction=SouthEast \
      gradient:"hsl($hue,45%,35%)-hsl($hue,45%,70%)" -gravity center -font DejaVu-Sans-Bold \
      -pointsize 200 -fill white -annotate 0 "$n" -quality 90 "$modern/$name"
    cp "$modern/$name" "$classic/$name"
    if ((n % 3 == 0)); then vips rot "$modern/$name" "$classic/sideways/$name" d270; fi
  done
done
for album in modern classic; do
  HOME=$work "$build/bin/snapnook-batch" -q "--$album" --title "Summer in Crete" \
    --copyright "Ann Example" --copyright-link https://ann.example "$work/site/$album" >/dev/null
done

cat >"$work/shots.mjs" <<'SHOTS'
import { createRequire } from "node:module";
const [npm, chromiumPath, site, out] = process.argv.slice(2);
const { chromium } = createRequire(`${npm}/package.json`)("playwright-core");
const browser = await chromium.launch({ executablePath: chromiumPath, args: ["--no-sandbox"] });
for (const [name, width, height] of [["phone", 390, 844], ["desktop", 1280, 900]]) {
  const page = await browser.newPage({ viewport: { width, height }, isMobile: width < 1000 });
  await page.goto(`file://${site}/classic/page01.htm`);
  await page.screenshot({ path: `${out}/classic-${name}.png` });
  await page.goto(`file://${site}/modern/index.html`);
  await page.waitForFunction(() => [...document.images].every((img) => img.complete));
  await page.screenshot({ path: `${out}/modern-${name}.png` });
  await page.goto(`file://${site}/modern/index.html#p2`);
  await page.waitForFunction(() => document.querySelector("dialog img")?.complete);
  await page.screenshot({ path: `${out}/viewer-${name}.png` });
  await page.close();
}
await browser.close();
SHOTS
node "$work/shots.mjs" "$build/tests/browser/npm" "$(command -v chromium)" "$work/site" "$work"

# Side by side, each with its caption: at a phone's width the classic album, the modern one and
# its viewer; at a desktop's the two albums, at half size.
label() { convert "$1" -background white -fill black -font DejaVu-Sans -pointsize "$3" \
  label:"$2" +swap -gravity center -append -bordercolor white -border 10 "$4"; }
for size in phone desktop; do
  points=$([[ $size == phone ]] && echo 20 || echo 36)
  label "$work/classic-$size.png" "Classic album" "$points" "$work/a.png"
  label "$work/modern-$size.png" "Modern album" "$points" "$work/b.png"
  if [[ $size == phone ]]; then
    label "$work/viewer-$size.png" "Modern album: the viewer" "$points" "$work/c.png"
    convert "$work/a.png" "$work/b.png" "$work/c.png" +append -strip "$out/album-$size.png"
  else
    convert "$work/a.png" "$work/b.png" +append -resize 50% -strip "$out/album-$size.png"
  fi
  echo "saved $out/album-$size.png"
done
