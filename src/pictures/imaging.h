// The imaging step: decode, scale and encode one picture, all in memory.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/error.h"

namespace snapnook {

/// Output sizes, width x height in pixels, landscape; a portrait picture swaps them.
inline constexpr int kAlbumWidth = 288, kAlbumHeight = 216;
inline constexpr int kThumbWidth = 74, kThumbHeight = 55;
inline constexpr int kScreenWidth = 640, kScreenHeight = 480;

/// What one derive starts from.
struct DeriveInput {
  std::string path;                  // the full-size picture, for messages
  std::vector<unsigned char> bytes;  // its content
  bool portrait = false;             // sizes swapped
  bool make_640 = false;             // also the screen copies
  /// For a portrait picture with make_640: the sideways picture, or the error reading it gave.
  std::string sideways_path;
  std::vector<unsigned char> sideways_bytes;
  std::optional<SnapError> sideways_read_error;
};

/// The encoded derived pictures: baseline JPEG, 8-bit sRGB, three bands, no metadata, never
/// rotated. `screen` and `sideways_screen` are empty when not asked for.
struct DerivedImages {
  std::vector<unsigned char> album;
  std::vector<unsigned char> thumbnail;
  std::vector<unsigned char> screen;
  std::vector<unsigned char> sideways_screen;
  /// Making the sideways screen copy failed (after the other copies were made): the error to
  /// report once the other copies are written.
  std::optional<SnapError> sideways_error;
};

/// Makes the derived pictures of one full-size picture: the album picture (288 x 216) and the
/// thumbnail scaled from it (74 x 55), and with make_640 the screen copy (640 x 480) and, for a
/// portrait picture, the sideways screen copy (640 x 480) from the sideways picture. Each
/// picture is decoded once, shrunk on load as far as the largest output allows, and scaled to
/// the exact size with a Lanczos (a = 2) filter. EXIF orientation is ignored; colour profiles,
/// grayscale and CMYK become sRGB. A YCbCr JPEG without a colour profile or with an sRGB one
/// is made from its YCbCr planes by libjpeg-turbo alone; every other picture through libvips,
/// which starts with the first such picture.
///
/// Pure: touches no file and no window; safe to call from any thread.
/// Throws SnapError 481 "Invalid picture" when the full-size picture cannot be decoded (not a
/// JPEG, truncated, empty, corrupt), 7 "Out of memory" when memory runs out.
DerivedImages MakeDerivedImages(const DeriveInput& input);

/// Decodes a picture whole, as small as it decodes, and keeps nothing: it fails exactly where
/// MakeDerivedImages would (481, 7). Pure; safe on any thread.
void TestDecode(const std::vector<unsigned char>& bytes, const std::string& path);

/// Starts libvips, once, from whichever thread comes first (MakeDerivedImages does so when a
/// picture needs it). `threads` is the library's own worker count per operation: 1 by
/// default, since pictures are made in parallel one per thread; 0 for the library's default.
void StartImaging(int threads = 1);

}  // namespace snapnook
