#include "pictures/imaging.h"

#include <vips/vips8>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string_view>

#include "pictures/icc_profile.h"
#include "pictures/imaging_paths.h"
#include "pictures/jpeg_header.h"
#include "pictures/memory_budget.h"
#include "pictures/picture_metadata.h"
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
  if (memory) return OutOfMemoryError(path);
  return InvalidPictureError(path);
}

// The formats the modern album takes besides JPEG, told by their first bytes.
enum class Format { kJpeg, kHeif, kPng, kWebp, kTiff, kOther };

Format FormatOf(const std::vector<unsigned char>& bytes) {
  const auto is = [&](size_t at, std::string_view magic) {
    return bytes.size() >= at + magic.size() &&
           std::equal(magic.begin(), magic.end(), bytes.begin() + at,
                      [](char m, unsigned char b) { return static_cast<unsigned char>(m) == b; });
  };
  if (LooksLikeJpeg(bytes)) return Format::kJpeg;
  if (is(0, "\x89PNG\r\n\x1a\n")) return Format::kPng;
  if (is(0, "RIFF") && is(8, "WEBP")) return Format::kWebp;
  if (is(0, "II*") || is(0, std::string_view("MM\0*", 4))) return Format::kTiff;
  // An ISO media file: libheif judges its brands (HEIC, HEIF, AVIF).
  if (is(4, "ftyp")) return Format::kHeif;
  return Format::kOther;
}

