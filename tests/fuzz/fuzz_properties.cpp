#include "fuzz_properties.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "album/web_path.h"
#include "core/natural_order.h"
#include "core/page_text.h"

namespace snapnook::fuzz {
namespace {

// One character of a byte string: a code point of well-formed UTF-8, or a stray byte.
struct Piece {
  char32_t code_point = 0;
  bool stray = false;
  size_t length = 1;
};

// The pieces of a byte string, after the table of well-formed UTF-8 byte sequences (each lead
// byte with the range its second byte must fall in); any other byte is stray on its own.
std::vector<Piece> Pieces(std::string_view text) {
  std::vector<Piece> pieces;
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  for (size_t i = 0; i < text.size();) {
    const unsigned char b = byte(i);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b <= 0x7F) {
      length = 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b == 0xE0) {
      length = 3, low = 0xA0;
    } else if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) {
      length = 3;
    } else if (b == 0xED) {
      length = 3, high = 0x9F;
    } else if (b == 0xF0) {
      length = 4, low = 0x90;
    } else if (b >= 0xF1 && b <= 0xF3) {
      length = 4;
    } else if (b == 0xF4) {
      length = 4, high = 0x8F;
    }
    bool ok = length > 0 && i + length <= text.size();
    for (size_t k = 1; ok && k < length; ++k) {
      const unsigned char c = byte(i + k);
      ok = k == 1 ? (c >= low && c <= high) : (c >= 0x80 && c <= 0xBF);
    }
    if (!ok) {
      pieces.push_back({b, true, 1});
      ++i;
      continue;
    }
    char32_t cp = length == 1   ? b
                  : length == 2 ? (b & 0x1F)
                  : length == 3 ? (b & 0x0F)
                                : (b & 0x07);
    for (size_t k = 1; k < length; ++k) cp = (cp << 6) | (byte(i + k) & 0x3F);
    pieces.push_back({cp, false, length});
    i += length;
  }
  return pieces;
}

bool IsUtf8(std::string_view text) {
  for (const Piece& p : Pieces(text)) {
    if (p.stray) return false;
  }
  return true;
}

