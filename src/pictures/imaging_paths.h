// The two ways the imaging step makes the copies of one picture: straight from the JPEG's
// YCbCr planes for the common camera picture, and through libvips for every other.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace snapnook {

/// The copies to make of one decoded picture, width x height; 0 x 0 for a copy not wanted.
/// The thumbnail is made from the album picture, so it is wanted only with it.
struct CopySizes {
  int album_width = 0, album_height = 0;
  int thumb_width = 0, thumb_height = 0;
  int screen_width = 0, screen_height = 0;
};

/// The encoded copies (baseline JPEG, quality 92, YCbCr 4:2:0, no metadata); those not wanted
/// are empty.
struct Copies {
  std::vector<unsigned char> album;
  std::vector<unsigned char> thumbnail;
  std::vector<unsigned char> screen;
};

/// The common path, for a YCbCr JPEG (baseline or progressive, Huffman or arithmetic coded)
/// with no colour profile or an sRGB one: decoded once by libjpeg-turbo straight to its Y, Cb
/// and Cr planes at the smallest DCT scale that still covers every copy, each plane scaled on
/// its own, each copy encoded from its planes. Returns nothing for a picture it does not take
/// (grayscale, CMYK, YCCK, RGB, another colour profile, unusual subsampling, a header or data
/// libjpeg warns about, cut-off data included), which MakeCopiesWithVips then makes or judges
/// invalid. Throws SnapError 481 "Invalid picture: PATH" for a picture that cannot be decoded,
/// 7 "Out of memory: PATH" when memory runs out. Safe on any thread; never starts libvips.
std::optional<Copies> MakeCopiesFromPlanes(const std::vector<unsigned char>& bytes,
                                           const std::string& path, const CopySizes& sizes);

/// Every picture libvips reads: decoded, shrunk on load, turned into 8-bit sRGB (colour
/// profiles converted, grayscale and CMYK made RGB), scaled and encoded. Starts libvips on
/// first use. Throws SnapError as MakeCopiesFromPlanes does.
Copies MakeCopiesWithVips(const std::vector<unsigned char>& bytes, const std::string& path,
                          const CopySizes& sizes);

}  // namespace snapnook
