#!/usr/bin/env bash
# Makes the odd pictures of the reliability tests (tests/data/pictures/, described in its
# pictures.txt) from one generated picture: every encoding and damage a camera, an editor or a
# damaged card may leave in a BIG folder.
# Usage: scripts/make-odd-pictures.sh [FOLDER]   (default: tests/data/pictures)
# Needs perl, cjpeg and jpegtran (libjpeg-turbo-progs), exiftool, vips (libvips-tools),
# a C compiler with libjpeg (libjpeg-dev) and Ghostscript's a98.icc (libgs-common).
set -euo pipefail
out=${1:-$(dirname "$0")/../tests/data/pictures}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A binary PPM of WIDTH x HEIGHT: four coloured quadrants (blue, red, yellow, green clockwise
# from the top left, so that a turned copy shows it) blending into each other over a tenth of
# the picture, under fine texture and grain in the brightness alone. Two ways of scaling it then
# differ wherever they differ, but not by how each treats a hard edge in colours subsampled
# fourfold.
ppm() {  # ppm WIDTH HEIGHT > FILE
  perl -e '
    my ($w, $h) = @ARGV;
    my @q = ([40, 60, 200], [200, 40, 40], [220, 200, 50], [40, 170, 60]);
    sub blend {  # 0 before the middle, 1 after it, smoothly over a tenth of `size`
      my ($at, $size) = @_;
      my $t = 0.5 + ($at + 0.5 - $size / 2) / ($size / 10);
      $t = $t < 0 ? 0 : $t > 1 ? 1 : $t;
      return $t * $t * (3 - 2 * $t);
    }
    binmode STDOUT;
    print "P6\n$w $h\n255\n";
    my $n = 1;
    for my $y (0 .. $h - 1) {
      for my $x (0 .. $w - 1) {
        my ($right, $down) = (blend($x, $w), blend($y, $h));
        $n = ($n * 75 + 74) % 65537;
        my $detail = 18 * sin($x * 0.9) * cos($y * 0.7) + 10 * sin(($x + 2 * $y) * 0.13) + $n % 9 - 4;
        for my $k (0 .. 2) {
          my $top = $q[0][$k] + ($q[1][$k] - $q[0][$k]) * $right;
          my $bottom = $q[3][$k] + ($q[2][$k] - $q[3][$k]) * $right;
          my $v = $top + ($bottom - $top) * $down + $detail;
          print chr($v < 0 ? 0 : $v > 255 ? 255 : int($v));
        }
      }
    }' "$1" "$2"
}
# Copies the baseline picture to NAME with the perl code CODE applied to its bytes, in $j; $sof
# is the offset of its frame header (FF C0), whose height is at $sof + 5, its width at + 7.
patched() {  # patched NAME CODE [FROM]
  perl -0777 -ne 'my $j = $_; /\xFF[\xC0\xC2]/g; my $sof = pos() - 2; '"$2"'; print $j' \
    "${3:-$base}" >"$out/$1.JPG"
}

mkdir -p "$out"
ppm 163 121 >"$tmp/base.ppm"
cjpeg -quality 90 -outfile "$out/baseline.JPG" "$tmp/base.ppm"
base=$out/baseline.JPG
size=$(stat -c %s "$base")

jpegtran -progressive -outfile "$out/progressive.JPG" "$base"
jpegtran -arithmetic -outfile "$out/arithmetic.JPG" "$base"
jpegtran -progressive -arithmetic -outfile "$out/progressive-arithmetic.JPG" "$base"
cjpeg -quality 90 -restart 1 -outfile "$out/restart-every-row.JPG" "$tmp/base.ppm"
cjpeg -quality 90 -restart 1B -outfile "$out/restart-every-block.JPG" "$tmp/base.ppm"
for s in 444:1x1 422:2x1 440:1x2 411:4x1; do
  cjpeg -quality 90 -sample "${s#*:}" -outfile "$out/chroma-${s%:*}.JPG" "$tmp/base.ppm"
done
cjpeg -quality 90 -grayscale -outfile "$out/grayscale.JPG" "$tmp/base.ppm"
cjpeg -quality 90 -rgb -outfile "$out/rgb.JPG" "$tmp/base.ppm"

# CMYK as Photoshop writes it: plain CMY without black, every ink inverted (255 is no ink, so
# the inverted inks of RGB are RGB itself), stored as CMYK or YCCK, with or without Adobe's
# marker (through libjpeg: no tool here writes YCCK); and CMYK as libvips writes it, through its
# generic press profile.
cc -O -x c -o "$tmp/cmyk" - -ljpeg <<'C'
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <jpeglib.h>
int main(int argc, char** argv) {  /* cmyk ycck|cmyk adobe|bare < P6 > JPEG */
  int w, h;
  if (argc != 3 || scanf("P6 %d %d 255", &w, &h) != 2) return 1;
  getchar();
  struct jpeg_compress_struct c;
  struct jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, stdout);
  c.image_width = w, c.image_height = h, c.input_components = 4, c.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&c);
  jpeg_set_colorspace(&c, strcmp(argv[1], "ycck") == 0 ? JCS_YCCK : JCS_CMYK);
  c.write_Adobe_marker = strcmp(argv[2], "adobe") == 0;
  jpeg_set_quality(&c, 92, TRUE);
  jpeg_start_compress(&c, TRUE);
  JSAMPLE* row = malloc(4 * w);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      for (int i = 0; i < 3; ++i) row[4 * x + i] = getchar();
      row[4 * x + 3] = 255;
    }
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  return 0;
}
C
"$tmp/cmyk" cmyk adobe <"$tmp/base.ppm" >"$out/cmyk-adobe.JPG"
"$tmp/cmyk" cmyk bare <"$tmp/base.ppm" >"$out/cmyk-without-adobe-marker.JPG"
"$tmp/cmyk" ycck adobe <"$tmp/base.ppm" >"$out/ycck-adobe.JPG"
vips icc_export "$tmp/base.ppm" "$out/cmyk-libvips.JPG[Q=92,strip]" --output-profile cmyk

