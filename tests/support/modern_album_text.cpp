#include "support/modern_album_text.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "support/temp_tree.h"

namespace snapnook::testing {

ModernAlbum ReadModernAlbum(const std::string& text) {
  ModernAlbum album;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line.starts_with('#')) continue;
    const size_t colon = line.find(": ");
    const std::string key = line.substr(0, colon);
    const std::string value = colon == std::string::npos ? "" : Unescaped(line.substr(colon + 2));
    if (key == "set:" || key == "set") {
      album.sets.push_back({value, {}});
    } else if (key == "title" || key == "copyright" || key == "link") {
      (key == "title"  ? album.title
       : key == "link" ? album.copyright_link
                       : album.copyright) = value;
    } else if (album.sets.empty()) {
      throw std::runtime_error("a picture before its set: " + line);
    } else if (key == "many") {
      auto& pictures = album.sets.back().pictures;
      for (int n = pictures.size() + 1, end = n + std::stoi(value); n < end; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.JPG", n);
        const int portrait = n % 3 == 0, screen = n % 4 != 0;
        pictures.push_back({name, name, 288 - 72 * portrait, 216 + 72 * portrait,
                            screen * (640 - 160 * portrait), screen * (480 + 160 * portrait), ""});
      }
    } else {
      std::vector<std::string> field;
      for (size_t from = 0, to = 0; to != std::string::npos; from = to + 3) {
        to = line.find(" | ", from);
        field.push_back(Unescaped(line.substr(from, to - from)));
      }
      field.resize(5);
      ModernPicture picture;
      picture.name = field[0];
      picture.original_name = field[1] == "-" ? field[0] : field[1];
      std::sscanf(field[2].c_str(), "%dx%d", &picture.width, &picture.height);
      std::sscanf(field[3].c_str(), "%dx%d", &picture.screen_width, &picture.screen_height);
      picture.caption = field[4];
      album.sets.back().pictures.push_back(picture);
    }
  }
  return album;
}

}  // namespace snapnook::testing