// The orientation and caption libvips read of a picture other than a JPEG.
int OrientationOf(const VImage& image) {
  const int orientation =
      image.get_typeof(VIPS_META_ORIENTATION) != 0 ? image.get_int(VIPS_META_ORIENTATION) : 1;
  return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

std::span<const unsigned char> BlobOf(const VImage& image, const char* name) {
  if (image.get_typeof(name) == 0) return {};
  size_t size = 0;
  const void* data = image.get_blob(name, &size);
  return {static_cast<const unsigned char*>(data), size};
}

// The XMP packet libvips read. Of a HEIF file it names only a packet starting with
// "<x:xmpmeta" so; one starting with its packet header ("<?xpacket", as exiftool writes it) is
// left among the file's other blocks as "heif-mime-N".
std::span<const unsigned char> XmpOf(const VImage& image) {
  std::span<const unsigned char> xmp = BlobOf(image, VIPS_META_XMP_NAME);
  gchar** fields = vips_image_get_fields(image.get_image());
  for (gchar** field = fields; xmp.empty() && *field != nullptr; ++field) {
    if (!std::string_view(*field).starts_with("heif-mime-")) continue;
    const std::span<const unsigned char> block = BlobOf(image, *field);
    if (std::string_view(reinterpret_cast<const char*>(block.data()), block.size())
            .find("<x:xmpmeta") != std::string_view::npos) {
      xmp = block;
    }
  }
  g_strfreev(fields);
  return xmp;
}

std::string CaptionOf(const VImage& image) {
  // TIFF keeps the description EXIF has in its own first directory.
  if (image.get_typeof("image-description") != 0) {
    std::string caption = CleanCaption(image.get_string("image-description"));
    if (!caption.empty()) return caption;
  }
  const auto xmp = XmpOf(image);
  return ReadCaption(BlobOf(image, VIPS_META_EXIF_NAME),
                     {reinterpret_cast<const char*>(xmp.data()), xmp.size()},
                     BlobOf(image, VIPS_META_IPTC_NAME));
}

// A picture of a format other than JPEG, decoded whole (the first page or frame; HEIF's own
// rotation applied by its decoder), and what its header says of it.
struct Loaded {
  VImage pixels;
  int orientation = 1;
  std::string caption;
};

// Loads the picture after its header showed it within the memory budget. What the header holds
// is taken before decoding: some loaders keep their metadata in memory they free once the
// pixels are read, the colour profile included, which is therefore copied.
Loaded LoadOther(const Blob& blob, Format format, const std::string& path,
                 std::uint64_t memory_budget) {
  VImage (*load)(VipsBlob*, VOption*) = nullptr;
  switch (format) {
    case Format::kHeif:
      load = &VImage::heifload_buffer;
      break;
    case Format::kPng:
      load = &VImage::pngload_buffer;
      break;
    case Format::kWebp:
      load = &VImage::webpload_buffer;
      break;
    case Format::kTiff:
      load = &VImage::tiffload_buffer;
      break;
    default:
      throw InvalidPictureError(path);
  }
  // Opening reads only the header; the pixels are decoded when they are first asked for.
  const VImage image = load(blob.get(), VImage::option()
                                            ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                            ->set("fail_on", VIPS_FAIL_ON_TRUNCATED));
  const int sample_bytes = static_cast<int>(vips_format_sizeof(image.format()));
  CheckMemoryBudget(PixelBytes(image.width(), image.height(), image.bands(), sample_bytes),
                    memory_budget, path);
  Loaded loaded{VImage(), OrientationOf(image), CaptionOf(image)};
  const std::span<const unsigned char> icc = BlobOf(image, VIPS_META_ICC_NAME);
  const std::vector<unsigned char> profile(icc.begin(), icc.end());
  loaded.pixels = image.copy_memory();
  if (!profile.empty()) {
    vips_image_set_blob_copy(loaded.pixels.get_image(), VIPS_META_ICC_NAME, profile.data(),
                             profile.size());
  }
  return loaded;
}

// The copy `copy` of `in`, a picture of `width` x `height` pixels as stored, decoded at
// in.width() x in.height() (shrunk on load), turned by `turn`: an 8-bit picture keeping the
// interpretation and colour profile of `in`. The copy is mirrored as it is scaled, then
// transposed.
VImage ResizeCopy(const VImage& in, int width, int height, const CopyShape& copy, Turn turn) {
  const RasterView view{in.width(), in.height(), in.bands(),
                        static_cast<const std::uint8_t*>(in.data())};
  const int across = turn.transpose ? copy.height : copy.width;
  const int down = turn.transpose ? copy.width : copy.height;
  Raster scaled = ResizeLanczos(view, across, down,
                                ScaleOf(copy, turn, in.width(), width, in.height(), height));
  if (turn.transpose) {
    Raster turned{down, across, scaled.bands, std::vector<std::uint8_t>(scaled.pixels.size())};
    Transpose(scaled.pixels.data(), static_cast<std::ptrdiff_t>(across) * scaled.bands, across,
              down, scaled.bands, turned.pixels.data(),
              static_cast<std::ptrdiff_t>(down) * scaled.bands);
    scaled = std::move(turned);
  }
  VipsImage* image =
      vips_image_new_from_memory_copy(scaled.pixels.data(), scaled.pixels.size(), scaled.width,
                                      scaled.height, scaled.bands, VIPS_FORMAT_UCHAR);
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

// A decoded picture of any format as 8-bit sRGB, ready to scale: transparent parts on white,
// 16 bits and palettes made 8-bit, colour profiles converted.
VImage Flattened(const VImage& in) {
  VImage out = in;
  if (out.has_alpha()) {
    const double white = out.format() == VIPS_FORMAT_USHORT ? 65535
                         : out.format() == VIPS_FORMAT_FLOAT || out.format() == VIPS_FORMAT_DOUBLE
                             ? 1
                             : 255;
    out = out.flatten(VImage::option()
                          ->set("background", std::vector<double>(out.bands() - 1, white))
                          ->set("max_alpha", white));
  }
  return ToSrgb(out).copy_memory();
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
VImage MakeCopy(const VImage& source, int width, int height, const CopyShape& copy, Turn turn) {
  return ToSrgb(ResizeCopy(source, width, height, copy, turn)).copy_memory();
}

DerivedImages::Size SizeOf(const VImage& image) {
  return {image.width(), image.height()};
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
  const Format format = FormatOf(bytes);
  // The classic album takes JPEGs only, whatever the others hold.
  if (format == Format::kOther || (sizes.fitting == Fitting::kStretch && format != Format::kJpeg))
    throw InvalidPictureError(path);
  Copies copies;
  try {
    Blob blob(bytes);
    int width = 0, height = 0, orientation = sizes.orientation;
    VImage full;
    if (format == Format::kJpeg) {
      // Decoded once, here, shrunk on load as far as every copy allows.
      const VImage header = VImage::jpegload_buffer(blob.get(), LoadOptions());
      width = header.width();
      height = header.height();
      const int shrink = ShrinkFor(PlanCopies(sizes, sizes.fitting, sizes.turn_when_tall, width,
                                              height, TurnOf(orientation)));
      full =
          VImage::jpegload_buffer(blob.get(), LoadOptions()->set("shrink", shrink)).copy_memory();
    } else {
      Loaded decoded = LoadOther(blob, format, path, sizes.memory_budget);
      if (orientation == 0) orientation = decoded.orientation;
      copies.caption = std::move(decoded.caption);
      full = Flattened(decoded.pixels);
      width = full.width();
      height = full.height();
    }
    const CopyPlan plan =
        PlanCopies(sizes, sizes.fitting, sizes.turn_when_tall, width, height, TurnOf(orientation));
    copies.turned = plan.turned;
    if (plan.album.width > 0) {
      const VImage album = MakeCopy(full, width, height, plan.album, plan.turn);
      copies.album = Encode(album);
      copies.album_size = SizeOf(album);
      // The thumbnail is scaled from the album picture just made.
      const VImage thumbnail =
          ResizeCopy(album, album.width(), album.height(), plan.thumbnail, Turn{});
      copies.thumbnail = Encode(thumbnail);
      copies.thumbnail_size = SizeOf(thumbnail);
    }
    if (plan.screen.width > 0) {
      const VImage screen = MakeCopy(full, width, height, plan.screen, plan.turn);
      copies.screen = Encode(screen);
      copies.screen_size = SizeOf(screen);
    }
  } catch (const vips::VError& failure) {
    throw VipsFailure(failure, path);
  }
  return copies;
}

namespace {

// The copies of one picture, on the common path when it takes the picture, else through
// libvips. `metadata` is filled for a JPEG of the modern album.
Copies MakeCopies(const std::vector<unsigned char>& bytes, const std::string& path, CopySizes sizes,
                  bool apply_orientation) {
  if (bytes.empty()) throw InvalidPictureError(path, "empty file");
  if (sizes.memory_budget > 0 && bytes.size() > sizes.memory_budget) throw OutOfMemoryError(path);
  try {
    std::string caption;
    if (LooksLikeJpeg(bytes)) {
      if (sizes.fitting != Fitting::kStretch) {
        PictureMetadata metadata = ReadJpegMetadata(bytes);
        sizes.orientation = apply_orientation ? metadata.orientation : 1;
        caption = std::move(metadata.caption);
      }
      // What decoding takes, from the header, before anything is allocated for it: both paths
      // decode at the same shrink.
      if (const std::optional<JpegFrame> frame = ReadJpegFrame(bytes)) {
        const CopyPlan plan = PlanCopies(sizes, sizes.fitting, sizes.turn_when_tall, frame->width,
                                         frame->height, TurnOf(sizes.orientation));
        CheckMemoryBudget(JpegDecodeBytes(*frame, ShrinkFor(plan)), sizes.memory_budget, path);
      }
      if (std::optional<Copies> copies = MakeCopiesFromPlanes(bytes, path, sizes)) {
        copies->caption = std::move(caption);
        return std::move(*copies);
      }
    } else {
      sizes.orientation = apply_orientation ? 0 : 1;
    }
    Copies copies = MakeCopiesWithVips(bytes, path, sizes);
    if (!caption.empty()) copies.caption = std::move(caption);
    return copies;
  } catch (const std::bad_alloc&) {
    throw OutOfMemoryError(path);
  }
}

// The boxes of a picture's copies, landscape or, for a portrait picture, turned.
CopySizes SizesFor(const DeriveInput& input) {
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
  sizes.fitting = input.fitting;
  // The modern album decides from the upright picture when no sideways copy does.
  sizes.turn_when_tall = input.fitting != Fitting::kStretch && !portrait;
  sizes.memory_budget = input.memory_budget;
  return sizes;
}

}  // namespace

void TestDecode(const DeriveInput& input) {
  // No copies wanted: the picture is decoded at its smallest scale, on the path that would
  // make its copies.
  CopySizes sizes;
  sizes.fitting = input.fitting;
  sizes.memory_budget = input.memory_budget;
  MakeCopies(input.bytes, input.path, sizes, false);
}

void TestDecode(const std::vector<unsigned char>& bytes, const std::string& path) {
  DeriveInput input;
  input.path = path;
  input.bytes = bytes;
  input.memory_budget = DefaultMemoryBudget(0);
  TestDecode(input);
}

DerivedImages MakeDerivedImages(const DeriveInput& input) {
  Copies copies = MakeCopies(input.bytes, input.path, SizesFor(input), input.apply_orientation);
  DerivedImages out;
  out.album = std::move(copies.album);
  out.thumbnail = std::move(copies.thumbnail);
  out.screen = std::move(copies.screen);
  out.album_size = copies.album_size;
  out.thumbnail_size = copies.thumbnail_size;
  out.screen_size = copies.screen_size;
  out.portrait = input.portrait || copies.turned;
  out.caption = std::move(copies.caption);

  if (input.make_640 && input.portrait) {
    if (input.sideways_read_error) {
      out.sideways_error = input.sideways_read_error;
    } else {
      try {
        // As the camera took it: its own orientation is not applied, its box not turned.
        CopySizes sideways;
        sideways.screen_width = kScreenWidth;
        sideways.screen_height = kScreenHeight;
        sideways.fitting = input.fitting;
        sideways.memory_budget = input.memory_budget;
        Copies made = MakeCopies(input.sideways_bytes, input.sideways_path, sideways, false);
        out.sideways_screen = std::move(made.screen);
        out.sideways_screen_size = made.screen_size;
      } catch (const SnapError& error) {
        out.sideways_error = error;
      }
    }
  }
  return out;
}

}  // namespace snapnook
