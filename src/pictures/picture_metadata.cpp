#include "pictures/picture_metadata.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

#include "core/ascii_case.h"
#include "core/utf8.h"
#include "pictures/jpeg_header.h"

namespace snapnook {
namespace {

using Bytes = std::span<const unsigned char>;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The text in UTF-8: as it is when it is valid UTF-8, else read as Latin-1.
std::string AsUtf8(std::string_view text) {
  char32_t c = 0;
  for (size_t at = 0, n = 0; at < text.size(); at += n) {
    if ((n = Utf8SequenceLength(text, at, c)) == 0) {
      std::string out;
      for (const char byte : text) AppendUtf8(out, static_cast<unsigned char>(byte));
      return out;
    }
  }
  return std::string(text);
}

bool StartsWith(Bytes bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() &&
         std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

// An EXIF block's TIFF structure: the byte order, and numbers read in it.
class Tiff {
 public:
  explicit Tiff(Bytes exif) {
    if (StartsWith(exif, std::string_view("Exif\0\0", 6))) exif = exif.subspan(6);
    if (StartsWith(exif, "II*") || StartsWith(exif, std::string_view("MM\0*", 4))) {
      bytes_ = exif;
      little_ = exif[0] == 'I';
    }
  }

  // The value of tag `tag` of the first directory, as the bytes it points to; nothing when
  // the directory lacks it or it lies outside the block.
  std::optional<Bytes> Entry(unsigned tag, unsigned* type, std::uint32_t* count) const {
    const std::uint64_t directory = Number(4, 4);
    if (bytes_.empty() || directory + 2 > bytes_.size()) return std::nullopt;
    const std::uint64_t entries = Number(directory, 2);
    for (std::uint64_t i = 0; i < entries; ++i) {
      const std::uint64_t at = directory + 2 + 12 * i;
      if (at + 12 > bytes_.size()) return std::nullopt;
      if (Number(at, 2) != tag) continue;
      *type = static_cast<unsigned>(Number(at + 2, 2));
      *count = static_cast<std::uint32_t>(Number(at + 4, 4));
      const std::uint64_t unit = *type == 3 ? 2 : 1;  // SHORT, or ASCII and bytes
      const std::uint64_t size = unit * *count;
      const std::uint64_t value = size <= 4 ? at + 8 : Number(at + 8, 4);
      if (value > bytes_.size() || size > bytes_.size() - value) return std::nullopt;
      return bytes_.subspan(value, size);
    }
    return std::nullopt;
  }

  std::uint64_t Number(std::uint64_t at, int size) const {
    if (at + size > bytes_.size()) return 0;
    std::uint64_t n = 0;
    for (int i = 0; i < size; ++i) {
      const unsigned char byte = bytes_[at + (little_ ? size - 1 - i : i)];
      n = (n << 8) | byte;
    }
    return n;
  }

  Bytes bytes() const { return bytes_; }

 private:
  Bytes bytes_;
  bool little_ = false;
};

constexpr unsigned kOrientation = 0x0112;
constexpr unsigned kImageDescription = 0x010E;

std::string ExifDescription(Bytes exif) {
  const Tiff tiff(exif);
  unsigned type = 0;
  std::uint32_t count = 0;
  const std::optional<Bytes> text = tiff.Entry(kImageDescription, &type, &count);
  if (!text || (type != 2 && type != 7 && type != 1)) return {};
  return CleanCaption({reinterpret_cast<const char*>(text->data()), text->size()});
}

// XML text with its five entities and numeric character references decoded.
std::string XmlText(std::string_view text) {
  std::string out;
  for (size_t at = 0; at < text.size(); ++at) {
    const size_t end = text[at] == '&' ? text.find(';', at) : std::string_view::npos;
    if (end == std::string_view::npos || end - at > 10) {
      out += text[at];
      continue;
    }
    const std::string_view name = text.substr(at + 1, end - at - 1);
    static constexpr std::array<std::pair<std::string_view, char>, 5> kNamed = {
        {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};
    const auto named = std::find_if(kNamed.begin(), kNamed.end(),
                                    [&](const auto& entry) { return entry.first == name; });
    unsigned long code = 0;
    if (named != kNamed.end()) {
      out += named->second;
    } else if (name.size() > 1 && name[0] == '#' &&
               (code = std::strtoul(std::string(name.substr(name[1] == 'x' ? 2 : 1)).c_str(),
                                    nullptr, name[1] == 'x' ? 16 : 10)) > 0 &&
               code <= 0x10FFFF) {
      AppendUtf8(out, static_cast<char32_t>(code));
    } else {
      out += text[at];
      continue;
    }
    at = end;
  }
  return out;
}

std::string XmpDescription(std::string_view xmp) {
  const size_t open = xmp.find("<dc:description");
  if (open == std::string_view::npos) return {};
  const size_t close = xmp.find("</dc:description>", open);
  const std::string_view element =
      xmp.substr(open, close == std::string_view::npos ? std::string_view::npos : close - open);
  // An rdf:Alt of rdf:li in languages; the first is the default one.
  const size_t item = element.find("<rdf:li");
  const size_t start = item == std::string_view::npos ? item : element.find('>', item);
  if (start == std::string_view::npos || element[start - 1] == '/') return {};
  const size_t end = element.find("</rdf:li>", start);
  if (end == std::string_view::npos) return {};
  return CleanCaption(XmlText(element.substr(start + 1, end - start - 1)));
}

// The IPTC record inside Photoshop's image resources (resource 0x0404), or the block itself.
Bytes IptcRecord(Bytes block) {
  if (!StartsWith(block, std::string_view("Photoshop 3.0\0", 14))) return block;
  size_t at = 14;
  while (at + 12 <= block.size() && StartsWith(block.subspan(at), "8BIM")) {
    const unsigned id = (block[at + 4] << 8) | block[at + 5];
    const size_t name = 1 + block[at + 6];  // a Pascal string, padded to an even size
    size_t size_at = at + 6 + name + (name % 2);
    if (size_at + 4 > block.size()) break;
    const std::uint64_t size = (std::uint64_t{block[size_at]} << 24) | (block[size_at + 1] << 16) |
                               (block[size_at + 2] << 8) | block[size_at + 3];
    const size_t data = size_at + 4;
    if (size > block.size() - data) break;
    if (id == 0x0404) return block.subspan(data, size);
    at = data + size + (size % 2);
  }
  return {};
}

std::string IptcCaption(Bytes block) {
  const Bytes record = IptcRecord(block);
  size_t at = 0;
  while (at + 5 <= record.size() && record[at] == 0x1C) {
    std::uint64_t size = (record[at + 3] << 8) | record[at + 4];
    size_t data = at + 5;
    if (size & 0x8000) {  // an extended size: the number of bytes that hold it
      const size_t width = size & 0x7FFF;
      if (width > 4 || data + width > record.size()) break;
      size = 0;
      for (size_t i = 0; i < width; ++i) size = (size << 8) | record[data + i];
      data += width;
    }
    if (size > record.size() - data) break;
    if (record[at + 1] == 2 && record[at + 2] == 120) {
      return CleanCaption({reinterpret_cast<const char*>(record.data() + data), size});
    }
    at = data + size;
  }
  return {};
}

bool IsPlaceholder(std::string_view text) {
  static constexpr std::string_view kPlaceholders[] = {
      "SONY DSC", "DSC",   "DCIM",   "EXIF_JPEG_PICTURE", "DEFAULT", "IMAGE",
      "PICTURE",  "PHOTO", "CAMERA", "UNTITLED",          "NONE"};
  return EndsWithIgnoringCase(text, "DIGITAL CAMERA") ||
         std::any_of(std::begin(kPlaceholders), std::end(kPlaceholders),
                     [&](std::string_view p) { return EqualIgnoringCase(text, p); });
}

}  // namespace

std::string CleanCaption(std::string_view raw) {
  std::string text = AsUtf8(raw);
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = ' ';
  }
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  return IsPlaceholder(text) ? std::string() : text;
}

int ExifOrientation(Bytes exif) {
  const Tiff tiff(exif);
  unsigned type = 0;
  std::uint32_t count = 0;
  const std::optional<Bytes> value = tiff.Entry(kOrientation, &type, &count);
  if (!value || type != 3 || count < 1) return 1;
  const std::uint64_t offset = static_cast<std::uint64_t>(value->data() - tiff.bytes().data());
  const auto orientation = static_cast<int>(tiff.Number(offset, 2));
  return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

std::string ReadCaption(Bytes exif, std::string_view xmp, Bytes iptc) {
  std::string caption = ExifDescription(exif);
  if (caption.empty()) caption = XmpDescription(xmp);
  if (caption.empty()) caption = IptcCaption(iptc);
  return caption;
}

PictureMetadata ReadJpegMetadata(Bytes jpeg) {
  static constexpr std::string_view kXmp("http://ns.adobe.com/xap/1.0/\0", 29);
  Bytes exif, iptc;
  std::string_view xmp;
  ForEachJpegSegment(jpeg, [&](unsigned char marker, Bytes payload) {
    // The first of each kind counts, as for every reader of these blocks.
    if (marker == 0xE1 && exif.empty() && StartsWith(payload, std::string_view("Exif\0", 5))) {
      exif = payload;
    } else if (marker == 0xE1 && xmp.empty() && StartsWith(payload, kXmp)) {
      xmp = {reinterpret_cast<const char*>(payload.data()) + kXmp.size(),
             payload.size() - kXmp.size()};
    } else if (marker == 0xED && iptc.empty() && StartsWith(payload, "Photoshop 3.0")) {
      iptc = payload;
    }
    return true;
  });
  return {ExifOrientation(exif), ReadCaption(exif, xmp, iptc)};
}

}  // namespace snapnook
