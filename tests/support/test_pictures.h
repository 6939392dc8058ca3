// Generated pictures for tests, and what a JPEG file holds.
#pragma once

#include <string>
#include <vector>

namespace snapnook::testing {

enum class PictureKind { kColour, kGray };

/// Writes a JPEG of `width` x `height` with a smooth colour pattern to `path` (its folder must
/// exist). Optionally grayscale, with an EXIF orientation tag (0 for none).
void WriteTestJpeg(const std::string& path, int width, int height,
                   PictureKind kind = PictureKind::kColour, int exif_orientation = 0,
                   int quality = 85);

/// The encoded bytes of such a picture.
std::string TestJpegBytes(int width, int height, PictureKind kind = PictureKind::kColour,
                          int exif_orientation = 0, int quality = 85);

/// What a JPEG file holds, as read back by libvips.
struct JpegFacts {
  int width = 0, height = 0, bands = 0;
  bool srgb = false;  // interpretation sRGB, 8 bits a band
  bool has_exif = false, has_icc = false, progressive = false;
};

/// Reads the facts of a JPEG file; throws std::runtime_error when it is not one.
JpegFacts ReadJpegFacts(const std::string& path);

/// The mean of each of the three bands of a picture file, 0..255: of the region of `width` x
/// `height` pixels at (`left`, `top`), or of the whole picture.
struct MeanColour {
  double r = 0, g = 0, b = 0;
};
MeanColour ReadMeanColour(const std::string& path, int left = 0, int top = 0, int width = 0,
                          int height = 0);

/// The largest over the bands of the mean absolute difference of two encoded pictures of one
/// size averaged over 8 x 8 squares. Two ways of scaling differ by about a level either way in
/// fine detail, which averages out over a square, while a shifted, turned or discoloured copy
/// does not.
double SquaresDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b);

}  // namespace snapnook::testing
