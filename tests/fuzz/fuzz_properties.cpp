// The libFuzzer targets: each built with FUZZ_CHECK naming one of the properties below
// (CheckPageText, CheckWebPath, CheckNaturalOrder or CheckPictureMetadata), which it checks on
// every input. A property returns what is wrong with an input, or nothing; a broken one aborts.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/natural_order.h"
#include "core/page_text.h"
#include "pictures/jpeg_header.h"
#include "pictures/picture_metadata.h"

namespace snapnook::fuzz {
namespace {

// The characters of a byte string: code points of well-formed UTF-8 (the shortest form of a
// scalar value), each with its bytes; any other byte is a character of its own, stray.
struct Piece {
  char32_t code_point;
  bool stray;
  std::string_view bytes;
};

std::vector<Piece> Pieces(std::string_view text) {
  static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};  // by length
  std::vector<Piece> pieces;
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = text[i];
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t cp = length == 1 ? lead : lead & (0xFF >> (length + 1));
    bool ok = (lead < 0x80 || lead >= 0xC0) && lead < 0xF8 && i + length <= text.size();
    for (size_t k = 1; ok && k < length; ++k) {
      ok = (text[i + k] & 0xC0) == 0x80;
      cp = cp << 6 | (text[i + k] & 0x3F);
    }
    ok = ok && cp >= kLeast[length] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    pieces.push_back({ok ? cp : lead, !ok, text.substr(i, ok ? length : 1)});
    i += pieces.back().bytes.size();
  }
  return pieces;
}

}  // namespace

// Page text (PageText): the bytes are what ISO-8859-1 with decimal character references makes
// of the input, character by character (U+0000 to U+00FF as their byte, every other character
// as "&#N;", a byte that is not part of well-formed UTF-8 as it is).
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

// Names in links (PercentEncodeName): exactly the characters that break links, control
// characters and bytes that are not part of well-formed UTF-8 are percent-encoded, a byte at a
// time. The input is split at its first NUL into an album root, not used, and the name.
std::string CheckWebPath(std::string_view input) {
  const std::string_view name = input.substr(input.find('\0') + 1);  // npos + 1 is 0: all
  if (name.find('\0') != std::string_view::npos) return "";          // names hold no NUL
  std::string link;  // escaped: "%" and two upper-case hex digits a byte
  for (const Piece& p : Pieces(name)) {
    const bool escaped =
        p.stray || p.code_point < 0x20 || p.code_point == 0x7F ||
        std::u32string_view(U"%#?\"'<>&\\:").find(p.code_point) != std::u32string::npos;
    if (!escaped) link += p.bytes;
    for (const unsigned char byte : escaped ? p.bytes : "")
      link += {'%', "0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15]};
  }
  const std::string written = PercentEncodeName(name);
  return written == link ? "" : "name written \"" + written + "\", not \"" + link + "\"";
}

// Natural order (NaturalCompare): a strict weak ordering, in fact a total order, over the three
// names the input is cut into (irreflexive, asymmetric, transitive, 0 only for equal names,
// NaturalLess consistent with it).
std::string CheckNaturalOrder(std::string_view input) {
  // Two length bytes, then the three names; a shorter input is one name.
  std::string_view names[3] = {input, {}, {}},
                   rest = input.substr(std::min<size_t>(input.size(), 2));
  for (int n = 0; n < 3 && input.size() >= 2; ++n) {
    names[n] = rest.substr(0, n < 2 ? static_cast<unsigned char>(input[n]) : rest.size());
    rest.remove_prefix(names[n].size());
  }
  const auto sign = [](std::string_view x, std::string_view y) {
    return std::clamp(NaturalCompare(x, y), -1, 1);
  };
  for (const std::string_view x : names) {
    for (const std::string_view y : names) {
      const std::string pair = "\"" + std::string(x) + "\" \"" + std::string(y) + "\"";
      if (sign(x, y) != -sign(y, x) || (sign(x, y) == 0) != (x == y) ||
          NaturalLess(x, y) != (sign(x, y) < 0)) {
        return "not a total order, or NaturalLess disagrees with it: " + pair;
      }
      for (const std::string_view z : names) {
        if (sign(x, y) < 0 && sign(y, z) < 0 && sign(x, z) >= 0) return "not transitive: " + pair;
      }
    }
  }
  return "";
}

// A picture's header read as a JPEG's, and as each metadata block: reading stays inside the
// input (the sanitizers watch), the orientation is 1 to 8, a caption is UTF-8 without control
// characters or blanks at its ends, and a frame has a size and components.
std::string CheckPictureMetadata(std::string_view input) {
  const std::span bytes(reinterpret_cast<const unsigned char*>(input.data()), input.size());
  const PictureMetadata jpeg = ReadJpegMetadata(bytes);
  const std::string caption = ReadCaption(bytes, input, bytes);
  for (const std::string& text : {jpeg.caption, caption}) {
    for (const Piece& piece : Pieces(text)) {
      if (piece.stray || piece.code_point < 0x20 || piece.code_point == 0x7F) {
        return "a caption with a stray byte or a control character: " + text;
      }
    }
    if (!text.empty() && (text.front() == ' ' || text.back() == ' ')) {
      return "a caption with blanks at an end: " + text;
    }
  }
  if (jpeg.orientation < 1 || jpeg.orientation > 8 || ExifOrientation(bytes) < 1 ||
      ExifOrientation(bytes) > 8) {
    return "an orientation out of range";
  }
  const std::optional<JpegFrame> frame = ReadJpegFrame(bytes);
  if (frame && (frame->width < 1 || frame->height < 1 || frame->components.empty())) {
    return "a frame without a size or components";
  }
  if (frame) CoefficientBytes(*frame);
  return "";
}

}  // namespace snapnook::fuzz

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string wrong =
      snapnook::fuzz::FUZZ_CHECK(std::string_view(reinterpret_cast<const char*>(data), size));
  if (wrong.empty()) return 0;
  std::fprintf(stderr, "property broken: %s\n", wrong.c_str());
  std::abort();
}
