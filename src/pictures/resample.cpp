#include "pictures/resample.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Taps from a filter: `weigh(o, add)` calls add(index, weight) for each input sample that
// output `o` draws on, `window` consecutive indices at most, starting at the lowest it adds.
// Indices outside the input fold onto its edge samples (edges repeat). The weights are made
// to sum to one.
template <typename Weigh>
Taps FoldTaps(int in_size, int out_size, int window, Weigh weigh) {
  Taps taps;
  // Taps never reach outside the picture, so a small picture has fewer.
  taps.count = std::min(window, in_size);
  taps.first.resize(out_size);
  taps.weights.assign(static_cast<size_t>(out_size) * taps.count, 0);
  std::vector<std::pair<int, double>> drawn;
  std::vector<double> folded(taps.count);
  for (int o = 0; o < out_size; ++o) {
    drawn.clear();
    weigh(o, [&](int index, double w) { drawn.emplace_back(index, w); });
    int lowest = drawn.empty() ? 0 : drawn.front().first;
    for (const auto& [index, w] : drawn) lowest = std::min(lowest, index);
    // The taps' first sample, placed so that all of them lie inside the picture.
    const int first = std::clamp(lowest, 0, in_size - taps.count);
    std::fill(folded.begin(), folded.end(), 0.0);
    double sum = 0;
    for (const auto& [index, w] : drawn) {
      const int slot = std::clamp(std::clamp(index, 0, in_size - 1) - first, 0, taps.count - 1);
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

// How one direction of the output maps onto the input (see PlaneScale): `scale` input samples
// per output sample from `start`, the input position of the output's first edge, onwards, or
// backwards when `reversed`.
struct Axis {
  double scale = 1.0;
  double start = 0.0;
  bool reversed = false;
  bool operator==(const Axis&) const = default;

  // The input position of a point `at` output samples from the output's first edge.
  double Position(double at) const {
    return reversed ? start - at * scale - 0.5 : start + at * scale - 0.5;
  }
};

// The Lanczos filter (see Axis).
Taps MakeTaps(int in_size, int out_size, const Axis& axis) {
  const double scale = axis.scale;
  const double stretch = std::max(1.0, scale);  // shrinking widens the filter
  const double support = kLobes * stretch;
  const int window = static_cast<int>(std::ceil(support)) * 2 + 1;
  return FoldTaps(in_size, out_size, window, [&](int o, auto add) {
    const double center = axis.Position(o + 0.5);
    const int lowest = static_cast<int>(std::floor(center - support)) + 1;
    for (int k = 0; k < window; ++k) add(lowest + k, Lanczos((lowest + k - center) / stretch));
  });
}

// The chroma of a 4:2:0 copy made as an RGB copy's would be: chroma upsampled to the luma
// grid (libjpeg's triangle filter), each luma position of the copy filtered with the Lanczos
// filter, and two of them averaged into one chroma sample. `scale` is the luma's (source luma
// samples per luma sample of the copy), `factor` the source chroma's subsampling (1, 2, 4).
Taps MakeChromaTaps(int in_size, int out_size, const Axis& axis, int factor) {
  const double scale = axis.scale;
  const double stretch = std::max(1.0, scale);
  const double reach = scale / 2 + kLobes * stretch;  // around a chroma sample, in luma samples
  const int window = static_cast<int>(std::ceil((2 * reach + 2 * factor) / factor)) + 2;
  const int luma_size = in_size * factor;
  return FoldTaps(in_size, out_size, window, [&](int o, auto add) {
    const double center = axis.Position(2 * o + 1);  // in source luma samples
    const int low = static_cast<int>(std::floor(center - reach));
    const int high = static_cast<int>(std::ceil(center + reach));
    for (int i = low; i <= high; ++i) {
      const double w = 0.5 * (Lanczos((i - center + scale / 2) / stretch) +
                              Lanczos((i - center - scale / 2) / stretch));
      if (w == 0) continue;
      // The chroma samples the upsampled chroma at luma sample i is made of.
      const int at = std::clamp(i, 0, luma_size - 1);
      const double offset = (factor - 1) / 2.0;  // where chroma sample 0 lies on the luma grid
      const int m = static_cast<int>(std::floor((at - offset) / factor));
      for (int c : {m, m + 1}) {
        const double t = 1.0 - std::abs(at - (factor * c + offset)) / factor;
        if (t > 0) add(c, w * t);
      }
    }
  });
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

// The weighted sum of the taps of column x, samples `in_stride` apart from `top`.
std::uint8_t ColumnSample(const std::uint8_t* top, std::ptrdiff_t in_stride, int x,
                          const std::int16_t* w, int n) {
  std::int32_t acc = 0;
  for (int k = 0; k < n; ++k) acc += w[k] * static_cast<std::int32_t>(top[k * in_stride + x]);
  return Clamp8(acc);
}

// Scales each column from the input's rows to `height` rows; `row_bytes` samples a row.
void ScaleColumns(const std::uint8_t* in, std::ptrdiff_t in_stride, int row_bytes, int height,
                  const Taps& taps, std::uint8_t* out, std::ptrdiff_t out_stride) {
  const int n = taps.count;
  for (int y = 0; y < height; ++y) {
    const std::int16_t* w = &taps.weights[static_cast<size_t>(y) * n];
    const std::uint8_t* top = in + taps.first[y] * in_stride;
    std::uint8_t* dst = out + y * out_stride;
    int x = 0;
#if defined(__SSE2__)
    // Sixteen columns at a time, two taps at a time: the samples of two rows interleaved
    // against their two weights, multiplied and added pairwise (exact in 32 bits, the same
    // sums as the plain loop).
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi32(kOne / 2);
    for (; x + 16 <= row_bytes; x += 16) {
      __m128i acc[4] = {zero, zero, zero, zero};
      for (int k = 0; k < n; k += 2) {
        const bool pair = k + 1 < n;
        const __m128i a =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + k * in_stride + x));
        const __m128i b =
            pair ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + (k + 1) * in_stride + x))
                 : zero;
        const __m128i weights = _mm_set1_epi32(
            static_cast<std::int32_t>((static_cast<std::uint32_t>(pair ? w[k + 1] : 0) << 16) |
                                      static_cast<std::uint16_t>(w[k])));
        const __m128i a_low = _mm_unpacklo_epi8(a, zero), a_high = _mm_unpackhi_epi8(a, zero);
        const __m128i b_low = _mm_unpacklo_epi8(b, zero), b_high = _mm_unpackhi_epi8(b, zero);
        acc[0] = _mm_add_epi32(acc[0], _mm_madd_epi16(_mm_unpacklo_epi16(a_low, b_low), weights));
        acc[1] = _mm_add_epi32(acc[1], _mm_madd_epi16(_mm_unpackhi_epi16(a_low, b_low), weights));
        acc[2] = _mm_add_epi32(acc[2], _mm_madd_epi16(_mm_unpacklo_epi16(a_high, b_high), weights));
        acc[3] = _mm_add_epi32(acc[3], _mm_madd_epi16(_mm_unpackhi_epi16(a_high, b_high), weights));
      }
      __m128i rounded[4];
      for (int i = 0; i < 4; ++i)
        rounded[i] = _mm_srai_epi32(_mm_add_epi32(acc[i], half), kWeightBits);
      // Saturating packs clamp to 0..255 as Clamp8 does.
      const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(rounded[0], rounded[1]),
                                              _mm_packs_epi32(rounded[2], rounded[3]));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), packed);
    }
