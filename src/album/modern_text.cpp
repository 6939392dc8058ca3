#include "album/modern_text.h"

#include "core/page_text.h"
#include "core/utf8.h"

namespace snapnook {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Characters an HTML page may not hold: controls other than blanks, and noncharacters.
bool Forbidden(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0xFDD0 && c <= 0xFDEF) ||
         (c & 0xFFFE) == 0xFFFE;
}

}  // namespace

std::string ModernText(std::string_view text, bool escape) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    char32_t c = 0;
    const size_t length = Utf8SequenceLength(text, at, c);
    if (length == 0) {
      out += kReplacement;
      ++at;
      continue;
    }
    if (c == '\t' || c == '\n' || c == '\r' || c == '\f') {
      out += ' ';
    } else if (Forbidden(c)) {
      out += kReplacement;
    } else if (escape && c == '&') {
      out += "&amp;";
    } else if (escape && c == '<') {
      out += "&lt;";
    } else if (escape && c == '>') {
      out += "&gt;";
    } else if (escape && c == '"') {
      out += "&quot;";
    } else {
      out.append(text.substr(at, length));
    }
    at += length;
  }
  return out;
}

std::string ModernLink(std::string_view path) {
  std::string out = "./";
  for (const char c : PercentEncodeName(path)) {
    if (c == ' ') {
      out += "%20";
    } else if (c == ',') {
      out += "%2C";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace snapnook
