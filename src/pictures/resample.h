// Scaling 8-bit pictures to an exact size with a Lanczos filter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace snapnook {

/// An 8-bit picture in memory: `bands` interleaved samples per pixel, rows packed.
struct Raster {
  int width = 0;
  int height = 0;
  int bands = 0;
  std::vector<std::uint8_t> pixels;  // width * height * bands
};

/// A read-only view of 8-bit pixels that someone else owns.
struct RasterView {
  int width = 0;
  int height = 0;
  int bands = 0;
  const std::uint8_t* pixels = nullptr;  // width * height * bands, rows packed
};

inline RasterView View(const Raster& r) {
  return {r.width, r.height, r.bands, r.pixels.data()};
}

/// One plane of 8-bit samples (a band of a picture, perhaps at a lower resolution than the
/// others), rows `stride` bytes apart.
struct PlaneView {
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;
  const std::uint8_t* samples = nullptr;
};

/// How a plane maps onto the picture in each direction: an output sample `o` lies at input
/// position left + (o + 0.5) * x - 0.5 (and likewise down), both counted in samples of their
/// own plane. The scale is usually input samples / output samples; a picture decoded at a DCT
/// scale spans a fraction of its last sample, so its scale is the fraction's. The copy's first
/// edge lies at (`left`, `top`) of the input (fractions of a sample allowed), so a copy can
/// show a part of it. Mirrored, the copy runs from there leftwards (upwards): output sample
/// `o` lies at left - (o + 0.5) * x - 0.5, so a copy can be turned as it is made.
struct PlaneScale {
  double x = 1.0;
  double y = 1.0;
  double left = 0.0;
  double top = 0.0;
  bool mirror_x = false;
  bool mirror_y = false;
};

/// Scales the part of `in` that `map` gives, mirrored as it says, to exactly `width` x `height`
/// with a separable Lanczos filter of two lobes, widened by the reduction factor when
/// shrinking; edges repeat. Each direction is scaled on its own, so the proportions need not
/// be kept. `bands` may be 1 to 4. Deterministic: the same input gives the same bytes on any
/// machine and thread.
Raster ResizeLanczos(const RasterView& in, int width, int height, const PlaneScale& map);

/// Writes `in`, `width` x `height` pixels of `bands` bytes with rows `in_stride` bytes apart,
/// turned about its main diagonal into `out` (`height` x `width` pixels, rows `out_stride`
/// bytes apart): row y of `in` becomes column y of `out`.
void Transpose(const std::uint8_t* in, std::ptrdiff_t in_stride, int width, int height, int bands,
               std::uint8_t* out, std::ptrdiff_t out_stride);

/// Scales one plane to exactly `width` x `height` samples, with the same filter as
/// ResizeLanczos, into `out` (rows `out_stride` bytes apart, at least `width`). Deterministic
/// in the same way, whatever the machine's vector instructions.
void ResizePlane(const PlaneView& in, int width, int height, PlaneScale scale, std::uint8_t* out,
                 std::ptrdiff_t out_stride);

/// Scales a chroma plane, subsampled by `factor_x` x `factor_y` (1, 2 or 4) against its luma,
/// to the `width` x `height` chroma plane of a 4:2:0 copy (half the copy's luma size, rounded
/// up), as near as can be to the chroma of an RGB copy scaled with ResizeLanczos and encoded
/// at 4:2:0: the chroma filtered as libjpeg upsamples it, then with the Lanczos filter at the
/// copy's luma scale `luma_scale`, then averaged in pairs.
void ResizeChroma(const PlaneView& in, int width, int height, PlaneScale luma_scale, int factor_x,
                  int factor_y, std::uint8_t* out, std::ptrdiff_t out_stride);

}  // namespace snapnook
