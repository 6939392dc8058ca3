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
#include "pictures/jpeg_header.h"
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

// What the picture's embedded colour profile is, from its APP2 "ICC_PROFILE" chunks.
enum class Profile { kNone, kSrgb, kOther };

Profile EmbeddedProfile(std::span<const unsigned char> jpeg) {
  static constexpr unsigned char kIcc[] = "ICC_PROFILE";  // with its NUL, 12 bytes
  std::map<int, std::span<const unsigned char>> chunks;   // by sequence number
  int declared = 0;
  // The profile comes before the image data.
  ForEachJpegSegment(jpeg, [&](unsigned char marker, std::span<const unsigned char> segment) {
    if (marker == 0xE2 && segment.size() > 14 &&
        std::memcmp(segment.data(), kIcc, sizeof kIcc) == 0) {
      declared = segment[13];
      chunks[segment[12]] = segment.subspan(14);
    }
    return true;
  });
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
  // A pixel of the picture at full size spans num / denom samples of the Y plane: a picture
  // decoded at a DCT scale spans a fraction of its last sample.
  int num = 1, denom = 1;
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
  for (int i = 0; i < 3; ++i) {
    planes.plane_width[i] = tjPlaneWidth(i, width, TJSAMP_420);
    planes.plane_height[i] = tjPlaneHeight(i, height, TJSAMP_420);
    planes.samples[i].resize(static_cast<size_t>(planes.plane_width[i]) * planes.plane_height[i]);
  }
  return planes;
}

// The encoder reads the luma plane to whole chroma samples: repeat the last column and row.
void PadLuma(Planes& planes) {
  std::vector<std::uint8_t>& luma = planes.samples[0];
  const int width = planes.width, height = planes.height, stride = planes.plane_width[0];
  if (stride > width) {
    for (int y = 0; y < height; ++y) luma[y * stride + width] = luma[y * stride + width - 1];
  }
  if (planes.plane_height[0] > height) {
    std::copy_n(&luma[(height - 1) * stride], stride, &luma[height * stride]);
  }
}

// The 4:2:0 planes turned about their main diagonal. The chroma samples stay on their luma
// samples: a chroma sample of (x, y) stands for the luma pairs from (2x, 2y), before and after.
Planes Transposed(const Planes& planes) {
  Planes turned = NewPlanes420(planes.height, planes.width);
  for (int i = 0; i < 3; ++i) {
    const int width = i == 0 ? planes.width : planes.plane_width[i];
    const int height = i == 0 ? planes.height : planes.plane_height[i];
    Transpose(planes.samples[i].data(), planes.plane_width[i], width, height, 1,
              turned.samples[i].data(), turned.plane_width[i]);
  }
  PadLuma(turned);
  return turned;
}

// Scales the part of `source` that `copy` shows to a 4:2:0 copy of its size, turned by `turn`:
// mirrored as it is scaled, and the scaled copy transposed.
Planes ScalePlanes(const Planes& source, const CopyShape& copy, Turn turn) {
  // The copy in the source's axes, before its transpose.
  const int width = turn.transpose ? copy.height : copy.width;
  const int height = turn.transpose ? copy.width : copy.height;
  Planes scaled = NewPlanes420(width, height);
  const PlaneScale map = ScaleOf(copy, turn, source.num, source.denom, source.num, source.denom);
  ResizePlane(source.Luma(), width, height, map, scaled.samples[0].data(), scaled.plane_width[0]);
  PadLuma(scaled);
  for (int i = 1; i < 3; ++i) {
    ResizeChroma(source.Chroma(i), scaled.plane_width[i], scaled.plane_height[i], map,
                 source.chroma_x, source.chroma_y, scaled.samples[i].data(), scaled.plane_width[i]);
  }
  return turn.transpose ? Transposed(scaled) : scaled;
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
    if (IsLackOfMemory(encoder.Error())) throw OutOfMemoryError(path);
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
    if (IsLackOfMemory(decoder.Error())) throw OutOfMemoryError(path);
    throw InvalidPictureError(path);
  }
  if (colour_space != TJCS_YCbCr || subsampling == TJSAMP_GRAY) return std::nullopt;
  if (EmbeddedProfile(bytes) == Profile::kOther) return std::nullopt;

  // Decode once, at the DCT scale that covers every copy. libjpeg-turbo has vector code for
  // 1/8, 1/4, 1/2 and 1; the scales between them are slower per pixel and, on fine detail,
  // further from what the Lanczos filter makes.
  const CopyPlan plan = PlanCopies(sizes, sizes.fitting, sizes.turn_when_tall, width, height,
                                   TurnOf(sizes.orientation));
  const tjscalingfactor scale{1, ShrinkFor(plan)};
  Planes full;
  full.width = TJSCALED(width, scale);
  full.height = TJSCALED(height, scale);
  full.num = scale.num;
  full.denom = scale.denom;
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
    if (IsLackOfMemory(error)) throw OutOfMemoryError(path);
    if (tjGetErrorCode(decoder.get()) != TJERR_WARNING) throw InvalidPictureError(path);
    // Damage libjpeg only warns of (cut-off data, corrupt entropy data, stray bytes before a
    // marker, as some cameras write) is judged by libvips, as it always was: a picture cut
    // off in its data is invalid, one that can be made is made.
    return std::nullopt;
  }

  Copies copies;
  copies.turned = plan.turned;
  if (plan.album.width > 0) {
    const Planes album = ScalePlanes(full, plan.album, plan.turn);
    copies.album = Encode(album, path);
    copies.album_size = {album.width, album.height};
    // The thumbnail is scaled from the album picture.
    const Planes thumbnail = ScalePlanes(album, plan.thumbnail, Turn{});
    copies.thumbnail = Encode(thumbnail, path);
    copies.thumbnail_size = {thumbnail.width, thumbnail.height};
  }
  if (plan.screen.width > 0) {
    const Planes screen = ScalePlanes(full, plan.screen, plan.turn);
    copies.screen = Encode(screen, path);
    copies.screen_size = {screen.width, screen.height};
  }
  return copies;
}

}  // namespace snapnook