# Colour profiles: the picture's sRGB colours stored in Adobe RGB with that profile, or in sRGB
# with the sRGB profile.
vips icc_transform "$tmp/base.ppm" "$out/adobe-rgb-profile.JPG[Q=90]" \
  /usr/share/color/icc/ghostscript/a98.icc --input-profile srgb
vips icc_transform "$tmp/base.ppm" "$out/srgb-profile.JPG[Q=90]" srgb --input-profile srgb

# EXIF orientation with a GPS position, on a picture for each imaging path: never turned.
cp "$base" "$out/exif-orientation-6.JPG"
cp "$base" "$out/exif-orientation-8.JPG"
cp "$out/rgb.JPG" "$out/exif-orientation-6-rgb.JPG"
for o in 6 8 6-rgb; do
  exiftool -q -overwrite_original -Orientation#=${o%-rgb} -GPSLatitude=59.33 -GPSLatitudeRef=N \
    -GPSLongitude=18.06 -GPSLongitudeRef=E "$out/exif-orientation-$o.JPG"
done

# Shapes.
for s in 1x1 1x5000 5000x1; do
  ppm "${s%x*}" "${s#*x}" >"$tmp/shape-$s.ppm"
  cjpeg -quality 90 -outfile "$out/shape-$s.JPG" "$tmp/shape-$s.ppm"
done

# Not pictures, and pictures cut off or damaged.
: >"$out/zero-bytes.JPG"
vips copy "$tmp/shape-1x1.ppm" "$tmp/png.png"
cp "$tmp/png.png" "$out/png-named-jpg.JPG"
echo "not a picture" >"$out/text-named-jpg.JPG"
cut_off() {  # cut_off NAME BYTES
  head -c "$2" "$base" >"$out/cut-$1.JPG"
}
cut_off after-soi 2
cut_off in-header 100
cut_off in-tables 400
cut_off at-a-tenth $((size / 10))
cut_off in-half $((size / 2))
cut_off before-eoi $((size - 2))
patched trailing-garbage '$j .= "Z" x 5000'
patched corrupt-entropy-data \
  'my $h = int(length($j) / 2); substr($j, $_, 1) = chr((ord(substr($j, $_, 1)) * 7 + 13) % 256) for $h .. $h + 39'
patched claims-zero-width 'substr($j, $sof + 7, 2) = "\0\0"'
patched claims-65500-square 'substr($j, $sof + $_, 2) = "\xFF\xDC" for 5, 7'
jpegtran -progressive -outfile "$tmp/progressive.jpg" "$base"
patched claims-65500-progressive 'substr($j, $sof + $_, 2) = "\xFF\xDC" for 5, 7' "$tmp/progressive.jpg"
