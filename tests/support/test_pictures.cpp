#include "support/test_pictures.h"

#include <vips/vips8>

#include <fstream>
#include <mutex>
#include <stdexcept>

namespace snapnook::testing {
namespace {

void EnsureVips() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (VIPS_INIT("snapnook-tests") != 0) throw std::runtime_error("libvips failed to start");
  });
}

vips::VImage Pattern(int width, int height, PictureKind kind) {
  using vips::VImage;
  const VImage xy = VImage::xyz(width, height);
  const VImage x = xy.extract_band(0);
  const VImage y = xy.extract_band(1);
  // Red grows to the right, green downwards; blue marks the top-left quarter, so a rotated or
  // mirrored copy is told apart from the original.
  const VImage r = x * (255.0 / std::max(1, width - 1));
  const VImage g = y * (255.0 / std::max(1, height - 1));
  const VImage b = ((x < width / 2.0) & (y < height / 2.0)).ifthenelse(220, 30);
  VImage rgb = r.bandjoin(g).bandjoin(b).cast(VIPS_FORMAT_UCHAR);
  rgb = rgb.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
  switch (kind) {
    case PictureKind::kColour:
      return rgb;
    case PictureKind::kGray:
      return rgb.colourspace(VIPS_INTERPRETATION_B_W);
    case PictureKind::kCmyk: {
      // Plain CMY with no black: the inverse of the colour pattern.
      const VImage k = rgb.extract_band(0) * 0;
      VImage cmyk = (255 - rgb).bandjoin(k).cast(VIPS_FORMAT_UCHAR);
      return cmyk.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_CMYK));
    }
  }
  return rgb;
}

}  // namespace

std::string TestJpegBytes(int width, int height, PictureKind kind, int exif_orientation,
                          int quality) {
  EnsureVips();
  vips::VImage image = Pattern(width, height, kind).copy();
  if (exif_orientation > 0) image.set("orientation", exif_orientation);
  VipsBlob* blob = image.jpegsave_buffer(vips::VImage::option()->set("Q", quality));
  size_t size = 0;
  const void* data =
      vips_area_get_data(reinterpret_cast<VipsArea*>(blob), &size, nullptr, nullptr, nullptr);
  std::string bytes(static_cast<const char*>(data), size);
  vips_area_unref(reinterpret_cast<VipsArea*>(blob));
  return bytes;
}

void WriteTestJpeg(const std::string& path, int width, int height, PictureKind kind,
                   int exif_orientation, int quality) {
  const std::string bytes = TestJpegBytes(width, height, kind, exif_orientation, quality);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path);
}

JpegFacts ReadJpegFacts(const std::string& path) {
  EnsureVips();
  JpegFacts facts;
  try {
    vips::VImage image = vips::VImage::new_from_file(
        path.c_str(), vips::VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
    const char* loader = nullptr;
    if (vips_image_get_string(image.get_image(), "vips-loader", &loader) != 0 ||
        std::string(loader).find("jpeg") == std::string::npos) {
      throw std::runtime_error(path + " is not a JPEG file");
    }
    facts.width = image.width();
    facts.height = image.height();
    facts.bands = image.bands();
    facts.srgb =
        image.interpretation() == VIPS_INTERPRETATION_sRGB && image.format() == VIPS_FORMAT_UCHAR;
    facts.has_exif = image.get_typeof(VIPS_META_EXIF_NAME) != 0;
    facts.has_icc = image.get_typeof(VIPS_META_ICC_NAME) != 0;
    facts.progressive = image.get_typeof("interlaced") != 0 && image.get_int("interlaced") != 0;
    facts.orientation =
        image.get_typeof(VIPS_META_ORIENTATION) != 0 ? image.get_int(VIPS_META_ORIENTATION) : 0;
  } catch (const vips::VError& e) {
    throw std::runtime_error(path + ": " + e.what());
  }
  return facts;
}

MeanColour ReadMeanColour(const std::string& path) {
  EnsureVips();
  const vips::VImage image = vips::VImage::new_from_file(path.c_str());
  return ReadMeanColour(path, 0, 0, image.width(), image.height());
}

MeanColour ReadMeanColour(const std::string& path, int left, int top, int width, int height) {
  EnsureVips();
  const vips::VImage image =
      vips::VImage::new_from_file(path.c_str()).crop(left, top, width, height);
  MeanColour mean;
  mean.r = image.extract_band(0).avg();
  mean.g = image.bands() > 1 ? image.extract_band(1).avg() : mean.r;
  mean.b = image.bands() > 2 ? image.extract_band(2).avg() : mean.r;
  return mean;
}

}  // namespace snapnook::testing
