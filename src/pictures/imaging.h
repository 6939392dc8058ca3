// The imaging step: decode, scale and encode one picture, all in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/error.h"

namespace snapnook {

/// Output sizes, width x height in pixels, landscape; a portrait picture swaps them.
inline constexpr int kAlbumWidth = 288, kAlbumHeight = 216;
inline constexpr int kThumbWidth = 74, kThumbHeight = 55;
inline constexpr int kScreenWidth = 640, kScreenHeight = 480;

/// How a copy takes its box. The classic album stretches the picture to the box, whatever its
/// proportions; the modern album keeps them, filling the box and cutting what overflows
/// equally from both sides (a centred cut), or fitting inside it (one side may be shorter).
/// Either way a picture is scaled up when smaller than its box, as the classic album does.
enum class Fitting { kStretch, kFill, kFit };

/// What one derive starts from.
struct DeriveInput {
  std::string path;                  // the full-size picture, for messages
  std::vector<unsigned char> bytes;  // its content
  bool portrait = false;             // sizes swapped (the picture has a sideways copy)
  bool make_640 = false;             // also the screen copies
  /// For a portrait picture with make_640: the sideways picture, or the error reading it gave.
  std::string sideways_path;
  std::vector<unsigned char> sideways_bytes;
  std::optional<SnapError> sideways_read_error;
  /// kStretch makes the classic album's copies, from JPEG pictures only. The modern album's
  /// (kFill, kFit) also come from HEIF, AVIF, PNG, WebP and TIFF pictures, told by their
  /// content, and a picture without a sideways copy whose upright form is taller than wide
  /// is portrait.
  Fitting fitting = Fitting::kStretch;
  /// The modern album: the picture's EXIF orientation (1-8; any other value is 1) is applied
  /// before scaling. False for a picture with a sideways copy, which is upright already.
  bool apply_orientation = false;
  /// The bytes decoding may take; 0 for no limit. A picture whose header says decoding would
  /// take more, or whose file is larger, is refused before anything is allocated for it.
  std::uint64_t memory_budget = 0;
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
  /// Whether the boxes were turned: the input's `portrait`, or in the modern album a picture
  /// whose upright form is taller than wide.
  bool portrait = false;
  /// The copies' sizes as encoded; 0 x 0 for a copy not made.
  struct Size {
    int width = 0, height = 0;
    bool operator==(const Size&) const = default;
  };
  Size album_size, thumbnail_size, screen_size, sideways_screen_size;
  /// The modern album: the picture's caption in UTF-8 (see ReadCaption), or "".
  std::string caption;
};

/// Makes the derived pictures of one full-size picture: the album picture (288 x 216) and the
/// thumbnail scaled from it (74 x 55), and with make_640 the screen copy (640 x 480) and, for a
/// portrait picture, the sideways screen copy (640 x 480) from the sideways picture, as it is
/// stored (its own orientation is not applied). Each picture is decoded once, shrunk on load
/// as far as the largest output allows, and scaled to its size with a Lanczos (a = 2) filter,
/// taking its box as `fitting` says. Colour profiles, grayscale, CMYK, 16 bits and palettes
/// become 8-bit sRGB; transparent parts lie on white; only a file's first picture is used. A
/// YCbCr JPEG without a colour profile or with an sRGB one is made from its YCbCr planes by
/// libjpeg-turbo alone, its orientation and cut applied on the planes as they are scaled;
/// every other picture goes through libvips, which starts with the first such picture.
///
/// Pure: touches no file and no window; safe to call from any thread.
/// Throws SnapError 481 "Invalid picture" when the full-size picture cannot be decoded (not a
/// picture, truncated, empty, corrupt; in the classic album anything but a JPEG), 7 "Out of
/// memory" when memory runs out or the picture is above the memory budget.
DerivedImages MakeDerivedImages(const DeriveInput& input);

/// Decodes the picture of `input` whole, as small as it decodes, and keeps nothing: it fails
/// exactly where MakeDerivedImages would (481, 7), the sideways picture aside. Pure; safe on
/// any thread.
void TestDecode(const DeriveInput& input);
/// TestDecode of a picture of the classic album, with the default memory budget of a run with
/// one job a core.
void TestDecode(const std::vector<unsigned char>& bytes, const std::string& path);

/// The memory budget of one decode in a run of `jobs` jobs (0: one a core): a quarter of the
/// machine's physical memory divided among the jobs, at least 512 MiB.
std::uint64_t DefaultMemoryBudget(int jobs);

/// Starts libvips, once, from whichever thread comes first (MakeDerivedImages does so when a
/// picture needs it). `threads` is the library's own worker count per operation: 1 by
/// default, since pictures are made in parallel one per thread; 0 for the library's default.
void StartImaging(int threads = 1);

}  // namespace snapnook
