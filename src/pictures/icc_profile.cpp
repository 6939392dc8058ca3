#include "pictures/icc_profile.h"

#include <string_view>

namespace snapnook {
namespace {

std::uint32_t Big32(std::span<const std::uint8_t> bytes, size_t at) {
  return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
         (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

bool Holds(std::span<const std::uint8_t> bytes, std::uint64_t at, std::uint64_t size) {
  return at <= bytes.size() && size <= bytes.size() - at;
}

std::string_view Signature(std::span<const std::uint8_t> bytes, size_t at) {
  return {reinterpret_cast<const char*>(bytes.data() + at), 4};
}

}  // namespace

std::string IccDescription(std::span<const std::uint8_t> profile) {
  // A 128-byte header, then the tag count and 12-byte entries: signature, offset, size.
  constexpr size_t kTagTable = 128;
  if (!Holds(profile, kTagTable, 4)) return {};
  const std::uint32_t tags = Big32(profile, kTagTable);
  for (std::uint64_t i = 0; i < tags && Holds(profile, kTagTable + 4 + 12 * i, 12); ++i) {
    const size_t entry = kTagTable + 4 + 12 * i;
    if (Signature(profile, entry) != "desc") continue;
    const std::uint32_t offset = Big32(profile, entry + 4);
    const std::uint32_t size = Big32(profile, entry + 8);
    if (!Holds(profile, offset, size) || size < 12) return {};
    const auto tag = profile.subspan(offset, size);
    std::string text;
    if (Signature(tag, 0) == "desc") {
      // Version 2: the ASCII count (with its final NUL), then the text.
      const std::uint32_t count = Big32(tag, 8);
      if (!Holds(tag, 12, count)) return {};
      for (std::uint32_t k = 0; k < count && tag[12 + k] != 0; ++k)
        text += static_cast<char>(tag[12 + k]);
    } else if (Signature(tag, 0) == "mluc" && Holds(tag, 16, 12)) {
      // Version 4: records of language, country, length and offset; the first one, UTF-16,
      // of which the ASCII characters are kept.
      const std::uint32_t length = Big32(tag, 20);
      const std::uint32_t start = Big32(tag, 24);
      if (!Holds(tag, start, length)) return {};
      for (std::uint32_t k = 0; k + 1 < length; k += 2) {
        const unsigned unit = (unsigned{tag[start + k]} << 8) | tag[start + k + 1];
        if (unit != 0) text += unit < 0x80 ? static_cast<char>(unit) : '?';
      }
    }
    return text;
  }
  return {};
}

bool IsSrgbProfile(std::span<const std::uint8_t> profile) {
  return IccDescription(profile).starts_with("sRGB");
}

}  // namespace snapnook
