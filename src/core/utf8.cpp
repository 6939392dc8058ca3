#include "core/utf8.h"

#include <algorithm>

namespace snapnook {

size_t Utf8SequenceLength(std::string_view text, size_t at, char32_t& code_point) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) {
    code_point = lead;
    return 1;
  }
  size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    minimum = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(at + i);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  code_point = value;
  return length;
}

size_t LastCharacterSize(std::string_view text) {
  // A valid sequence ends the text only if its lead byte is at most four bytes back.
  for (size_t size = std::min<size_t>(4, text.size()); size > 1; --size) {
    char32_t c = 0;
    if (Utf8SequenceLength(text, text.size() - size, c) == size) return size;
  }
  return text.empty() ? 0 : 1;
}

}  // namespace snapnook
