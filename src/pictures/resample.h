// Scaling 8-bit pictures to an exact size with a Lanczos filter.
#pragma once

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

/// Scales `in` to exactly `width` x `height` with a separable Lanczos filter of two lobes,
/// widened by the reduction factor when shrinking; edges repeat. Each direction is scaled on
/// its own, so the proportions need not be kept. `bands` may be 1 to 4. Deterministic: the
/// same input gives the same bytes on any machine and thread.
Raster ResizeLanczos(const RasterView& in, int width, int height);

}  // namespace snapnook
