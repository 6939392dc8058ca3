#include "fuzz_properties.h"

#include <cstdint>
#include <vector>

#include "album/web_path.h"
#include "core/natural_order.h"
#include "core/page_text.h"

namespace snapnook::fuzz {
namespace {

// A code point as UTF-8: the lead byte's marker bits are 0xF00 >> the length.
std::string Utf8(char32_t cp) {
  if (cp < 0x80) return std::string(1, static_cast<char>(cp));
  const size_t length = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
  std::string out(length, '\0');
  for (size_t k = length - 1; k > 0; --k, cp >>= 6) out[k] = static_cast<char>(0x80 | (cp & 0x3F));
  out[0] = static_cast<char>((0xF00 >> length) | cp);
  return out;
}

// The characters of a byte string: code points of well-formed UTF-8 (the shortest form of a
// scalar value), each with its bytes; any other byte is a character of its own, stray.
struct Piece {
  char32_t code_point;
  bool stray;
  std::string_view bytes;
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
    pieces.push_back({ok ? cp : lead, !ok, text.substr(i, ok ? length : 1)});
    i += pieces.back().bytes.size();
  }
  return pieces;
}

// A name as a link holds it: the characters that break links, control characters and stray
// bytes as "%" and two upper-case hex digits a byte, everything else as it is.
std::string Link(std::string_view name) {
  std::string link;
  for (const Piece& p : Pieces(name)) {
    const bool breaks =
        p.code_point < 0x20 || p.code_point == 0x7F ||
        std::u32string_view(U"%#?\"'<>&\\").find(p.code_point) != std::u32string::npos;
    if (!p.stray && !breaks) link += p.bytes;
    for (const unsigned char byte : (p.stray || breaks) ? p.bytes : "") {
      link += {'%', "0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15]};
    }
  }
  return link;
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
  return page == expected ? "" : "page text \"" + page + "\", not \"" + expected + "\"";
}

std::string CheckWebPath(std::string_view input) {
  const size_t nul = input.find('\0');
  const std::string_view root = nul == std::string_view::npos ? "/albums" : input.substr(0, nul);
  const std::string_view rest = nul == std::string_view::npos ? input : input.substr(nul + 1);
  if (rest.find('\0') != std::string_view::npos) return "";  // paths hold no NUL
  if (PercentEncodeName(rest) != Link(rest)) {
    return "name written \"" + PercentEncodeName(rest) + "\", not \"" + Link(rest) + "\"";
  }
  // The set folder `rest` below the album root, as the walk names it (ending with "/").
  const std::string folder = std::string(rest) + (rest.empty() ? "" : "/");
  const std::string set_folder = std::string(root) + (root.ends_with('/') ? "" : "/") + folder;
  const std::string web = WebFolder(root, set_folder);
  return web == Link(folder) ? "" : "web folder \"" + web + "\", not \"" + Link(folder) + "\"";
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
      const std::string pair = "\"" + std::string(x) + "\" \"" + std::string(y) + "\"";
      if ((xy == 0) != (x == y)) return "0 only for equal names, not for " + pair;
      if (sign(xy) != -sign(NaturalCompare(y, x))) return "not asymmetric: " + pair;
      if (NaturalLess(x, y) != (xy < 0)) return "NaturalLess disagrees: " + pair;
      for (const std::string_view z : names) {
        if (xy < 0 && NaturalCompare(y, z) < 0 && NaturalCompare(x, z) >= 0) {
          return "not transitive: " + pair + " \"" + std::string(z) + "\"";
        }
      }
    }
  }
  return "";
}

}  // namespace snapnook::fuzz
