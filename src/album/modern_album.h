// The modern album as its pages see it: the sets in walk order and each picture's copies.
#pragma once

#include <string>
#include <vector>

namespace snapnook {

/// One picture of a set, by its copies.
struct ModernPicture {
  /// The album picture's file name in its set folder, as on disk.
  std::string name;
  /// The original's file name; without its extension it is the picture's text when there is
  /// no caption.
  std::string original_name;
  /// The album picture's size.
  int width = 0;
  int height = 0;
  /// The size of the screen copy SET/640/NAME; 0 when there is none.
  int screen_width = 0;
  int screen_height = 0;
  /// The caption read from the picture (UTF-8); empty when it has none.
  std::string caption;
};

/// A set folder and its pictures.
struct ModernSet {
  /// The set folder's path below the album folder, "/"-separated, without a trailing "/";
  /// empty for the album folder itself. Bytes as on disk (not necessarily valid UTF-8).
  std::string folder;
  std::vector<ModernPicture> pictures;
};

/// What the modern pages show.
struct ModernAlbum {
  /// As the user typed them.
  std::string title;
  std::string copyright;
  std::string copyright_link;
  /// In walk order.
  std::vector<ModernSet> sets;
};

}  // namespace snapnook
