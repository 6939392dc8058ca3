// The file-system seam: listings, numbered errors, the folders of originals.
#include "core/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "core/album_files.h"
#include "core/error.h"
#include "support/temp_tree.h"
#include "support/unprivileged.h"

namespace snapnook {
namespace {

// The walk's message for what `action` raised, or "" when it raised nothing.
template <typename Action>
std::string Failure(Action action) {
  try {
    action();
  } catch (const SnapError& error) {
    return WalkErrorText(error);
  }
  return "";
}

// Listings in natural order; numbered errors for a missing folder and a read-only one.
TEST(RealFileSystem, ListsPicturesInNaturalOrderAndNumbersItsErrors) {
  testing::TempTree tree;
  for (const char* name : {"IMG10.JPG", "img2.jpg", ".h.JPG", "A.JPEG", "B.JPG.tmp", "JPG"}) {
    tree.WriteFile(name, "x");
  }
  tree.MakeDir("x.JPG");  // a folder is no picture
  ASSERT_EQ(::symlink("img2.jpg", tree.Path("link.JPG").c_str()), 0);
  ASSERT_EQ(::symlink("missing", tree.Path("dangling.JPG").c_str()), 0);
  RealFileSystem fs;
  AlbumFiles files(fs, tree.root(), nullptr);
  EXPECT_EQ(fs.ListFiles(tree.root(), "*.JPG"),
            (std::vector<std::string>{".h.JPG", "img2.jpg", "IMG10.JPG", "link.JPG"}));
  EXPECT_EQ(Failure([&] { fs.ListEntries(tree.Path("gone")); }),
            "Error: 76 - Path not found: " + tree.Path("gone"));
  EXPECT_EQ(Failure([&] { files.WriteFile(tree.Path("gone/A.JPG"), {}); }),
            "Error: 76 - Path not found: " + tree.Path("gone/A.JPG"));
  ASSERT_EQ(::chmod(tree.Path("x.JPG").c_str(), 0555), 0);
  testing::AsUnprivilegedUser user(tree.root());
  EXPECT_EQ(Failure([&] { files.WriteFile(tree.Path("x.JPG/A.JPG"), {}); }),
            "Error: 70 - Permission denied: " + tree.Path("x.JPG/A.JPG"));
}

// The table: tests/data/originals.txt.
TEST(Originals, AreLookedForFromTheAlbumFolderDownOrAlongAPathOutsideIt) {
  std::ifstream table(SNAPNOOK_TEST_DATA "/originals.txt");
  ASSERT_TRUE(table.is_open());
  for (std::string line, album, folder, found; std::getline(table, line);) {
    if (line.starts_with('#') || !(std::istringstream(line) >> album >> folder >> found)) continue;
    EXPECT_EQ(OriginalsFolderOn(album == "-" ? "" : album, folder).value_or("-"), found) << line;
  }
}

}  // namespace
}  // namespace snapnook
