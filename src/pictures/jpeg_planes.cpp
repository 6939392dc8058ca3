// The common path of the imaging step: a camera JPEG is YCbCr with subsampled chroma, and so
// are the copies. Decoding straight to the planes at the DCT scale, scaling each plane at its
// own resolution and encoding from the planes skips the colour conversions and the chroma
// resampling that a round trip through RGB costs.
#include <turbojpeg.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <span>
#include <string_view>

#include "core/error.h"
#include "pictures/icc_profile.h"
#include "pictures/imaging_paths.h"
#include "pictures/resample.h"

namespace snapnook {
namespace {

constexpr int kQuality = 92;

class TurboJpeg {
 public:
  explicit TurboJpeg(tjhandle handle) : handle_(handle) {
    if (handle_ == nullptr) throw std::bad_alloc();
  }
  ~TurboJpeg() { tjDestroy(handle_); }
  TurboJpeg(const TurboJpeg&) = delete;
  TurboJpeg& operator=(const TurboJpeg&) = delete;
  tjhandle get() const { return handle_; }
  std::string_view Error() const { return tjGetErrorStr2(handle_); }

 private:
  tjhandle handle_;
};

bool IsLackOfMemory(std::string_view error) {
  return error.find("Insufficient memory") != std::string_view::npos ||
         error.find("Memory allocation failure") != std::string_view::npos ||
         error.find("Backing store not supported") != std::string_view::npos;
}

SnapError OutOfMemory(const std::string& path) {
  return SnapError(kErrOutOfMemory, "Out of memory: " + path);
}

// What the picture's embedded colour profile is, from its APP2 "ICC_PROFILE" chunks.
enum class Profile { kNone, kSrgb, kOther };

Profile EmbeddedProfile(std::span<const unsigned char> jpeg) {
  static constexpr unsigned char kIcc[] = "ICC_PROFILE";  // with its NUL, 12 bytes
  std::map<int, std::span<const unsigned char>> chunks;   // by sequence number
  int declared = 0;
  size_t at = 2;  // past the start-of-image marker
  while (at + 4 <= jpeg.size()) {
    if (jpeg[at] != 0xFF) {
      ++at;  // stray bytes between segments: libjpeg skips them too
      continue;
    }
    const unsigned char marker = jpeg[at + 1];
    if (marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
      at += marker == 0xFF ? 1 : 2;  // fill byte, or a marker without a segment
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) break;  // the profile comes before the image data
    const size_t length = (size_t{jpeg[at + 2]} << 8) | jpeg[at + 3];
    if (length < 2 || at + 2 + length > jpeg.size()) break;
    const auto segment = jpeg.subspan(at + 4, length - 2);
    if (marker == 0xE2 && segment.size() > 14 &&
        std::memcmp(segment.data(), kIcc, sizeof kIcc) == 0) {
      declared = segment[13];
      chunks[segment[12]] = segment.subspan(14);
    }
    at += 2 + length;
  }
  if (chunks.empty()) return Profile::kNone;
  // Chunks numbered 1 to their declared count, each once, make the profile; anything else is
  // a profile this path does not vouch for.
  if (static_cast<int>(chunks.size()) != declared || chunks.begin()->first != 1 ||
      chunks.rbegin()->first != declared) {
    return Profile::kOther;
  }
  std::vector<std::uint8_t> profile;
  for (const auto& [number, chunk] : chunks)
    profile.insert(profile.end(), chunk.begin(), chunk.end());
  return IsSrgbProfile(profile) ? Profile::kSrgb : Profile::kOther;
}

// TurboJPEG reads these from the environment for every encode; progressive or arithmetic
// coding would break the promise of baseline copies, so with either set this path steps
// aside.
bool EnvironmentChangesEncoding() {
  static const bool changes = [] {
    for (const char* name : {"TJ_PROGRESSIVE", "TJ_ARITHMETIC"}) {
      const char* value = std::getenv(name);
      if (value != nullptr && std::string_view(value) == "1") return true;
    }
    return false;
  }();
  return changes;
}

// Planes of an 8-bit YCbCr picture: Y at the picture's size, Cb and Cr subsampled by
// (chroma_x, chroma_y). Every plane is held padded to whole chroma samples, as the encoder
// reads them.
struct Planes {
  int width = 0, height = 0;
  // How many samples of the Y plane the picture spans: a picture decoded at a DCT scale spans
  // a fraction of its last sample.
  double extent_x = 0, extent_y = 0;
  int chroma_x = 2, chroma_y = 2;
  int plane_width[3] = {}, plane_height[3] = {};
  std::vector<std::uint8_t> samples[3];

