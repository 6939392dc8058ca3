// Whole albums against their expected pages, kept as files: each folder of tests/data/albums
// holds case.txt (what the user typed and ticked, and the source tree), expected/ (every file
// the run writes into the source folder, byte for byte) and messages.txt (the messages it
// showed, the album's folder written as ALBUM). SNAPNOOK_UPDATE_GOLDEN=1 writes what the run
// makes into expected/ and messages.txt instead, for review.
//
// case.txt holds one item a line; "#" starts a comment:
//   title: TEXT, copyright: TEXT, link: TEXT   the window's fields; "TEXT" in double quotes
//                                              keeps its blanks
//   source: ALBUM/            the source folder as typed, ALBUM standing for the album's folder
//   boxes: jpg 640 html       the boxes ticked; the others are not
//   fail: OP SUFFIX ERRNO     every file operation OP (CreateFile, Write, Commit, ReadFile, ...)
//                             on a path that ends with SUFFIX fails with ERRNO
//   tick: BOX after N         the user ticks (or, "untick:", unticks) BOX once a pass has
//                             handled N pictures
//   compare: FILE...          only these files of the album are compared
//   PATH [WxH]                a file below the album ("../" leads beside it), or a folder when
//                             it ends with "/"; "\xHH" is a byte, "{1..N}" makes N of them; a
//                             JPEG of W x H pixels, else a file holding its own path
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "run/run_driver.h"
#include "support/fake_window.h"
#include "support/faulty_file_system.h"
#include "support/temp_tree.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

namespace fs = std::filesystem;
using testing::FakeWindow;
using testing::TempTree;
using testing::faults::FsOp;

const fs::path kCases = fs::path(SNAPNOOK_TEST_DATA) / "albums";
const std::map<std::string, CheckBox> kBoxes = {
    {"jpg", CheckBox::kCreateJpg}, {"640", CheckBox::kCreate640}, {"html", CheckBox::kCreateHtml}};
const std::map<std::string, int> kErrnos = {{"ENOSPC", ENOSPC}, {"EACCES", EACCES}, {"EIO", EIO}};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The paths a line of the tree names.
std::vector<std::string> Expand(std::string path) {
  for (size_t at = 0; (at = path.find("\\x", at)) != std::string::npos; ++at) {
    path.replace(at, 4, 1, static_cast<char>(std::stoi(path.substr(at + 2, 2), nullptr, 16)));
  }
  const size_t open = path.find('{');
  int first = 0, last = 0;
  if (open == std::string::npos ||
      std::sscanf(path.c_str() + open, "{%d..%d}", &first, &last) != 2) {
    return {path};
  }
  std::vector<std::string> paths;
  for (int i = first; i <= last; ++i) {
    paths.push_back(path.substr(0, open) + std::to_string(i) + path.substr(path.find('}') + 1));
  }
  return paths;
}

struct Case {
  TempTree tree;
  FakeWindow window;
  testing::faults::FaultyFileSystem files;
  testing::MemorySettings settings;
  Session session{window, files, settings};
  std::set<std::string> compare;
};