#endif
    for (; x < row_bytes; ++x) dst[x] = ColumnSample(top, in_stride, x, w, n);
  }
}

// Scales one row of a plane: out[x] is the weighted sum of `taps` samples (a multiple of 8)
// from first[x] on. `row` has taps - 1 readable samples past its end (their weights are zero).
void ScalePlaneRow(const std::uint8_t* row, int width, const int* first,
                   const std::int16_t* weights, int taps, std::uint8_t* out) {
  for (int x = 0; x < width; ++x) {
    const std::uint8_t* src = row + first[x];
    const std::int16_t* w = weights + static_cast<size_t>(x) * taps;
#if defined(__SSE2__)
    // Eight taps at a time, multiplied and added pairwise, then the four sums added up.
    const __m128i zero = _mm_setzero_si128();
    __m128i sum = zero;
    for (int k = 0; k < taps; k += 8) {
      const __m128i samples =
          _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + k)), zero);
      sum = _mm_add_epi32(
          sum, _mm_madd_epi16(samples, _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + k))));
    }
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0x4E));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0xB1));
    out[x] = Clamp8(_mm_cvtsi128_si32(sum));
#else
    std::int32_t acc = 0;
    for (int k = 0; k < taps; ++k) acc += w[k] * static_cast<std::int32_t>(src[k]);
    out[x] = Clamp8(acc);
#endif
  }
}

// Scales each row of a plane from in.width to `width` samples.
void ScalePlaneRows(const PlaneView& in, int width, const Taps& taps, std::uint8_t* out,
                    std::ptrdiff_t out_stride) {
  // Taps padded to a multiple of 8 with zero weights, eight to a vector.
  const int padded = (taps.count + 7) / 8 * 8;
  std::vector<std::int16_t> weights(static_cast<size_t>(width) * padded, 0);
  for (int x = 0; x < width; ++x) {
    std::copy_n(&taps.weights[static_cast<size_t>(x) * taps.count], taps.count,
                &weights[static_cast<size_t>(x) * padded]);
  }
  std::vector<std::uint8_t> row(static_cast<size_t>(in.width) + padded, 0);
  for (int y = 0; y < in.height; ++y) {
    std::copy_n(in.samples + y * in.stride, in.width, row.begin());
    ScalePlaneRow(row.data(), width, taps.first.data(), weights.data(), padded,
                  out + y * out_stride);
  }
}

}  // namespace

