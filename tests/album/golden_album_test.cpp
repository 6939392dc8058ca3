// Whole albums against their expected pages, kept as files: each folder of tests/data/albums
// holds case.txt (the window's fields and the source tree), expected/ (every page the run
// writes into the source folder, byte for byte) and messages.txt (the messages it showed).
// SNAPNOOK_UPDATE_GOLDEN=1 writes what the run makes into expected/ instead, for review.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "run/run_driver.h"
#include "support/fake_window.h"
#include "support/temp_tree.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

namespace fs = std::filesystem;
using testing::FakeWindow;
using testing::MemorySettings;
using testing::TempTree;

const fs::path kCases = fs::path(SNAPNOOK_TEST_DATA) / "albums";

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// case.txt: "key: value" lines for the window (title, copyright, link, boxes: any of jpg 640
// html), then one line a path of the source tree: a folder ends with "/", a picture "WxH" is a
// real JPEG, anything else an empty file.
void SetUpCase(const fs::path& file, TempTree& tree, FakeWindow& window) {
  std::istringstream lines(ReadAll(file));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line.starts_with('#')) continue;
    const size_t colon = line.find(": ");
    const std::string key = colon == std::string::npos ? "" : line.substr(0, colon);
    const std::string value = colon == std::string::npos ? "" : line.substr(colon + 2);
    if (key == "title") {
      window.title = value;
    } else if (key == "copyright") {
      window.copyright = value;
    } else if (key == "link") {
      window.copyright_link = value;
    } else if (key == "boxes") {
      window.checked[CheckBox::kCreateJpg] = value.find("jpg") != std::string::npos;
      window.checked[CheckBox::kCreate640] = value.find("640") != std::string::npos;
      window.checked[CheckBox::kCreateHtml] = value.find("html") != std::string::npos;
    } else if (line.ends_with('/')) {
      tree.MakeDir("album/" + line);
    } else {
      const size_t blank = line.find(' ');
      const std::string path = "album/" + line.substr(0, blank);
      tree.WriteFile(path, "");
      int width = 0, height = 0;
      if (blank != std::string::npos &&
          std::sscanf(line.c_str() + blank + 1, "%dx%d", &width, &height) == 2) {
        testing::WriteTestJpeg(tree.Path(path), width, height);
      }
    }
  }
}

class GoldenAlbumTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenAlbumTest, MakesExactlyTheExpectedPages) {
  const fs::path dir = kCases / GetParam();
  TempTree tree;
  tree.MakeDir("album");
  FakeWindow window;
  window.source_dir = tree.Path("album");
  SetUpCase(dir / "case.txt", tree, window);
  MemorySettings settings;
  RealFileSystem files;
  Session session(window, files, settings);
  session.state.ProductName = "Snapnook";
  session.state.LoadedCopyrightLink = window.copyright_link;
  session.current_year = [] { return 2026; };
  session.jobs = 1;
  RunCreatePictures(session, ClosingQuestion::kSkip);

  // The messages the run showed, one a line, the album's folder written as ALBUM.
  std::string messages;
  for (const auto& message : window.messages) {
    std::string line = message.title + ": " + message.prompt;
    for (size_t at; (at = line.find(window.source_dir)) != std::string::npos;) {
      line.replace(at, window.source_dir.size(), "ALBUM");
    }
    messages += line + "\n";
  }
  std::set<std::string> made;
  for (const auto& entry : fs::directory_iterator(tree.Path("album"))) {
    if (entry.is_regular_file()) made.insert(entry.path().filename().string());
  }
  if (std::getenv("SNAPNOOK_UPDATE_GOLDEN")) {
    fs::remove_all(dir / "expected");
    fs::create_directories(dir / "expected");
    for (const std::string& name : made) {
      fs::copy_file(tree.Path("album/" + name), dir / "expected" / name);
    }
    std::ofstream(dir / "messages.txt", std::ios::binary) << messages;
  }
  EXPECT_EQ(messages, ReadAll(dir / "messages.txt"));
  std::set<std::string> expected;
  for (const auto& entry : fs::directory_iterator(dir / "expected")) {
    expected.insert(entry.path().filename().string());
  }
  EXPECT_EQ(made, expected);
  for (const std::string& name : expected) {
    EXPECT_EQ(ReadAll(tree.Path("album/" + name)), ReadAll(dir / "expected" / name)) << name;
  }
}

std::vector<std::string> Cases() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kCases)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Albums, GoldenAlbumTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
}  // namespace snapnook
