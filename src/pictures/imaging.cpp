#include "pictures/imaging.h"

#include <vips/vips8>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string_view>

#include "pictures/icc_profile.h"
#include "pictures/imaging_paths.h"
#include "pictures/resample.h"

namespace snapnook {
namespace {

using vips::VImage;
using vips::VOption;

// libvips reports decoder warnings through GLib; a bad file becomes our own numbered error.
void DropWarnings(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// A blob over bytes the caller keeps alive for the image's life.
class Blob {
 public:
  explicit Blob(const std::vector<unsigned char>& bytes)
      : blob_(vips_blob_new(nullptr, bytes.data(), bytes.size())) {}
  ~Blob() { vips_area_unref(reinterpret_cast<VipsArea*>(blob_)); }
  Blob(const Blob&) = delete;
  Blob& operator=(const Blob&) = delete;
  VipsBlob* get() const { return blob_; }

 private:
  VipsBlob* blob_;
};

VOption* LoadOptions() {
  return VImage::option()
      ->set("access", VIPS_ACCESS_SEQUENTIAL)
      ->set("fail_on", VIPS_FAIL_ON_TRUNCATED)
      ->set("autorotate", false);
}

// The largest JPEG shrink-on-load factor whose decoded picture still covers `need_w` x `need_h`.
int ShrinkFor(int width, int height, int need_w, int need_h) {
  for (int shrink : {8, 4, 2}) {
    const int w = (width + shrink - 1) / shrink;  // libjpeg rounds scaled sizes up
    const int h = (height + shrink - 1) / shrink;
    if (w >= need_w && h >= need_h) return shrink;
  }
  return 1;
}

// The numbered error for a failure libvips reported while working on `path`: a failed
// allocation is a lack of memory, anything else a picture that cannot be decoded.
SnapError VipsFailure(const vips::VError& failure, const std::string& path) {
  const std::string_view text = failure.what();
  // Under a memory limit, a thread's stack may be what cannot be had.
  const bool memory = text.find("out of memory") != std::string_view::npos ||
                      text.find("Insufficient memory") != std::string_view::npos ||
                      text.find("memory allocation") != std::string_view::npos ||
                      text.find("Error creating thread") != std::string_view::npos;
  vips_error_clear();
  if (memory) return SnapError(kErrOutOfMemory, "Out of memory: " + path);
  return InvalidPictureError(path);
}

// Decodes a JPEG picture into memory, shrunk as far as (need_w, need_h) allows.
VImage Decode(const std::vector<unsigned char>& bytes, const std::string& path, int need_w,
              int need_h) {
  try {
    Blob blob(bytes);
    const VImage header = VImage::jpegload_buffer(blob.get(), LoadOptions());
    const int shrink = ShrinkFor(header.width(), header.height(), need_w, need_h);
    VImage image = VImage::jpegload_buffer(blob.get(), LoadOptions()->set("shrink", shrink));
    // Decode once, here; every output is scaled from this copy.
    return image.copy_memory();
  } catch (const vips::VError& failure) {
    throw VipsFailure(failure, path);
  }
}

// Scales an 8-bit picture held in memory to exactly width x height, whatever the proportions,
// keeping its interpretation and colour profile.
VImage ResizeExact(const VImage& in, int width, int height) {
  const RasterView view{in.width(), in.height(), in.bands(),
                        static_cast<const std::uint8_t*>(in.data())};
  const Raster scaled = ResizeLanczos(view, width, height);
  VipsImage* image = vips_image_new_from_memory_copy(
      scaled.pixels.data(), scaled.pixels.size(), width, height, scaled.bands, VIPS_FORMAT_UCHAR);
  if (image == nullptr) throw vips::VError();
  VImage out = VImage(image).copy(VImage::option()->set("interpretation", in.interpretation()));
  if (in.get_typeof(VIPS_META_ICC_NAME) != 0) {
    size_t size = 0;
    const void* profile = in.get_blob(VIPS_META_ICC_NAME, &size);
    vips_image_set_blob_copy(out.get_image(), VIPS_META_ICC_NAME, profile, size);
  }
  return out;
}

// Turns any decoded JPEG (sRGB, grayscale, CMYK, with or without a profile) into 8-bit sRGB
// with three bands.
// Whether the embedded colour profile is an sRGB profile (by its description), so that the
// pixels are sRGB already.
bool HasSrgbProfile(const VImage& image) {
  size_t size = 0;
  const void* data = image.get_blob(VIPS_META_ICC_NAME, &size);
  return IsSrgbProfile({static_cast<const std::uint8_t*>(data), size});
}

VImage ToSrgb(const VImage& in) {
  VImage out = in;
  if (out.get_typeof(VIPS_META_ICC_NAME) != 0 && out.interpretation() == VIPS_INTERPRETATION_sRGB &&
      HasSrgbProfile(out)) {
    // Already sRGB: no conversion.
  } else if (out.get_typeof(VIPS_META_ICC_NAME) != 0) {
    out = out.icc_transform("srgb", VImage::option()->set("embedded", true)->set("depth", 8));
  } else if (out.interpretation() == VIPS_INTERPRETATION_CMYK) {
    out =
        out.icc_transform("srgb", VImage::option()->set("input_profile", "cmyk")->set("depth", 8));
  } else if (out.interpretation() != VIPS_INTERPRETATION_sRGB) {
    out = out.colourspace(VIPS_INTERPRETATION_sRGB);
  }
  if (out.bands() == 1) out = VImage::bandjoin({out, out, out});
  if (out.bands() > 3) out = out.extract_band(0, VImage::option()->set("n", 3));
  if (out.format() != VIPS_FORMAT_UCHAR) out = out.cast(VIPS_FORMAT_UCHAR);
  return out.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

std::vector<unsigned char> Encode(const VImage& image) {
  // Baseline and 4:2:0 as cameras write, at a quality where the eye sees no loss. Optimised
  // Huffman tables would save about 3 % of the bytes for twice the encoding time.
  VipsBlob* blob = image.jpegsave_buffer(VImage::option()
                                             ->set("Q", 92)
                                             ->set("strip", true)
                                             ->set("optimize_coding", false)
                                             ->set("interlace", false)
                                             ->set("subsample_mode", VIPS_FOREIGN_SUBSAMPLE_ON));
  size_t size = 0;
  const auto* data = static_cast<const unsigned char*>(
      vips_area_get_data(reinterpret_cast<VipsArea*>(blob), &size, nullptr, nullptr, nullptr));
  std::vector<unsigned char> bytes(data, data + size);
  vips_area_unref(reinterpret_cast<VipsArea*>(blob));
  return bytes;
}

// Scales, converts to sRGB and keeps the result in memory (it is encoded and may be scaled on).
VImage MakeCopy(const VImage& source, int width, int height) {
  return ToSrgb(ResizeExact(source, width, height)).copy_memory();
}

}  // namespace

void StartImaging(int threads) {
  static std::once_flag once;
  std::call_once(once, [threads] {
    if (VIPS_INIT("snapnook") != 0) throw SnapError(kErrPathFileAccess, "libvips failed to start");
    g_log_set_handler("VIPS",
                      static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE),
                      DropWarnings, nullptr);
    // Every picture is new: caching operations would only hold memory.
    vips_cache_set_max(0);
    if (threads > 0) vips_concurrency_set(threads);
  });
}

Copies MakeCopiesWithVips(const std::vector<unsigned char>& bytes, const std::string& path,
                          const CopySizes& sizes) {
  StartImaging();
  const int need_w = sizes.screen_width > 0 ? sizes.screen_width : sizes.album_width;
  const int need_h = sizes.screen_width > 0 ? sizes.screen_height : sizes.album_height;
  const VImage full = Decode(bytes, path, need_w, need_h);
  Copies copies;
  try {
    if (sizes.album_width > 0) {
      const VImage album = MakeCopy(full, sizes.album_width, sizes.album_height);
      copies.album = Encode(album);
      // The thumbnail is scaled from the album picture just made.
      copies.thumbnail = Encode(ResizeExact(album, sizes.thumb_width, sizes.thumb_height));
    }
    if (sizes.screen_width > 0) {
      copies.screen = Encode(MakeCopy(full, sizes.screen_width, sizes.screen_height));
    }
  } catch (const vips::VError& failure) {
    throw VipsFailure(failure, path);
  }
  return copies;
}

namespace {

// The copies of one picture, on the common path when it takes the picture, else through
// libvips.
Copies MakeCopies(const std::vector<unsigned char>& bytes, const std::string& path,
                  const CopySizes& sizes) {
  if (bytes.empty()) throw InvalidPictureError(path, "empty file");
  try {
    if (std::optional<Copies> copies = MakeCopiesFromPlanes(bytes, path, sizes)) return *copies;
    return MakeCopiesWithVips(bytes, path, sizes);
  } catch (const std::bad_alloc&) {
    throw SnapError(kErrOutOfMemory, "Out of memory: " + path);
  }
}

}  // namespace

void TestDecode(const std::vector<unsigned char>& bytes, const std::string& path) {
  // No copies wanted: the picture is decoded at its smallest scale, on the path that would
  // make its copies.
  MakeCopies(bytes, path, CopySizes{});
}

DerivedImages MakeDerivedImages(const DeriveInput& input) {
  const bool portrait = input.portrait;
  CopySizes sizes;
  sizes.album_width = portrait ? kAlbumHeight : kAlbumWidth;
  sizes.album_height = portrait ? kAlbumWidth : kAlbumHeight;
  sizes.thumb_width = portrait ? kThumbHeight : kThumbWidth;
  sizes.thumb_height = portrait ? kThumbWidth : kThumbHeight;
  if (input.make_640) {
    sizes.screen_width = portrait ? kScreenHeight : kScreenWidth;
    sizes.screen_height = portrait ? kScreenWidth : kScreenHeight;
  }
  Copies copies = MakeCopies(input.bytes, input.path, sizes);
  DerivedImages out;
  out.album = std::move(copies.album);
  out.thumbnail = std::move(copies.thumbnail);
  out.screen = std::move(copies.screen);

  if (input.make_640 && portrait) {
    if (input.sideways_read_error) {
      out.sideways_error = input.sideways_read_error;
    } else {
      try {
        CopySizes sideways;
        sideways.screen_width = kScreenWidth;
        sideways.screen_height = kScreenHeight;
        out.sideways_screen =
            MakeCopies(input.sideways_bytes, input.sideways_path, sideways).screen;
      } catch (const SnapError& error) {
        out.sideways_error = error;
      }
    }
  }
  return out;
}

}  // namespace snapnook