Raster ResizeLanczos(const RasterView& in, int width, int height, const PlaneScale& map) {
  if (in.width < 1 || in.height < 1 || width < 1 || height < 1 || in.bands < 1 || in.bands > 4 ||
      !(map.x > 0) || !(map.y > 0)) {
    throw std::invalid_argument("ResizeLanczos: empty picture or unsupported bands");
  }
  // Columns first: that pass runs along whole rows, which the compiler vectorises, and it
  // leaves fewer rows for the row pass, which it does not.
  const int row_bytes = in.width * in.bands;
  const Taps vertical = MakeTaps(in.height, height, {map.y, map.top, map.mirror_y});
  std::vector<std::uint8_t> columns(static_cast<size_t>(row_bytes) * height);
  ScaleColumns(in.pixels, row_bytes, row_bytes, height, vertical, columns.data(), row_bytes);

  const RasterView middle{in.width, height, in.bands, columns.data()};
  const Taps horizontal = MakeTaps(in.width, width, {map.x, map.left, map.mirror_x});
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

namespace {

void ResizeWithTaps(const PlaneView& in, const Taps& vertical, const Taps& horizontal, int width,
                    int height, std::uint8_t* out, std::ptrdiff_t out_stride) {
  std::vector<std::uint8_t> columns(static_cast<size_t>(in.width) * height);
  ScaleColumns(in.samples, in.stride, in.width, height, vertical, columns.data(), in.width);
  ScalePlaneRows({in.width, height, in.width, columns.data()}, width, horizontal, out, out_stride);
}

void CheckPlane(const PlaneView& in, int width, int height, PlaneScale scale) {
  if (in.width < 1 || in.height < 1 || width < 1 || height < 1 || !(scale.x > 0) ||
      !(scale.y > 0)) {
    throw std::invalid_argument("ResizePlane: empty plane or scale");
  }
}

// The taps of one direction, kept per thread: pictures of a run mostly share their sizes,
// and working the filter out costs as much as applying it to a small plane.
std::shared_ptr<const Taps> CachedTaps(int in_size, int out_size, const Axis& axis,
                                       int chroma_factor) {
  struct Entry {
    int in_size, out_size;
    Axis axis;
    int chroma_factor;
    std::shared_ptr<const Taps> taps;
  };
  thread_local std::vector<Entry> cache;
  for (const Entry& e : cache) {
    if (e.in_size == in_size && e.out_size == out_size && e.axis == axis &&
        e.chroma_factor == chroma_factor) {
      return e.taps;
    }
  }
  if (cache.size() >= 24) cache.clear();
  auto taps = std::make_shared<const Taps>(
      chroma_factor > 0 ? MakeChromaTaps(in_size, out_size, axis, chroma_factor)
                        : MakeTaps(in_size, out_size, axis));
  cache.push_back({in_size, out_size, axis, chroma_factor, taps});
  return taps;
}

}  // namespace

void ResizePlane(const PlaneView& in, int width, int height, PlaneScale scale, std::uint8_t* out,
                 std::ptrdiff_t out_stride) {
  CheckPlane(in, width, height, scale);
  const auto vertical = CachedTaps(in.height, height, {scale.y, scale.top, scale.mirror_y}, 0);
  const auto horizontal = CachedTaps(in.width, width, {scale.x, scale.left, scale.mirror_x}, 0);
  ResizeWithTaps(in, *vertical, *horizontal, width, height, out, out_stride);
}

void ResizeChroma(const PlaneView& in, int width, int height, PlaneScale luma_scale, int factor_x,
                  int factor_y, std::uint8_t* out, std::ptrdiff_t out_stride) {
  CheckPlane(in, width, height, luma_scale);
  const PlaneScale& s = luma_scale;
  const auto vertical = CachedTaps(in.height, height, {s.y, s.top, s.mirror_y}, factor_y);
  const auto horizontal = CachedTaps(in.width, width, {s.x, s.left, s.mirror_x}, factor_x);
  ResizeWithTaps(in, *vertical, *horizontal, width, height, out, out_stride);
}

void Transpose(const std::uint8_t* in, std::ptrdiff_t in_stride, int width, int height, int bands,
               std::uint8_t* out, std::ptrdiff_t out_stride) {
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = in + y * in_stride;
    std::uint8_t* column = out + static_cast<std::ptrdiff_t>(y) * bands;
    for (int x = 0; x < width; ++x) std::copy_n(row + x * bands, bands, column + x * out_stride);
  }
}

}  // namespace snapnook