std::string Utf8(char32_t cp) {
  std::string out;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// Page bytes as a reader of an ISO-8859-1 page sees them, as UTF-8: every byte is the character
// of that number, and "&#N;" is character N.
std::optional<std::string> ReadPage(std::string_view page) {
  std::string text;
  for (size_t i = 0; i < page.size(); ++i) {
    if (page.substr(i, 2) == "&#") {
      size_t end = i + 2;
      std::uint32_t cp = 0;
      while (end < page.size() && page[end] >= '0' && page[end] <= '9' && cp <= 0x10FFFF) {
        cp = cp * 10 + static_cast<std::uint32_t>(page[end] - '0');
        ++end;
      }
      if (end > i + 2 && end < page.size() && page[end] == ';') {
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
        text += Utf8(cp);
        i = end;
        continue;
      }
    }
    text += Utf8(static_cast<unsigned char>(page[i]));
  }
  return text;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // lower case is not what the program writes
}

// Percent-decoding; nothing when a "%" is not followed by two upper-case hex digits.
std::optional<std::string> PercentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int hi = HexValue(text[i + 1]);
    const int lo = HexValue(text[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

bool MustBeEncoded(char32_t c) {
  return c < 0x20 || c == 0x7F || c == '%' || c == '#' || c == '?' || c == '"' || c == '\'' ||
         c == '<' || c == '>' || c == '&' || c == '\\';
}

std::string Show(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

// What is wrong with `written`, the link form of `name`.
std::string CheckName(std::string_view name, std::string_view written) {
  const std::string where = " (name \"" + Show(name) + "\" written \"" + Show(written) + "\")";
  if (!IsUtf8(written)) return "a link is not UTF-8" + where;
  size_t escapes = 0;
  for (const Piece& p : Pieces(written)) {
    if (p.code_point == '%') {
      ++escapes;
    } else if (MustBeEncoded(p.code_point)) {
      return "a character that breaks links is left as it is" + where;
    }
  }
  const std::optional<std::string> decoded = PercentDecode(written);
  if (!decoded) return "a % without two upper-case hex digits" + where;
  if (*decoded != name) return "percent-decoding does not give the name back" + where;
  // Nothing else is encoded: one escape per byte that had to be.
  size_t needed = 0;
  for (const Piece& p : Pieces(name)) needed += p.stray || MustBeEncoded(p.code_point);
  if (escapes != needed) return "more is encoded than must be" + where;
  // As a browser reads it from the page: the page text, then the link, then the address.
  const std::optional<std::string> read = ReadPage(PageText(written));
  if (!read) return "the page text of a link does not read back" + where;
  const std::optional<std::string> address = PercentDecode(*read);
  if (!address || *address != name) return "the link read from the page is another name" + where;
  return "";
}

}  // namespace

std::string CheckPageText(std::string_view input) {
  const std::string page = PageText(input);
  std::string expected;
  for (const Piece& p : Pieces(input)) {
    if (p.stray || p.code_point <= 0xFF) {
      expected += static_cast<char>(p.code_point);
    } else {
      expected += "&#" + std::to_string(static_cast<std::uint32_t>(p.code_point)) + ";";
    }
  }
  if (page != expected) {
    return "page text \"" + Show(page) + "\" is not \"" + Show(expected) + "\" for \"" +
           Show(input) + "\"";
  }
  if (IsUtf8(input) && input.find("&#") == std::string_view::npos) {
    const std::optional<std::string> read = ReadPage(page);
    if (!read || *read != input) return "page text does not read back for \"" + Show(input) + "\"";
  }
  return "";
}

std::string CheckWebPath(std::string_view input) {
  const size_t nul = input.find('\0');
  const std::string_view root = nul == std::string_view::npos ? "/albums" : input.substr(0, nul);
  const std::string_view rest = nul == std::string_view::npos ? input : input.substr(nul + 1);
  if (rest.find('\0') != std::string_view::npos) return "";  // paths hold no NUL

  if (std::string wrong = CheckName(rest, PercentEncodeName(rest)); !wrong.empty()) return wrong;

  // The set folder `rest` below the album root, as the walk names it (ending with "/").
  std::string set_folder(root);
  if (!set_folder.ends_with('/')) set_folder += '/';
  set_folder += rest;
  if (!rest.empty()) set_folder += '/';
  const std::string web = WebFolder(root, set_folder);
  const std::string expected = rest.empty() ? "" : std::string(rest) + "/";
  const std::optional<std::string> decoded = PercentDecode(web);
  if (!decoded || *decoded != expected) {
    return "web folder \"" + Show(web) + "\" of \"" + Show(set_folder) + "\" below \"" +
           Show(root) + "\" does not name \"" + Show(expected) + "\"";
  }
  return "";
}

std::string CheckNaturalOrder(std::string_view input) {
  // Two length bytes, then the three names.
  std::string_view rest = input.size() >= 2 ? input.substr(2) : std::string_view();
  const size_t la =
      input.size() >= 2 ? std::min<size_t>(static_cast<unsigned char>(input[0]), rest.size()) : 0;
  const std::string_view a = input.size() >= 2 ? rest.substr(0, la) : input;
  rest.remove_prefix(la);
  const size_t lb =
      input.size() >= 2 ? std::min<size_t>(static_cast<unsigned char>(input[1]), rest.size()) : 0;
  const std::string_view b = rest.substr(0, lb);
  const std::string_view c = rest.substr(lb);
  const std::string_view names[3] = {a, b, c};

  const auto sign = [](int v) { return (v > 0) - (v < 0); };
  const auto quote = [](std::string_view s) { return "\"" + Show(s) + "\""; };
  for (const std::string_view x : names) {
    if (NaturalCompare(x, x) != 0 || NaturalLess(x, x)) return "not irreflexive: " + quote(x);
    for (const std::string_view y : names) {
      const int xy = NaturalCompare(x, y);
      if (sign(xy) != -sign(NaturalCompare(y, x))) {
        return "not asymmetric: " + quote(x) + " " + quote(y);
      }
      if ((xy == 0) != (x == y)) return "0 for different names: " + quote(x) + " " + quote(y);
      if (NaturalLess(x, y) != (xy < 0)) {
        return "NaturalLess disagrees: " + quote(x) + " " + quote(y);
      }
      if (NaturalCompare(x, y) != xy) return "not repeatable: " + quote(x) + " " + quote(y);
      for (const std::string_view z : names) {
        if (xy < 0 && NaturalCompare(y, z) < 0 && NaturalCompare(x, z) >= 0) {
          return "not transitive: " + quote(x) + " < " + quote(y) + " < " + quote(z);
        }
      }
    }
  }
  return "";
}

}  // namespace snapnook::fuzz
