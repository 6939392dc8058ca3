#include "support/modern_album_text.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "support/temp_tree.h"

namespace snapnook::testing {
namespace {

// The fields of a line "A | B | C", each without the blank on either side of its bar.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '|');) {
    if (!fields.empty() && field.starts_with(' ')) field.erase(0, 1);
    if (field.ends_with(' ') && !in.eof()) field.pop_back();
    fields.push_back(field);
  }
  return fields;
}

void ReadSize(const std::string& text, int& width, int& height) {
  if (text != "-" && std::sscanf(text.c_str(), "%dx%d", &width, &height) != 2) {
    throw std::runtime_error("not a size: " + text);
  }
}

}  // namespace

ModernAlbum ReadModernAlbum(const std::string& text) {
  ModernAlbum album;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line.starts_with('#')) continue;
    const size_t colon = line.find(": ");
    const std::string key = line.substr(0, colon);
    const std::string value = colon == std::string::npos ? "" : Unescaped(line.substr(colon + 2));
    if (key == "title") {
      album.title = value;
    } else if (key == "copyright") {
      album.copyright = value;
    } else if (key == "link") {
      album.copyright_link = value;
    } else if (key == "set" || key == "set:") {
      album.sets.push_back({key == "set" ? value : "", {}});
    } else if (album.sets.empty()) {
      throw std::runtime_error("a picture before its set: " + line);
    } else if (key == "many") {
      auto& pictures = album.sets.back().pictures;
      for (int n = static_cast<int>(pictures.size()) + 1, end = n + std::stoi(value); n < end;
           ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.JPG", n);
        const bool portrait = n % 3 == 0, screen = n % 4 != 0;
        pictures.push_back({name, name, portrait ? 216 : 288, portrait ? 288 : 216,
                            screen ? (portrait ? 480 : 640) : 0,
                            screen ? (portrait ? 640 : 480) : 0, ""});
      }
    } else {
      const std::vector<std::string> fields = Fields(Unescaped(line));
      if (fields.size() < 4) throw std::runtime_error("not a picture: " + line);
      ModernPicture picture;
      picture.name = fields[0];
      picture.original_name = fields[1].empty() ? fields[0] : fields[1];
      ReadSize(fields[2], picture.width, picture.height);
      ReadSize(fields[3], picture.screen_width, picture.screen_height);
      if (fields.size() > 4) picture.caption = fields[4];
      album.sets.back().pictures.push_back(picture);
    }
  }
  return album;
}

}  // namespace snapnook::testing
