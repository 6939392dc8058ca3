// What a JPEG file's header holds, read without decoding: its segments and its frame.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace snapnook {

/// Whether `bytes` begin as a JPEG file does, with the start-of-image marker.
bool LooksLikeJpeg(std::span<const unsigned char> bytes);

/// Calls `visit(marker, payload)` for each marker segment of a JPEG's header in order, the
/// first start-of-scan's included (its payload is the scan's header), then stops; stops too at
/// the end-of-image marker, at a segment that runs past the data, and when `visit` returns
/// false. Fill bytes, markers without a segment and stray bytes between segments are passed
/// over as libjpeg passes over them. Reads only the bytes given; safe on any input.
void ForEachJpegSegment(
    std::span<const unsigned char> jpeg,
    const std::function<bool(unsigned char marker, std::span<const unsigned char> payload)>& visit);

/// A JPEG's frame, from its start-of-frame segment and its first scan's header.
struct JpegFrame {
  int width = 0, height = 0;
  struct Component {
    int h = 1, v = 1;  // sampling factors
  };
  std::vector<Component> components;
  /// Progressive, or a first scan that holds fewer than all components: libjpeg then keeps
  /// every coefficient of the picture until the last scan.
  bool several_scans = false;
};

/// The frame, or nothing when the header holds none with a size and components.
std::optional<JpegFrame> ReadJpegFrame(std::span<const unsigned char> jpeg);

/// The bytes libjpeg's coefficient buffer takes for a picture of several scans, at full size
/// whatever the scale it is decoded at; 0 for a single scan, which needs none.
std::uint64_t CoefficientBytes(const JpegFrame& frame);

}  // namespace snapnook
