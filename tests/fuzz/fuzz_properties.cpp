#include "fuzz_properties.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "album/web_path.h"
#include "core/natural_order.h"
#include "core/page_text.h"

namespace snapnook::fuzz {
namespace {

// A code point as UTF-8 (the lead byte's marker bits are 0xF00 >> the length).
std::string Utf8(char32_t cp) {
  if (cp < 0x80) return std::string(1, static_cast<char>(cp));
  const size_t length = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
  std::string out(length, '\0');
  for (size_t k = length - 1; k > 0; --k, cp >>= 6) out[k] = static_cast<char>(0x80 | (cp & 0x3F));
  out[0] = static_cast<char>((0xF00 >> length) | cp);
  return out;
}

// One character of a byte string: a code point of well-formed UTF-8 (the shortest form of a
// scalar value), or a stray byte on its own.
struct Piece {
  char32_t code_point;
  bool stray;
};

std::vector<Piece> Pieces(std::string_view text) {
  std::vector<Piece> pieces;
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = text[i];
    const size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t cp = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (size_t k = 1; k < length && i + k < text.size(); ++k) cp = cp << 6 | (text[i + k] & 0x3F);
    const bool ok = (lead < 0x80 || length > 1) && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF) &&
                    Utf8(cp) == text.substr(i, length);
    pieces.push_back(ok ? Piece{cp, false} : Piece{lead, true});
    i += ok ? length : 1;
  }
  return pieces;
}

bool IsUtf8(std::string_view text) {
  for (const Piece& p : Pieces(text)) {
    if (p.stray) return false;
  }
  return true;
}

// Page bytes read as an ISO-8859-1 page, as UTF-8: every byte is the character of that number,
// and "&#N;" is character N; nothing when a reference names no character.
std::optional<std::string> ReadPage(std::string_view page) {
  std::string text;
  for (size_t i = 0; i < page.size(); ++i) {
    const size_t end = page.find_first_not_of("0123456789", i + 2);
    if (page.substr(i, 2) == "&#" && end > i + 2 && end <= i + 9 && end < page.size() &&
        page[end] == ';') {
      const char32_t cp = std::stoul(std::string(page.substr(i + 2, end - i - 2)));
      if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
      text += Utf8(cp);
      i = end;
    } else {
      text += Utf8(static_cast<unsigned char>(page[i]));
    }
  }
  return text;
}

// Percent-decoding; nothing when a "%" is not followed by two upper-case hex digits, the only
// form the program writes.
std::optional<std::string> PercentDecode(std::string_view text) {
  static constexpr std::string_view kHex = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    const size_t hi = i + 2 < text.size() ? kHex.find(text[i + 1]) : std::string_view::npos;
    const size_t lo = i + 2 < text.size() ? kHex.find(text[i + 2]) : std::string_view::npos;
    if (hi == std::string_view::npos || lo == std::string_view::npos) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

bool MustBeEncoded(char32_t c) {
  return c < 0x20 || c == 0x7F ||
         std::u32string_view(U"%#?\"'<>&\\").find(c) != std::u32string_view::npos;
}

// Bytes for a message: printable ASCII as it is, everything else as \xHH.
std::string Show(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (const unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
    }
  }
  return out + "\"";
}

// What is wrong with `written`, the link form of `name`.
std::string CheckName(std::string_view name, std::string_view written) {
  const std::string where = " (name " + Show(name) + " written " + Show(written) + ")";
  size_t escapes = 0, needed = 0;
  for (const Piece& p : Pieces(written)) {
    if (p.stray) return "a link is not UTF-8" + where;
    if (p.code_point != '%' && MustBeEncoded(p.code_point)) {
      return "a character that breaks links is left as it is" + where;
    }
    escapes += p.code_point == '%';
  }
  // Nothing else is encoded: one escape per byte that had to be.
  for (const Piece& p : Pieces(name)) needed += p.stray || MustBeEncoded(p.code_point);
  if (PercentDecode(written) != name) return "percent-decoding does not give the name" + where;
  if (escapes != needed) return "more is encoded than must be" + where;
  // As a browser reads it from the page: the page text, then the link, then the address.
  const std::optional<std::string> read = ReadPage(PageText(written));
  if (!read || PercentDecode(*read) != name)
    return "the link read from the page is another name" + where;
  return "";
}

}  // namespace

std::string CheckPageText(std::string_view input) {
  std::string expected;
  for (const Piece& p : Pieces(input)) {
    expected += p.stray || p.code_point <= 0xFF
                    ? std::string(1, static_cast<char>(p.code_point))
                    : "&#" + std::to_string(static_cast<std::uint32_t>(p.code_point)) + ";";
  }
  const std::string page = PageText(input);
  if (page != expected)
    return "page text " + Show(page) + " is not " + Show(expected) + " for " + Show(input);
  if (IsUtf8(input) && input.find("&#") == std::string_view::npos && ReadPage(page) != input) {
    return "page text does not read back for " + Show(input);
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
  const std::string set_folder = std::string(root) + (root.ends_with('/') ? "" : "/") +
                                 std::string(rest) + (rest.empty() ? "" : "/");
  const std::string web = WebFolder(root, set_folder);
  const std::string expected = std::string(rest) + (rest.empty() ? "" : "/");
  if (PercentDecode(web) != expected) {
    return "web folder " + Show(web) + " of " + Show(set_folder) + " below " + Show(root) +
           " does not name " + Show(expected);
  }
  return "";
}

std::string CheckNaturalOrder(std::string_view input) {
  // Two length bytes, then the three names; a shorter input is one name.
  std::string_view names[3] = {input, {}, {}};
  if (input.size() >= 2) {
    std::string_view rest = input.substr(2);
    for (int n = 0; n < 2; ++n) {
      names[n] = rest.substr(0, static_cast<unsigned char>(input[n]));
      rest.remove_prefix(names[n].size());
    }
    names[2] = rest;
  }
  const auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (const std::string_view x : names) {
    for (const std::string_view y : names) {
      const int xy = NaturalCompare(x, y);
      const std::string pair = Show(x) + " " + Show(y);
      if ((xy == 0) != (x == y)) return "0 only for equal names, not for " + pair;
      if (sign(xy) != -sign(NaturalCompare(y, x))) return "not asymmetric: " + pair;
      if (NaturalLess(x, y) != (xy < 0)) return "NaturalLess disagrees: " + pair;
      for (const std::string_view z : names) {
        if (xy < 0 && NaturalCompare(y, z) < 0 && NaturalCompare(x, z) >= 0) {
          return "not transitive: " + pair + " " + Show(z);
        }
      }
    }
  }
  return "";
}

}  // namespace snapnook::fuzz
