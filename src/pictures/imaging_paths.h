// The two ways the imaging step makes the copies of one picture: straight from the JPEG's
// YCbCr planes for the common camera picture, and through libvips for every other.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pictures/copy_geometry.h"
#include "pictures/imaging.h"

namespace snapnook {

/// The copies to make of one picture: their boxes, width x height (0 x 0 for a copy not
/// wanted; the thumbnail is made from the album picture, so it is wanted only with it), how
/// they take them, and how the picture is turned upright.
struct CopySizes : CopyBoxes {
  Fitting fitting = Fitting::kStretch;
  /// Turn the boxes, given landscape, when the upright picture is taller than wide.
  bool turn_when_tall = false;
  /// The EXIF orientation to apply, 1-8; 0 for the one libvips read (pictures but JPEGs).
  int orientation = 1;
  /// See DeriveInput::memory_budget.
  std::uint64_t memory_budget = 0;
};

/// The encoded copies (baseline JPEG, quality 92, YCbCr 4:2:0, no metadata); those not wanted
/// are empty, 0 x 0.
struct Copies {
  std::vector<unsigned char> album;
  std::vector<unsigned char> thumbnail;
  std::vector<unsigned char> screen;
  DerivedImages::Size album_size, thumbnail_size, screen_size;
  bool turned = false;  // the boxes turned (see CopySizes::turn_when_tall)
  /// From the metadata libvips read, for pictures but JPEGs (see ReadCaption).
  std::string caption;
};

/// The common path, for a YCbCr JPEG (baseline or progressive, Huffman or arithmetic coded)
/// with no colour profile or an sRGB one: decoded once by libjpeg-turbo straight to its Y, Cb
/// and Cr planes at the smallest DCT scale that still covers every copy, each plane scaled on
/// its own (cut and turned as it is scaled), each copy encoded from its planes. Returns
/// nothing for a picture it does not take (grayscale, CMYK, YCCK, RGB, another colour
/// profile, unusual subsampling, a header or data libjpeg warns about, cut-off data
/// included), which MakeCopiesWithVips then makes or judges invalid. Throws SnapError 481
/// "Invalid picture: PATH" for a picture that cannot be decoded, 7 "Out of memory: PATH" when
/// memory runs out. Safe on any thread; never starts libvips. The caller checks the memory
/// budget.
std::optional<Copies> MakeCopiesFromPlanes(const std::vector<unsigned char>& bytes,
                                           const std::string& path, const CopySizes& sizes);

/// Every picture libvips reads: decoded, shrunk on load, turned into 8-bit sRGB (colour
/// profiles converted, grayscale and CMYK made RGB), scaled and encoded. Starts libvips on
/// first use. With Fitting::kStretch only JPEGs; otherwise JPEG, HEIF and AVIF, PNG, WebP and
/// TIFF pictures, told by their content. Throws SnapError as MakeCopiesFromPlanes does, and 7
/// for a picture other than a JPEG whose decoded size is above the memory budget.
Copies MakeCopiesWithVips(const std::vector<unsigned char>& bytes, const std::string& path,
                          const CopySizes& sizes);

}  // namespace snapnook
