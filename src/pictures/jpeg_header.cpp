#include "pictures/jpeg_header.h"

#include <algorithm>

namespace snapnook {

bool LooksLikeJpeg(std::span<const unsigned char> bytes) {
  return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

void ForEachJpegSegment(std::span<const unsigned char> jpeg,
                        const std::function<bool(unsigned char marker,
                                                 std::span<const unsigned char> payload)>& visit) {
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
    if (marker == 0xD9) return;
    const size_t length = (size_t{jpeg[at + 2]} << 8) | jpeg[at + 3];
    if (length < 2 || at + 2 + length > jpeg.size()) return;
    if (!visit(marker, jpeg.subspan(at + 4, length - 2)) || marker == 0xDA) return;
    at += 2 + length;
  }
}

std::optional<JpegFrame> ReadJpegFrame(std::span<const unsigned char> jpeg) {
  std::optional<JpegFrame> frame;
  ForEachJpegSegment(jpeg, [&](unsigned char marker, std::span<const unsigned char> payload) {
    // Start of frame: every 0xCn but the Huffman table (C4), JPEG extension (C8) and
    // arithmetic conditioning (CC) markers. Progressive: C2, C6, CA, CE.
    const bool sof =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (sof && !frame && payload.size() >= 6) {
      JpegFrame f;
      f.height = (payload[1] << 8) | payload[2];
      f.width = (payload[3] << 8) | payload[4];
      const size_t count = payload[5];
      for (size_t i = 0; i < count && 6 + 3 * i + 2 < payload.size(); ++i) {
        const unsigned char factors = payload[6 + 3 * i + 1];
        f.components.push_back({std::max(1, factors >> 4), std::max(1, factors & 0x0F)});
      }
      f.several_scans = (marker & 0x03) == 0x02;
      if (f.width > 0 && f.height > 0 && !f.components.empty()) frame = f;
    } else if (marker == 0xDA && frame && !payload.empty() &&
               payload[0] < frame->components.size()) {
      frame->several_scans = true;
    }
    return true;
  });
  return frame;
}

std::uint64_t CoefficientBytes(const JpegFrame& frame) {
  if (!frame.several_scans) return 0;
  int h_max = 1, v_max = 1;
  for (const auto& c : frame.components) {
    h_max = std::max(h_max, c.h);
    v_max = std::max(v_max, c.v);
  }
  // Per component, its blocks of 8 x 8 across and down, rounded up to whole units of its
  // sampling factors, 64 coefficients of two bytes each.
  const auto blocks = [](std::uint64_t size, int factor, int max_factor) {
    const std::uint64_t n = (size * factor + 8 * max_factor - 1) / (8 * max_factor);
    return (n + factor - 1) / factor * factor;
  };
  std::uint64_t bytes = 0;
  for (const auto& c : frame.components) {
    bytes += blocks(frame.width, c.h, h_max) * blocks(frame.height, c.v, v_max) * 64 * 2;
  }
  return bytes;
}

}  // namespace snapnook
