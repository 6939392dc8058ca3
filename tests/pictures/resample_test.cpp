#include "pictures/resample.h"

#include <gtest/gtest.h>

#include <numeric>

namespace snapnook {
namespace {

Raster Filled(int width, int height, int bands, std::uint8_t (*value)(int x, int y, int b)) {
  Raster r{width, height, bands, {}};
  r.pixels.resize(static_cast<size_t>(width) * height * bands);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int b = 0; b < bands; ++b)
        r.pixels[(static_cast<size_t>(y) * width + x) * bands + b] = value(x, y, b);
  return r;
}

std::uint8_t At(const Raster& r, int x, int y, int b) {
  return r.pixels[(static_cast<size_t>(y) * r.width + x) * r.bands + b];
}

TEST(Resample, GivesExactlyTheAskedSizeAndKeepsAFlatColourFlat) {
  struct Case {
    int in_w, in_h, out_w, out_h;
  } cases[] = {{1000, 750, 640, 480}, {1000, 750, 288, 216}, {288, 216, 74, 55},
               {750, 1000, 216, 288}, {1, 1, 288, 216},      {1, 5000, 288, 216},
               {5000, 1, 74, 55},     {100, 80, 640, 480},   {3, 2, 2, 3},
               {641, 481, 640, 480}};
  for (int bands = 1; bands <= 4; ++bands) {
    for (const Case& c : cases) {
      const Raster in = Filled(c.in_w, c.in_h, bands, [](int, int, int b) {
        return static_cast<std::uint8_t>(40 + 60 * b);
      });
      const Raster out = ResizeLanczos(View(in), c.out_w, c.out_h);
      ASSERT_EQ(out.width, c.out_w);
      ASSERT_EQ(out.height, c.out_h);
      ASSERT_EQ(out.bands, bands);
      ASSERT_EQ(out.pixels.size(), static_cast<size_t>(c.out_w) * c.out_h * bands);
      for (size_t i = 0; i < out.pixels.size(); ++i) {
        ASSERT_EQ(out.pixels[i], 40 + 60 * static_cast<int>(i % bands))
            << c.in_w << "x" << c.in_h << " -> " << c.out_w << "x" << c.out_h << " bands " << bands;
      }
    }
  }
}

TEST(Resample, KeepsWhereThingsAreAndDoesNotMixBands) {
  // Red on the left half only, blue on the top half only.
  const Raster in = Filled(1000, 750, 3, [](int x, int y, int b) -> std::uint8_t {
    if (b == 0) return x < 500 ? 255 : 0;
    if (b == 2) return y < 375 ? 255 : 0;
    return 0;
  });
  const Raster out = ResizeLanczos(View(in), 640, 480);
  EXPECT_EQ(At(out, 10, 240, 0), 255);
  EXPECT_EQ(At(out, 630, 240, 0), 0);
  EXPECT_EQ(At(out, 320, 10, 2), 255);
  EXPECT_EQ(At(out, 320, 470, 2), 0);
  for (int y = 0; y < out.height; y += 7)
    for (int x = 0; x < out.width; x += 7) EXPECT_EQ(At(out, x, y, 1), 0);
  // The edge between the halves stays in the middle.
  EXPECT_GT(At(out, 318, 240, 0), 200);
  EXPECT_LT(At(out, 321, 240, 0), 55);
}

TEST(Resample, ShrinkingKeepsTheAverageAndIsTheSameEveryTime) {
  const Raster in = Filled(997, 751, 3, [](int x, int y, int b) {
    return static_cast<std::uint8_t>((x * 7 + y * 13 + b * 50) % 256);
  });
  const Raster a = ResizeLanczos(View(in), 288, 216);
  const Raster b = ResizeLanczos(View(in), 288, 216);
  EXPECT_EQ(a.pixels, b.pixels);
  auto mean = [](const Raster& r) {
    return std::accumulate(r.pixels.begin(), r.pixels.end(), 0.0) / r.pixels.size();
  };
  EXPECT_NEAR(mean(a), mean(in), 2.0);
}

TEST(Resample, RefusesEmptyPictures) {
  Raster empty{0, 0, 3, {}};
  EXPECT_THROW(ResizeLanczos(View(empty), 10, 10), std::invalid_argument);
  const Raster one = Filled(1, 1, 3, [](int, int, int) -> std::uint8_t { return 1; });
  EXPECT_THROW(ResizeLanczos(View(one), 0, 10), std::invalid_argument);
}

}  // namespace
}  // namespace snapnook
