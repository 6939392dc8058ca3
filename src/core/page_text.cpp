#include "core/page_text.h"

#include <cstdint>

namespace snapnook {
namespace {

// The length of the valid UTF-8 sequence at `at`, 0 when the byte there does not start one.
// Overlong forms, surrogates and code points above U+10FFFF are not valid.
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

bool NeedsPercent(char32_t c) {
  switch (c) {
    case '%':
    case '#':
    case '?':
    case '"':
    case '\'':
    case '<':
    case '>':
    case '&':
    case '\\':
      return true;
    default:
      return c < 0x20 || c == 0x7F;
  }
}

void AppendPercent(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0F];
}

}  // namespace

std::string PageText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t at = 0; at < utf8.size();) {
    char32_t c = 0;
    const size_t length = Utf8SequenceLength(utf8, at, c);
    if (length == 0) {
      out += utf8[at++];
    } else if (c <= 0xFF) {
      out += static_cast<char>(static_cast<unsigned char>(c));
      at += length;
    } else {
      out += "&#" + std::to_string(static_cast<std::uint32_t>(c)) + ";";
      at += length;
    }
  }
  return out;
}

std::string PercentEncodeName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (size_t at = 0; at < name.size();) {
    char32_t c = 0;
    const size_t length = Utf8SequenceLength(name, at, c);
    if (length == 0) {
      AppendPercent(out, static_cast<unsigned char>(name[at++]));
    } else if (NeedsPercent(c)) {
      // Only ASCII characters are in the set, so the character is its one byte.
      AppendPercent(out, static_cast<unsigned char>(c));
      at += length;
    } else {
      out.append(name.substr(at, length));
      at += length;
    }
  }
  return out;
}

}  // namespace snapnook
