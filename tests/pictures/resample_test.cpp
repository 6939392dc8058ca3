// The resampler gives exactly the size asked for, whatever the proportions, and keeps a flat
// colour flat: its weights sum to one everywhere, at the edges too.
#include "pictures/resample.h"

#include <gtest/gtest.h>

namespace snapnook {
namespace {

TEST(Resample, GivesExactlyTheAskedSizeAndKeepsAFlatColourFlat) {
  const int sizes[][4] = {{1000, 750, 640, 480}, {1000, 750, 288, 216}, {288, 216, 74, 55},
                          {750, 1000, 216, 288}, {1, 1, 288, 216},      {1, 5000, 288, 216},
                          {5000, 1, 74, 55},     {100, 80, 640, 480},   {3, 2, 2, 3},
                          {641, 481, 640, 480}};
  for (int bands = 1; bands <= 4; ++bands) {
    for (const auto& [in_w, in_h, out_w, out_h] : sizes) {
      Raster in{in_w, in_h, bands, {}};
      for (int i = 0; i < in_w * in_h * bands; ++i) in.pixels.push_back(40 + 60 * (i % bands));
      const Raster out = ResizeLanczos(View(in), out_w, out_h);
      ASSERT_EQ(std::tie(out.width, out.height, out.bands), std::tie(out_w, out_h, bands));
      ASSERT_EQ(out.pixels.size(), static_cast<size_t>(out_w) * out_h * bands);
      for (size_t i = 0; i < out.pixels.size(); ++i) {
        ASSERT_EQ(out.pixels[i], 40 + 60 * static_cast<int>(i % bands))
            << in_w << "x" << in_h << " -> " << out_w << "x" << out_h << ", " << bands << " bands";
      }
    }
  }
}

}  // namespace
}  // namespace snapnook
