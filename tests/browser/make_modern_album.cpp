// Makes the browser test's modern album: the pictures of an album described as text (see
// ReadModernAlbum), each a real JPEG of its size in a colour of its own with its number on it,
// then the album's pages through WriteModernPages, with the style sheet and script of this
// build's default/ folder.
//   snapnook-modern-album MODEL ALBUM_FOLDER
#include <vips/vips8>

#include <filesystem>
#include <fstream>
#include <iostream>

#include "album/modern_pages.h"
#include "support/fake_window.h"
#include "support/modern_album_text.h"
#include "support/temp_tree.h"

namespace {

using vips::VImage;

// A picture of `width` x `height` in a hue of its own, lighter to the lower right, with `n` on it.
VImage Picture(int width, int height, int n) {
  const VImage xy = VImage::xyz(width, height);
  const VImage lightness = (xy[0] + xy[1]) * (35.0 / (width + height)) + 40;
  const VImage colour = lightness.bandjoin_const({45, static_cast<double>(n * 47 % 360)})
                            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_LCH))
                            .colourspace(VIPS_INTERPRETATION_sRGB);
  const VImage digits = VImage::text(std::to_string(n).c_str(),
                                     VImage::option()->set("font", "sans bold")->set("dpi", height))
                            .gravity(VIPS_COMPASS_DIRECTION_CENTRE, width, height);
  return digits.ifthenelse(std::vector<double>{255, 255, 255}, colour,
                           VImage::option()->set("blend", true));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || VIPS_INIT(argv[0])) {
    std::cerr << "usage: snapnook-modern-album MODEL ALBUM_FOLDER\n";
    return 2;
  }
  try {
    std::ifstream in(argv[1], std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const snapnook::ModernAlbum album = snapnook::testing::ReadModernAlbum(text);
    const std::filesystem::path root = argv[2];
    int n = 0;
    for (const snapnook::ModernSet& set : album.sets) {
      const std::filesystem::path folder = root / set.folder;
      std::filesystem::create_directories(folder / "640");
      for (const snapnook::ModernPicture& picture : set.pictures) {
        ++n;
        Picture(picture.width, picture.height, n).jpegsave((folder / picture.name).c_str());
        if (picture.screen_width == 0) continue;
        Picture(picture.screen_width, picture.screen_height, n)
            .jpegsave((folder / "640" / picture.name).c_str());
      }
    }
    snapnook::testing::FakeWindow window;
    snapnook::RealFileSystem files;
    snapnook::testing::MemorySettings settings;
    snapnook::Session session(window, files, settings);
    session.state.SourceFolder = root;
    snapnook::AlbumFiles writes(files, root, nullptr);
    session.files = &writes;
    session.program_folder = SNAPNOOK_BIN_DIR;
    snapnook::WriteModernPages(session, album);
  } catch (const std::exception& error) {
    std::cerr << "snapnook-modern-album: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
