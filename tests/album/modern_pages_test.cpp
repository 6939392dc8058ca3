// The modern album's pages as data: each folder of tests/data/modern holds album.txt (the album,
// see ReadModernAlbum) and expected/, every page ModernPages makes of it, byte for byte.
// SNAPNOOK_UPDATE_GOLDEN=1 writes what it makes into expected/ instead, for review.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "album/modern_pages.h"
#include "core/utf8.h"
#include "support/fake_window.h"
#include "support/modern_album_text.h"
#include "support/temp_tree.h"

namespace snapnook {
namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(SNAPNOOK_TEST_DATA) / "modern";

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool IsUtf8(std::string_view text) {
  char32_t c = 0;
  for (size_t at = 0, length; at < text.size(); at += length) {
    if ((length = Utf8SequenceLength(text, at, c)) == 0) return false;
  }
  return true;
}

class ModernPagesTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ModernPagesTest, AreWrittenAsExpectedInUtf8WithLinksInsideTheAlbum) {
  const fs::path dir = kCases / GetParam();
  const ModernAlbum album = testing::ReadModernAlbum(ReadAll(dir / "album.txt"));
  const std::vector<ModernPage> pages = ModernPages(album, 2026);
  if (std::getenv("SNAPNOOK_UPDATE_GOLDEN")) {
    fs::remove_all(dir / "expected");
    fs::create_directories(dir / "expected");
    for (const auto& [name, bytes] : pages) std::ofstream(dir / "expected" / name) << bytes;
  }
  std::set<std::string> expected;
  for (const auto& entry : fs::directory_iterator(dir / "expected")) {
    expected.insert(entry.path().filename());
  }
  std::set<std::string> made;
  // Whatever the names, every link is a path below the album folder, but for one in the footer:
  // the copyright link.
  const std::regex link(R"re((href|src|srcset)="([^"]*)")re");
  for (const auto& [name, bytes] : pages) {
    made.insert(name);
    EXPECT_EQ(bytes, ReadAll(dir / "expected" / name)) << name;
    EXPECT_TRUE(IsUtf8(bytes)) << name;
    int outside = 0;
    for (std::sregex_iterator it(bytes.begin(), bytes.end(), link), end; it != end; ++it) {
      const std::string value = (*it)[2];
      if (value.starts_with("./") && value.find("..") == std::string::npos) continue;
      EXPECT_TRUE(++outside == 1 && it->position() > static_cast<long>(bytes.find("<footer>")))
          << name << ": " << (*it)[0];
    }
  }
  EXPECT_EQ(made, expected);
}

INSTANTIATE_TEST_SUITE_P(Albums, ModernPagesTest,
                         ::testing::Values("awkward_names", "split_201", "album_folder_is_a_set",
                                           "no_pictures"));

// What a visitor downloads first: index.html of a thousand pictures with names and captions
// of a camera's length holds at most 400 bytes a picture it shows.
TEST(ModernPagesWeight, IsAtMost400BytesAPictureOfIndexHtml) {
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
// one its failure is raised, after the pages.
TEST(WriteModernPagesTest, CopiesTheStyleSheetAndScriptFromTheFirstDefaultFolderHoldingThem) {
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
  session.program_folder = tree.Path("opt/bin");
  session.current_year = [] { return 2026; };
  const ModernAlbum album = testing::ReadModernAlbum("set: S\nmany: 201\n");

  WriteModernPages(session, album);
  const std::vector<ModernPage> pages = ModernPages(album, 2026);
  ASSERT_EQ(pages.size(), 2u);
  for (const auto& [name, bytes] : pages) EXPECT_EQ(tree.ReadFile("album/" + name), bytes);
  EXPECT_EQ(tree.ReadFile("album/snapnook.css"), "style");
  EXPECT_EQ(tree.ReadFile("album/snapnook.js"), "script");

  fs::remove_all(tree.Path("opt"));
  fs::remove(tree.Path("album/index.html"));
  try {
    WriteModernPages(session, album);
    ADD_FAILURE() << "no error without a default folder";
  } catch (const SnapError& error) {
    EXPECT_EQ(error.number(), kErrFileNotFound);
  }
  EXPECT_TRUE(tree.Exists("album/index.html"));
}

}  // namespace
}  // namespace snapnook
