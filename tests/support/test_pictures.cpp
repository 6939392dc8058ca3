#include "support/test_pictures.h"

#include <vips/vips8>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <stdexcept>

namespace snapnook::testing {
namespace {

using vips::VImage;

void EnsureVips() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (VIPS_INIT("snapnook-tests") != 0) throw std::runtime_error("libvips failed to start");
  });
}

}  // namespace

std::string TestJpegBytes(int width, int height, PictureKind kind, int exif_orientation,
                          int quality) {
  EnsureVips();
  const VImage xy = VImage::xyz(width, height);
  const VImage x = xy.extract_band(0), y = xy.extract_band(1);
  // Red grows to the right, green downwards; blue marks the top-left quarter, so a rotated or
  // mirrored copy is told apart from the original.
  VImage image = (x * (255.0 / std::max(1, width - 1)))
                     .bandjoin(y * (255.0 / std::max(1, height - 1)))
                     .bandjoin(((x < width / 2.0) & (y < height / 2.0)).ifthenelse(220, 30))
                     .cast(VIPS_FORMAT_UCHAR)
                     .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
  if (kind == PictureKind::kGray) image = image.colourspace(VIPS_INTERPRETATION_B_W);
  image = image.copy();
  if (exif_orientation > 0) image.set("orientation", exif_orientation);
  void* data = nullptr;
  size_t size = 0;
  image.write_to_buffer(".jpg", &data, &size, VImage::option()->set("Q", quality));
  std::string bytes(static_cast<const char*>(data), size);
  g_free(data);
  return bytes;
}

void WriteTestJpeg(const std::string& path, int width, int height, PictureKind kind,
                   int exif_orientation, int quality) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!(out << TestJpegBytes(width, height, kind, exif_orientation, quality))) {
    throw std::runtime_error("cannot write " + path);
  }
}

JpegFacts ReadJpegFacts(const std::string& path) {
  EnsureVips();
  try {
    const VImage image = VImage::new_from_file(
        path.c_str(), VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
    if (!std::string(image.get_string("vips-loader")).starts_with("jpeg")) {
      throw std::runtime_error(path + " is not a JPEG file");
    }
    return {
        image.width(),
        image.height(),
        image.bands(),
        image.interpretation() == VIPS_INTERPRETATION_sRGB && image.format() == VIPS_FORMAT_UCHAR,
        image.get_typeof(VIPS_META_EXIF_NAME) != 0,
        image.get_typeof(VIPS_META_ICC_NAME) != 0,
        image.get_typeof("interlaced") != 0 && image.get_int("interlaced") != 0};
  } catch (const vips::VError& e) {
    throw std::runtime_error(path + ": " + e.what());
  }
}

MeanColour ReadMeanColour(const std::string& path, int left, int top, int width, int height) {
  EnsureVips();
  VImage image = VImage::new_from_file(path.c_str());
  if (width > 0) image = image.crop(left, top, width, height);
  const auto band = [&](int b) { return image.extract_band(b < image.bands() ? b : 0).avg(); };
  return {band(0), band(1), band(2)};
}

double SquaresDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  EnsureVips();
  const auto load = [](const std::vector<unsigned char>& encoded) {
    const VImage image = VImage::new_from_buffer(encoded.data(), encoded.size(), "");
    const int square = std::min({8, image.width(), image.height()});
    return image.extract_band(0, VImage::option()->set("n", std::min(3, image.bands())))
        .cast(VIPS_FORMAT_FLOAT)
        .shrink(square, square);
  };
  const VImage difference = (load(a) - load(b)).abs();
  double worst = 0;
  for (int band = 0; band < difference.bands(); ++band) {
    worst = std::max(worst, difference.extract_band(band).avg());
  }
  return worst;
}

}  // namespace snapnook::testing
