// What an embedded ICC colour profile says about itself.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace snapnook {

/// The profile's description (its "desc" tag, ICC version 2 text or version 4 multi-language
/// text, first language), or "" when the profile has none or cannot be read. Reads only the
/// bytes given; safe on any input.
std::string IccDescription(std::span<const std::uint8_t> profile);

/// Whether a profile describes itself as sRGB ("sRGB IEC61966-2.1", "sRGB built-in", ...):
/// pictures in it need no colour conversion for the web. A profile that merely mentions sRGB
/// elsewhere (its copyright, another tag) is not one.
bool IsSrgbProfile(std::span<const std::uint8_t> profile);

}  // namespace snapnook