  PlaneView View(int i, int width_used, int height_used) const {
    return {width_used, height_used, plane_width[i], samples[i].data()};
  }
  // The Y plane's picture part, and a chroma plane whole.
  PlaneView Luma() const { return View(0, width, height); }
  PlaneView Chroma(int i) const { return View(i, plane_width[i], plane_height[i]); }
};

// Planes of 4:2:0 copies of `width` x `height`, the luma plane padded to even sizes.
Planes NewPlanes420(int width, int height) {
  Planes planes;
  planes.width = width;
  planes.height = height;
  planes.extent_x = width;
  planes.extent_y = height;
  for (int i = 0; i < 3; ++i) {
    planes.plane_width[i] = tjPlaneWidth(i, width, TJSAMP_420);
    planes.plane_height[i] = tjPlaneHeight(i, height, TJSAMP_420);
    planes.samples[i].resize(static_cast<size_t>(planes.plane_width[i]) * planes.plane_height[i]);
  }
  return planes;
}

// Scales `source` to a 4:2:0 copy of `width` x `height`.
Planes ScalePlanes(const Planes& source, int width, int height) {
  Planes copy = NewPlanes420(width, height);
  const double sx = source.extent_x / width;
  const double sy = source.extent_y / height;
  ResizePlane(source.Luma(), width, height, {sx, sy}, copy.samples[0].data(), copy.plane_width[0]);
  // The encoder reads the luma plane to whole chroma samples: repeat the last column and row.
  std::vector<std::uint8_t>& luma = copy.samples[0];
  const int stride = copy.plane_width[0];
  if (stride > width) {
    for (int y = 0; y < height; ++y) luma[y * stride + width] = luma[y * stride + width - 1];
  }
  if (copy.plane_height[0] > height) {
    std::copy_n(&luma[(height - 1) * stride], stride, &luma[height * stride]);
  }
  for (int i = 1; i < 3; ++i) {
    ResizeChroma(source.Chroma(i), copy.plane_width[i], copy.plane_height[i], {sx, sy},
                 source.chroma_x, source.chroma_y, copy.samples[i].data(), copy.plane_width[i]);
  }
  return copy;
}

std::vector<unsigned char> Encode(const Planes& planes, const std::string& path) {
  TurboJpeg encoder(tjInitCompress());
  const unsigned char* samples[3] = {planes.samples[0].data(), planes.samples[1].data(),
                                     planes.samples[2].data()};
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  // Baseline, standard Huffman tables, the accurate DCT; no marker but JFIF's.
  if (tjCompressFromYUVPlanes(encoder.get(), samples, planes.width, planes.plane_width,
                              planes.height, TJSAMP_420, &jpeg, &size, kQuality,
                              TJFLAG_ACCURATEDCT) != 0) {
    tjFree(jpeg);
    if (IsLackOfMemory(encoder.Error())) throw OutOfMemory(path);
    throw SnapError(kErrInternal, "Internal error: " + path +
                                      ": encoding failed: " + std::string(encoder.Error()));
  }
  std::vector<unsigned char> bytes;
  try {
    bytes.assign(jpeg, jpeg + size);
  } catch (...) {
    tjFree(jpeg);
    throw;
  }
  tjFree(jpeg);
  return bytes;
}

// The smallest DCT scale of 1/8, 1/4, 1/2 and 1 whose decoded picture covers need_w x
// need_h. libjpeg-turbo has vector code for these; the scales between them are slower per
// pixel and, on fine detail, further from what the Lanczos filter makes.
tjscalingfactor ScaleFor(int width, int height, int need_w, int need_h) {
  for (const int denom : {8, 4, 2}) {
    const tjscalingfactor f{1, denom};
    if (TJSCALED(width, f) >= need_w && TJSCALED(height, f) >= need_h) return f;
  }
  return {1, 1};
}

}  // namespace

std::optional<Copies> MakeCopiesFromPlanes(const std::vector<unsigned char>& bytes,
                                           const std::string& path, const CopySizes& sizes) {
  if (bytes.empty() || EnvironmentChangesEncoding()) return std::nullopt;
  TurboJpeg decoder(tjInitDecompress());
  int width = 0, height = 0, subsampling = -1, colour_space = -1;
  if (tjDecompressHeader3(decoder.get(), bytes.data(), bytes.size(), &width, &height, &subsampling,
                          &colour_space) != 0) {
    // Read to its end, the header is merely odd (a warning, an unusual layout): libvips
    // judges such pictures as before. Not read at all, it is no picture.
    if (width > 0) return std::nullopt;
    if (IsLackOfMemory(decoder.Error())) throw OutOfMemory(path);
    throw InvalidPictureError(path);
  }
  if (colour_space != TJCS_YCbCr || subsampling == TJSAMP_GRAY) return std::nullopt;
  if (EmbeddedProfile(bytes) == Profile::kOther) return std::nullopt;

  // Decode once, at the scale that covers the largest copy.
  const int need_w = sizes.screen_width > 0 ? sizes.screen_width : sizes.album_width;
  const int need_h = sizes.screen_width > 0 ? sizes.screen_height : sizes.album_height;
  const tjscalingfactor scale = ScaleFor(width, height, need_w, need_h);
  Planes full;
  full.width = TJSCALED(width, scale);
  full.height = TJSCALED(height, scale);
  full.extent_x = static_cast<double>(width) * scale.num / scale.denom;
  full.extent_y = static_cast<double>(height) * scale.num / scale.denom;
  full.chroma_x = tjMCUWidth[subsampling] / 8;
  full.chroma_y = tjMCUHeight[subsampling] / 8;
  unsigned char* planes[3];
  for (int i = 0; i < 3; ++i) {
    full.plane_width[i] = tjPlaneWidth(i, full.width, subsampling);
    full.plane_height[i] = tjPlaneHeight(i, full.height, subsampling);
    full.samples[i].resize(static_cast<size_t>(full.plane_width[i]) * full.plane_height[i]);
    planes[i] = full.samples[i].data();
  }
  if (tjDecompressToYUVPlanes(decoder.get(), bytes.data(), bytes.size(), planes, full.width,
                              full.plane_width, full.height, 0) != 0) {
    const std::string_view error = decoder.Error();
    if (IsLackOfMemory(error)) throw OutOfMemory(path);
    if (tjGetErrorCode(decoder.get()) != TJERR_WARNING) throw InvalidPictureError(path);
    // Damage libjpeg only warns of (cut-off data, corrupt entropy data, stray bytes before a
    // marker, as some cameras write) is judged by libvips, as it always was: a picture cut
    // off in its data is invalid, one that can be made is made.
    return std::nullopt;
  }

  Copies copies;
  if (sizes.album_width > 0) {
    const Planes album = ScalePlanes(full, sizes.album_width, sizes.album_height);
    copies.album = Encode(album, path);
    // The thumbnail is scaled from the album picture.
    copies.thumbnail = Encode(ScalePlanes(album, sizes.thumb_width, sizes.thumb_height), path);
  }
  if (sizes.screen_width > 0) {
    copies.screen = Encode(ScalePlanes(full, sizes.screen_width, sizes.screen_height), path);
  }
  return copies;
}

}  // namespace snapnook
