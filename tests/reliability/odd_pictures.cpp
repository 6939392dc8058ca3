#include "reliability/odd_pictures.h"

// clang-format off: libjpeg needs the declarations of stdio first.
#include <jpeglib.h>
#include <cstdio>
// clang-format on
#include <lcms2.h>
#include <vips/vips8>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "support/test_pictures.h"

namespace snapnook::testing {
namespace {

using vips::VImage;

void EnsureVips() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (VIPS_INIT("snapnook-reliability") != 0) throw std::runtime_error("libvips failed");
  });
}

// The quadrant picture, 8-bit sRGB.
VImage Quadrants(int width, int height) {
  EnsureVips();
  const VImage xy = VImage::xyz(width, height);
  const VImage right = xy.extract_band(0) >= width / 2.0;
  const VImage bottom = xy.extract_band(1) >= height / 2.0;
  std::vector<VImage> bands;
  for (int band = 0; band < 3; ++band) {
    const auto value = [&](int q) {
      const Rgb& c = kQuadrants[q];
      return static_cast<double>(band == 0 ? c.r : band == 1 ? c.g : c.b);
    };
    const VImage top_row = right.ifthenelse(value(1), value(0));
    const VImage bottom_row = right.ifthenelse(value(2), value(3));
    bands.push_back(bottom.ifthenelse(bottom_row, top_row));
  }
  VImage rgb = VImage::bandjoin(bands).cast(VIPS_FORMAT_UCHAR);
  return rgb.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

}  // namespace

void Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  if (status != 0) throw std::runtime_error("command failed: " + command);
}

bool HaveTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

void WriteQuadrantPpm(const std::string& path, int width, int height) {
  Quadrants(width, height).ppmsave(path.c_str());
}

void WriteQuadrantJpeg(const std::string& path, int width, int height) {
  Quadrants(width, height).jpegsave(path.c_str(), VImage::option()->set("Q", 90));
}

void WriteQuadrantPng(const std::string& path, int width, int height) {
  Quadrants(width, height).pngsave(path.c_str());
}

void WriteCmykJpeg(const std::string& path, int width, int height, CmykStyle style) {
  const VImage rgb = Quadrants(width, height);
  size_t size = 0;
  std::unique_ptr<unsigned char, decltype(&g_free)> pixels(
      static_cast<unsigned char*>(rgb.write_to_memory(&size)), &g_free);
  const bool adobe = style != CmykStyle::kWithoutMarker;

  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) throw std::runtime_error("cannot write " + path);
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, out);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_set_colorspace(&cinfo, style == CmykStyle::kAdobeYcck ? JCS_YCCK : JCS_CMYK);
  cinfo.write_Adobe_marker = adobe ? TRUE : FALSE;
  jpeg_set_quality(&cinfo, 92, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = pixels.get() + (static_cast<size_t>(y) * width + x) * 3;
      JSAMPLE* q = row.data() + static_cast<size_t>(x) * 4;
      // CMY without black, every ink inverted: 255 - (255 - rgb).
      for (int i = 0; i < 3; ++i) q[i] = p[i];
      q[3] = 255;
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::fclose(out);
}

void WriteAdobeRgbProfile(const std::string& path) {
  const cmsCIExyY white = {0.3127, 0.3290, 1.0};  // D65
  const cmsCIExyYTRIPLE primaries = {
      {0.6400, 0.3300, 1.0},
      {0.2100, 0.7100, 1.0},
      {0.1500, 0.0600, 1.0},
  };
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
  cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(gamma);
  if (!profile) throw std::runtime_error("lcms2 could not make the Adobe RGB profile");
  cmsMLU* description = cmsMLUalloc(nullptr, 1);
  cmsMLUsetASCII(description, "en", "US", "Adobe RGB (1998) compatible");
  cmsWriteTag(profile, cmsSigProfileDescriptionTag, description);
  cmsMLUfree(description);
  const bool saved = cmsSaveProfileToFile(profile, path.c_str());
  cmsCloseProfile(profile);
  if (!saved) throw std::runtime_error("cannot write " + path);
}

void WriteJpegWithProfile(const std::string& path, int width, int height,
                          const std::string& profile_path) {
  VImage converted =
      Quadrants(width, height)
          .icc_transform(profile_path.c_str(),
                         VImage::option()->set("input_profile", "srgb")->set("depth", 8));
  converted.jpegsave(path.c_str(), VImage::option()->set("Q", 95));
}

Rgb QuadrantColour(const std::string& path, int q) {
  EnsureVips();
  const VImage image = VImage::new_from_file(path.c_str());
  const int w = image.width();
  const int h = image.height();
  const bool right = q == 1 || q == 2;
  const bool bottom = q == 2 || q == 3;
  // The middle of the quadrant, clear of the edges a scaled or compressed copy blurs.
  const int left = right ? w * 6 / 10 : w / 10;
  const int top = bottom ? h * 6 / 10 : h / 10;
  const int cw = std::max(1, w * 3 / 10);
  const int ch = std::max(1, h * 3 / 10);
  const MeanColour mean = ReadMeanColour(path, left, top, cw, ch);
  return {static_cast<int>(std::lround(mean.r)), static_cast<int>(std::lround(mean.g)),
          static_cast<int>(std::lround(mean.b))};
}

int ColourDistance(const Rgb& a, const Rgb& b) {
  return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

Rgb ColourInProfile(const Rgb& rgb, const std::string& profile_path) {
  EnsureVips();
  VImage pixel = VImage::black(1, 1, VImage::option()->set("bands", 3)) +
                 std::vector<double>{static_cast<double>(rgb.r), static_cast<double>(rgb.g),
                                     static_cast<double>(rgb.b)};
  pixel = pixel.cast(VIPS_FORMAT_UCHAR)
              .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
              .icc_transform(profile_path.c_str(),
                             VImage::option()->set("input_profile", "srgb")->set("depth", 8));
  const std::vector<double> v = pixel.getpoint(0, 0);
  return {static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2])};
}

}  // namespace snapnook::testing
