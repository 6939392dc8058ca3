#include "core/page_text.h"

#include <cstdint>

#include "core/utf8.h"

namespace snapnook {
namespace {

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
    case ':':  // so that no name reads as a link's scheme ("javascript:")
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

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
  return IsAsciiDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Whether `text` starts with a character reference: "&name;", "&#digits;" or "&#xhex;".
bool StartsWithReference(std::string_view text) {
  size_t i = 1;
  const auto run = [&](bool (*in)(char)) {
    const size_t from = i;
    while (i < text.size() && in(text[i])) ++i;
    return i > from;
  };
  bool named = false;
  if (i < text.size() && text[i] == '#') {
    ++i;
    if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
      ++i;
      named = run(IsHexDigit);
    } else {
      named = run(IsAsciiDigit);
    }
  } else if (i < text.size() && IsAsciiLetter(text[i])) {
    named = run([](char c) { return IsAsciiLetter(c) || IsAsciiDigit(c); });
  }
  return named && i < text.size() && text[i] == ';';
}

}  // namespace

std::string TypedText(std::string_view typed) {
  std::string out;
  out.reserve(typed.size());
  for (size_t at = 0; at < typed.size(); ++at) {
    switch (typed[at]) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '&':
        out += StartsWithReference(typed.substr(at)) ? "&" : "&amp;";
        break;
      default:
        out += typed[at];
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
