// How much memory decoding a picture takes, told from its header before decoding.
#pragma once

#include <cstdint>
#include <string>

#include "pictures/jpeg_header.h"

namespace snapnook {

/// Throws 7 "Out of memory: PATH" when `need` bytes are above `budget` (0: no limit).
void CheckMemoryBudget(std::uint64_t need, std::uint64_t budget, const std::string& path);

/// What decoding a JPEG at 1/`shrink` of its size takes: the coefficients libjpeg holds for a
/// picture of several scans (at full size, whatever the shrink), and the decoded picture.
std::uint64_t JpegDecodeBytes(const JpegFrame& frame, int shrink);

/// What a picture decoded whole at `width` x `height`, `bands` samples of `sample_bytes` each,
/// takes: the decoder's own copy and ours.
std::uint64_t PixelBytes(std::uint64_t width, std::uint64_t height, int bands, int sample_bytes);

}  // namespace snapnook
