// The modern album's pages as data: each folder of tests/data/modern holds album.txt (the album,
// see ReadModernAlbum) and expected/, every page ModernPages makes of it, byte for byte.
// SNAPNOOK_UPDATE_GOLDEN=1 writes what it makes into expected/ instead, for review.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "album/modern_pages.h"
#include "support/fake_window.h"
#include "support/modern_album_text.h"
#include "support/temp_tree.h"

namespace snapnook {
namespace {

namespace fs = std::filesystem;

class ModernPagesTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ModernPagesTest, AreWrittenAsExpected) {
  const fs::path dir = fs::path(SNAPNOOK_TEST_DATA) / "modern" / GetParam();
  const auto pages =
      ModernPages(testing::ReadModernAlbum(testing::ReadWhole(dir / "album.txt")), 2026);
  if (std::getenv("SNAPNOOK_UPDATE_GOLDEN")) {
    fs::remove_all(dir / "expected");
    fs::create_directories(dir / "expected");
    for (const auto& [name, bytes] : pages) std::ofstream(dir / "expected" / name) << bytes;
  }
  for (const auto& [name, bytes] : pages)
    EXPECT_EQ(bytes, testing::ReadWhole(dir / "expected" / name)) << name;
  const auto files = fs::directory_iterator(dir / "expected");
  EXPECT_EQ(pages.size(), std::distance(begin(files), end(files)));
}

INSTANTIATE_TEST_SUITE_P(Albums, ModernPagesTest,
                         ::testing::Values("awkward_names", "split_201", "album_folder_is_a_set",
                                           "no_pictures"));

// What a visitor downloads first: index.html of a thousand pictures with names and captions
// of a camera's length holds at most 400 bytes a picture it shows.
TEST(ModernPagesTest, IndexHtmlOfAThousandPicturesWeighsAtMost400BytesAPicture) {
  std::string text = "title: Summer 2026\ncopyright: Ann\nlink: https://ann.example\n";
  for (int set = 1; set <= 10; ++set) text += "set: Trip " + std::to_string(set) + "\nmany: 100\n";
  ModernAlbum album = testing::ReadModernAlbum(text);
  for (auto& set : album.sets) {
    for (auto& picture : set.pictures) picture.caption = "The harbour at dusk, from the hill";
  }
  const std::vector<ModernPage> pages = ModernPages(album, 2026);
  ASSERT_EQ(pages.size(), 5u);
  EXPECT_LE(pages[0].bytes.size(), 400u * kModernPicturesPerPage);
}

// WriteModernPages writes the pages and copies the style sheet and script from the first
// default folder that holds them (not from one with the classic viewer pages only); without
// one it fails after writing the pages.
TEST(ModernPagesTest, TakeTheStyleSheetAndScriptFromTheFirstDefaultFolderHoldingThem) {
  testing::TempTree tree;
  tree.WriteFile("default/show480.html", "classic");
  tree.WriteFile("opt/bin/default/snapnook.css", "style");
  tree.WriteFile("opt/bin/default/snapnook.js", "script");
  tree.MakeDir("album");
  testing::FakeWindow window;
  RealFileSystem files;
  testing::MemorySettings settings;
  Session session(window, files, settings);
  session.state.SourceFolder = tree.Path("album");
  AlbumFiles writes(files, tree.Path("album"), nullptr);
  session.files = &writes;
  session.program_folder = tree.Path("opt/bin");
  session.current_year = [] { return 2026; };
  const ModernAlbum album = testing::ReadModernAlbum("set: S\nmany: 201\n");
  WriteModernPages(session, album);
  for (const auto& [name, bytes] : ModernPages(album, 2026)) {
    EXPECT_EQ(tree.ReadFile("album/" + name), bytes);
  }
  EXPECT_EQ(tree.ReadFile("album/snapnook.css") + tree.ReadFile("album/snapnook.js"),
            "stylescript");

  fs::remove_all(tree.Path("opt"));
  fs::remove(tree.Path("album/page01.htm"));
  EXPECT_THROW(WriteModernPages(session, album), SnapError);
  EXPECT_TRUE(tree.Exists("album/page01.htm"));
}

}  // namespace
}  // namespace snapnook
