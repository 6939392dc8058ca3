// Writes the source folders of the browser test's two albums: generated full-size pictures
// in picture sets, ready for snapnook-batch.
//
//   make_browser_albums FOLDER
//
// FOLDER/odd     14 pictures in two sets, the first set and its pictures named with blanks,
//                ' # % &, an accented and a CJK letter; two of them portrait.
// FOLDER/mixed   12 pictures in one set, every third one portrait (made with "Create 640x480
//                files" unticked, its links go into BIG).
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/test_pictures.h"

namespace {

namespace fs = std::filesystem;
using snapnook::testing::WriteTestJpeg;

void Landscape(const fs::path& big, const std::string& name) {
  WriteTestJpeg((big / name).string(), 800, 600);
}

// A portrait picture: upright in BIG, as the camera took it in BIG/sideways.
void Portrait(const fs::path& big, const std::string& name) {
  WriteTestJpeg((big / name).string(), 600, 800);
  WriteTestJpeg((big / "sideways" / name).string(), 800, 600);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_browser_albums FOLDER\n");
    return 2;
  }
  const fs::path root = argv[1];

  const fs::path odd = root / "odd" / "Mom's 100% & #SET1" / "BIG";
  fs::create_directories(odd / "sideways");
  Landscape(odd, "a b.JPG");
  Landscape(odd, "Mom's #1.JPG");
  Landscape(odd, "100%.JPG");
  Portrait(odd, "Tom & Jerry.JPG");
  Landscape(odd, "caf\xC3\xA9.JPG");
  Portrait(odd, "\xE6\x97\xA5\xE6\x9C\xAC.JPG");
  const fs::path plain = root / "odd" / "SET2" / "BIG";
  fs::create_directories(plain);
  for (int i = 1; i <= 8; ++i) Landscape(plain, "IMG" + std::to_string(i) + ".JPG");

  const fs::path mixed = root / "mixed" / "SET1" / "BIG";
  fs::create_directories(mixed / "sideways");
  for (int i = 1; i <= 12; ++i) {
    const std::string name = "PIC" + std::to_string(i) + ".JPG";
    if (i % 3 == 0) {
      Portrait(mixed, name);
    } else {
      Landscape(mixed, name);
    }
  }
  return 0;
}
