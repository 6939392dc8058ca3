#include "pictures/resample.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace snapnook {
namespace {

constexpr double kLobes = 2.0;
constexpr int kWeightBits = 14;
constexpr int kOne = 1 << kWeightBits;
constexpr double kPi = 3.14159265358979323846;

double Sinc(double x) {
  if (x == 0.0) return 1.0;
  const double px = kPi * x;
  return std::sin(px) / px;
}

double Lanczos(double x) {
  if (x <= -kLobes || x >= kLobes) return 0.0;
  return Sinc(x) * Sinc(x / kLobes);
}

// For each output position, the first input index and the fixed-point weights of its taps.
// Every output has the same number of taps (the rest are zero) so the loops stay simple.
struct Taps {
  int count = 0;
  std::vector<int> first;             // per output
  std::vector<std::int16_t> weights;  // per output, `count` each
};

Taps MakeTaps(int in_size, int out_size) {
  const double scale = static_cast<double>(in_size) / out_size;
  const double stretch = std::max(1.0, scale);  // shrinking widens the filter
  const double support = kLobes * stretch;
  const int window = static_cast<int>(std::ceil(support)) * 2 + 1;
  Taps taps;
  // Taps never reach outside the picture, so a small picture has fewer.
  taps.count = std::min(window, in_size);
  taps.first.resize(out_size);
  taps.weights.assign(static_cast<size_t>(out_size) * taps.count, 0);
  std::vector<double> folded(in_size > window ? window : in_size);
  for (int o = 0; o < out_size; ++o) {
    const double center = (o + 0.5) * scale - 0.5;
    const int lowest = static_cast<int>(std::floor(center - support)) + 1;
    // The taps' first sample, placed so that all of them lie inside the picture; taps that
    // would fall outside it fold onto the edge sample (edges repeat).
    const int first = std::clamp(lowest, 0, in_size - taps.count);
    std::fill(folded.begin(), folded.end(), 0.0);
    double sum = 0;
    for (int k = 0; k < window; ++k) {
      const double w = Lanczos((lowest + k - center) / stretch);
      const int index = std::clamp(lowest + k, 0, in_size - 1);
      const int slot = std::clamp(index - first, 0, taps.count - 1);
      folded[slot] += w;
      sum += w;
    }
    // Fixed point, with the rounding error put on the largest weight so they sum to one.
    std::int16_t* out = &taps.weights[static_cast<size_t>(o) * taps.count];
    int total = 0;
    int largest = 0;
    for (int k = 0; k < taps.count; ++k) {
      out[k] = static_cast<std::int16_t>(std::lround(folded[k] / sum * kOne));
      total += out[k];
      if (out[k] > out[largest]) largest = k;
    }
    out[largest] = static_cast<std::int16_t>(out[largest] + (kOne - total));
    taps.first[o] = first;
  }
  return taps;
}

std::uint8_t Clamp8(int value) {
  value = (value + (kOne / 2)) >> kWeightBits;
  return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// Scales each row from in.width to `width` pixels.
template <int kBands>
void ScaleRows(const RasterView& in, int width, const Taps& taps, std::uint8_t* out) {
  const int n = taps.count;
  for (int y = 0; y < in.height; ++y) {
    const std::uint8_t* row = in.pixels + static_cast<size_t>(y) * in.width * kBands;
    std::uint8_t* dst = out + static_cast<size_t>(y) * width * kBands;
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* src = row + static_cast<size_t>(taps.first[x]) * kBands;
      const std::int16_t* w = &taps.weights[static_cast<size_t>(x) * n];
      int acc[kBands] = {};
      for (int k = 0; k < n; ++k) {
        for (int b = 0; b < kBands; ++b) acc[b] += w[k] * src[k * kBands + b];
      }
      for (int b = 0; b < kBands; ++b) dst[x * kBands + b] = Clamp8(acc[b]);
    }
  }
}

// Scales each column from `in_height` to `height` rows; `row_bytes` samples a row.
void ScaleColumns(const std::uint8_t* in, int row_bytes, int height, const Taps& taps,
                  std::uint8_t* out) {
  const int n = taps.count;
  std::vector<int> acc(row_bytes);
  for (int y = 0; y < height; ++y) {
    std::fill(acc.begin(), acc.end(), 0);
    const std::int16_t* w = &taps.weights[static_cast<size_t>(y) * n];
    for (int k = 0; k < n; ++k) {
      const int weight = w[k];
      if (weight == 0) continue;
      const std::uint8_t* src = in + static_cast<size_t>(taps.first[y] + k) * row_bytes;
      for (int i = 0; i < row_bytes; ++i) acc[i] += weight * src[i];
    }
    std::uint8_t* dst = out + static_cast<size_t>(y) * row_bytes;
    for (int i = 0; i < row_bytes; ++i) dst[i] = Clamp8(acc[i]);
  }
}

}  // namespace

Raster ResizeLanczos(const RasterView& in, int width, int height) {
  if (in.width < 1 || in.height < 1 || width < 1 || height < 1 || in.bands < 1 || in.bands > 4) {
    throw std::invalid_argument("ResizeLanczos: empty picture or unsupported bands");
  }
  // Columns first: that pass runs along whole rows, which the compiler vectorises, and it
  // leaves fewer rows for the row pass, which it does not.
  const Taps vertical = MakeTaps(in.height, height);
  std::vector<std::uint8_t> columns(static_cast<size_t>(in.width) * height * in.bands);
  ScaleColumns(in.pixels, in.width * in.bands, height, vertical, columns.data());

  const RasterView middle{in.width, height, in.bands, columns.data()};
  const Taps horizontal = MakeTaps(in.width, width);
  Raster out;
  out.width = width;
  out.height = height;
  out.bands = in.bands;
  out.pixels.resize(static_cast<size_t>(width) * height * in.bands);
  switch (in.bands) {
    case 1:
      ScaleRows<1>(middle, width, horizontal, out.pixels.data());
      break;
    case 2:
      ScaleRows<2>(middle, width, horizontal, out.pixels.data());
      break;
    case 3:
      ScaleRows<3>(middle, width, horizontal, out.pixels.data());
      break;
    default:
      ScaleRows<4>(middle, width, horizontal, out.pixels.data());
      break;
  }
  return out;
}

}  // namespace snapnook