void SetUpCase(const fs::path& file, Case& c) {
  std::istringstream lines(ReadAll(file));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line.starts_with('#')) continue;
    const size_t colon = line.find(": ");
    const std::string key = line.substr(0, colon);
    std::string value = colon == std::string::npos ? "" : line.substr(colon + 2);
    if (value.size() > 1 && value.starts_with('"') && value.ends_with('"')) {
      value = value.substr(1, value.size() - 2);
    }
    std::istringstream words(value);
    if (key == "title") {
      c.window.title = value;
    } else if (key == "copyright") {
      c.window.copyright = value;
    } else if (key == "link") {
      c.window.copyright_link = value;
    } else if (key == "source") {
      c.window.source_dir = c.tree.Path("album") + value.substr(std::string_view("ALBUM").size());
    } else if (key == "boxes") {
      for (const auto& [name, box] : kBoxes)
        c.window.checked[box] = value.find(name) != std::string::npos;
    } else if (key == "fail") {
      std::string op, suffix, err;
      words >> op >> suffix >> err;
      for (int kind = 0; kind <= static_cast<int>(FsOp::kCommit); ++kind) {
        if (op == FsOpName(FsOp(kind))) c.files.FailOn(FsOp(kind), suffix, kErrnos.at(err));
      }
    } else if (key == "tick" || key == "untick") {
      std::string box, after;
      int pictures = 0;
      words >> box >> after >> pictures;
      c.window.on_do_events = [&state = c.session.state, box = kBoxes.at(box), on = key == "tick",
                               pictures, done = false](FakeWindow& window) mutable {
        if (done || state.ProgressCount.value() < pictures) return;
        window.checked[box] = on;
        done = true;
      };
    } else if (key == "compare") {
      for (std::string name; words >> name;) c.compare.insert(name);
    } else {
      // The tree: a path, perhaps with a blank and the size of a real picture after it.
      const size_t blank = line.rfind(' ');
      int width = 0, height = 0, end = 0;
      const bool picture =
          blank != std::string::npos &&
          std::sscanf(line.c_str() + blank, " %dx%d%n", &width, &height, &end) == 2 &&
          blank + end == line.size();
      const std::string written = line.substr(0, picture ? blank : line.size());
      for (const std::string& path : Expand(written)) {
        const std::string at = path.starts_with("../") ? path.substr(3) : "album/" + path;
        if (path.ends_with('/')) {
          c.tree.MakeDir(at);
        } else if (picture) {
          c.tree.MakeDir(fs::path(at).parent_path());
          testing::WriteTestJpeg(c.tree.Path(at), width, height);
        } else {
          c.tree.WriteFile(at, path);
        }
      }
    }
  }
}

class GoldenAlbumTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenAlbumTest, MakesExactlyTheExpectedPages) {
  const fs::path dir = kCases / GetParam();
  Case c;
  const std::string album = c.tree.Path("album");
  c.tree.MakeDir("album");
  c.window.source_dir = album;
  SetUpCase(dir / "case.txt", c);
  Session& session = c.session;
  session.state.ProductName = "Snapnook";
  session.state.LoadedCopyrightLink = c.window.copyright_link;
  session.current_year = [] { return 2026; };
  session.home_folder = c.tree.Path("home");
  session.program_folder = c.tree.Path("opt/bin");
  session.jobs = 1;
  RunCreatePictures(session, ClosingQuestion::kSkip);

  std::string messages;
  for (const auto& message : c.window.messages) {
    std::string line = message.title + ": " + message.prompt;
    for (size_t at; (at = line.find(album)) != std::string::npos;)
      line.replace(at, album.size(), "ALBUM");
    messages += line + "\n";
  }
  std::set<std::string> made;
  for (const auto& entry : fs::directory_iterator(album)) {
    const std::string name = entry.path().filename();
    if (entry.is_regular_file() && (c.compare.empty() || c.compare.contains(name))) {
      made.insert(name);
    }
  }
  if (std::getenv("SNAPNOOK_UPDATE_GOLDEN")) {
    fs::remove_all(dir / "expected");
    fs::create_directories(dir / "expected");
    for (const std::string& name : made) fs::copy_file(album + "/" + name, dir / "expected" / name);
    std::ofstream(dir / "messages.txt", std::ios::binary) << messages;
  }
  EXPECT_EQ(messages, ReadAll(dir / "messages.txt"));
  std::set<std::string> expected;
  for (const auto& entry : fs::directory_iterator(dir / "expected")) {
    expected.insert(entry.path().filename());
  }
  EXPECT_EQ(made, expected);
  for (const std::string& name : expected) {
    EXPECT_EQ(ReadAll(album + "/" + name), ReadAll(dir / "expected" / name)) << name;
  }
}

std::vector<std::string> Cases() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kCases)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Test names are the case folders' names, with "_" for "-".
INSTANTIATE_TEST_SUITE_P(Albums, GoldenAlbumTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace snapnook
