// Whole runs against what they should show and write, kept as files: each folder of
// tests/data/albums holds case.txt (what the user does: the source tree, the fields typed, the
// boxes ticked, start-up and runs), transcript.txt (everything the window showed and every
// setting stored, in order, and after each run the files and folders it wrote or removed) and,
// where the runs leave files in the album folder, expected/ (each of them, byte for byte). In both,
// the album's folder is written ALBUM and the folder around it ROOT. SNAPNOOK_UPDATE_GOLDEN=1
// writes what the runs make into transcript.txt and expected/ instead, for review.
//
// case.txt holds one item a line, done in order; "#" starts a comment. TEXT in double quotes
// keeps its blanks.
//   title: TEXT, copyright: TEXT, link: TEXT   what the user types into the window's fields
//   source: TEXT              the source folder as typed, ALBUM standing for the album's folder
//                             (the album's folder when not given)
//   boxes: jpg 640 html       the boxes ticked; the others are not
//   tick: BOX after N         the user ticks (or, "untick:", unticks) BOX once a pass has
//                             handled N pictures
//   answer: yes               the answer to the closing question (else No)
//   options: update prune check   what snapnook-batch asks beyond the window, for the next runs
//   run                       "Create Pictures" (or, with the option check, the check)
//   stored: KEY TEXT          KEY holds TEXT in the settings store
//   clock: SECONDS            the splash's clock (each turn of its wait adds 0.125 s)
//   dismiss: N                the user dismisses the splash at turn N of its wait (0: at once)
//   startup                   the main window's start-up
//   fail: OP SUFFIX ERRNO     every file operation OP (CreateFile, Write, Commit, ReadFile, ...)
//                             on a path that ends with SUFFIX fails with ERRNO; "nofail" ends it
//   free: BYTES               the space the file system says is free
//   unwritable: SUFFIX        the folders ending with SUFFIX say they cannot be written to
//   busy                      another run holds the album
//   remove: PATH              removes a file or folder of the album
//   older: PATH               sets a file's modification time to 2001 (its change time becomes now)
//   cut: PATH BYTES           cuts a file of the album off after BYTES
//   pause                     lets the file system's clock tick (its times may be coarse), so
//                             that what comes after is newer than what came before
//   compare: FILE...          only these files of the album are compared
//   PATH [WxH]                a file or folder below the album, as testing::AddToTree makes it
//                             ("../" leads beside the album)
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "run/album_record.h"
#include "run/check.h"
#include "run/run_driver.h"
#include "support/fake_window.h"
#include "support/faulty_file_system.h"
#include "support/temp_tree.h"

namespace snapnook {
namespace {

namespace fs = std::filesystem;
using testing::faults::FsOp;

const fs::path kCases = fs::path(SNAPNOOK_TEST_DATA) / "albums";
const std::map<std::string, CheckBox> kBoxes = {{"jpg", CheckBox::kCreateJpg},
                                                {"640", CheckBox::kCreate640},
                                                {"html", CheckBox::kCreateHtml},
                                                {"modern", CheckBox::kModern}};
const std::map<std::string, int> kErrnos = {{"ENOSPC", ENOSPC}, {"EACCES", EACCES}, {"EIO", EIO}};

std::string Unquote(const std::string& text) {
  const bool quoted = text.size() > 1 && text.starts_with('"') && text.ends_with('"');
  return quoted ? text.substr(1, text.size() - 2) : text;
}

// Every entry below `root`, links not followed: a folder (its path ending with "/") as itself,
// anything else with its inode, time and size, so that a file written again shows.
std::map<std::string, std::string> List(const std::string& root) {
  std::map<std::string, std::string> listing;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    struct stat st {};
    ::lstat(entry.path().c_str(), &st);
    std::ostringstream what;
    what << st.st_ino << ' ' << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec << ' ' << st.st_size;
    listing[entry.path().string() + (S_ISDIR(st.st_mode) ? "/" : "")] =
        S_ISDIR(st.st_mode) ? "" : what.str();
  }
  return listing;
}

// The case's file system: it fails as the case says, and tells the free space and the folders
// it cannot write to as the case says.
struct CaseFiles : testing::faults::FaultyFileSystem {
  std::optional<std::uint64_t> free;
  std::string unwritable;
  std::optional<std::uint64_t> FreeSpace(const std::string& path) override {
    return free ? free : FaultyFileSystem::FreeSpace(path);
  }
  bool Writable(const std::string& folder) override {
    return (unwritable.empty() || !folder.ends_with(unwritable)) &&
           FaultyFileSystem::Writable(folder);
  }
};

class GoldenAlbumTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenAlbumTest, ShowsAndWritesExactlyWhatItShould) {
  const fs::path dir = kCases / GetParam();
  testing::TempTree tree;
  const std::string album = tree.Path("album");
  tree.MakeDir("album");
  testing::FakeWindow window;
  CaseFiles files;
  testing::MemorySettings settings;
  Session session(window, files, settings);
  window.source_dir = album;
  window.state = &session.state;
  settings.log = &window.events;
  session.state.ProductName = "Snapnook";
  session.state.LoadedCopyrightLink = window.copyright_link;
  session.current_year = [] { return 2026; };
  session.home_folder = tree.Path("home");
  session.program_folder = tree.Path("opt/bin");
  // One job, as the transcripts were written; SNAPNOOK_JOBS=N plays them with N, which must show
  // and write the same (ThreadSanitizer runs them so).
  session.jobs = std::getenv("SNAPNOOK_JOBS") ? std::stoi(std::getenv("SNAPNOOK_JOBS")) : 1;
  std::set<std::string> compare;
  std::unique_ptr<FolderLock> lock;

  // What each item of case.txt does, given its key, its value (the text after ": ") and the
  // value's words.
  std::string key, value;
  std::vector<std::string> words;
  const auto has = [&](const std::string& word) { return value.find(word) != std::string::npos; };
  const auto tick = [&] {
    window.on_do_events = [&state = session.state, box = kBoxes.at(words.at(0)), on = key == "tick",
                           after = std::stoi(words.at(2)), done = false](auto& w) mutable {
      if (done || state.ProgressCount.value() < after) return;
      w.checked[box] = on;
      done = true;
    };
  };
  const std::map<std::string, std::function<void()>> items = {
      {"title", [&] { window.title = value; }},
      {"copyright", [&] { window.copyright = value; }},
      {"link", [&] { window.copyright_link = value; }},
      {"source",
       [&] { window.source_dir = value.starts_with("ALBUM") ? album + value.substr(5) : value; }},
      {"boxes",
       [&] {
         for (const auto& [name, box] : kBoxes) window.checked[box] = has(name);
       }},
      {"tick", tick},
      {"untick", tick},
      {"answer", [&] { window.default_answer = value == "yes" ? kMsgAnswerYes : kMsgAnswerNo; }},
      {"options",
       [&] {
         session.options = {.update = has("update"), .prune = has("prune"), .check = has("check")};
       }},
      {"run",
       [&] {
         // The entries met again are taken out of `before`: what is left there was removed.
         auto before = List(tree.root());
         session.options.check ? CheckAlbum(session) : RunCreatePictures(session);
         for (const auto& [path, what] : List(tree.root())) {
           if (!before.contains(path) || before.extract(path).mapped() != what)
             window.events.push_back("wrote " + path);
         }
         for (const auto& [path, what] : before) window.events.push_back("removed " + path);
       }},
      {"stored",
       [&] {
         settings.values["Korvell/Snapnook/" + words.at(0)] =
             Unquote(value.substr(words.at(0).size() + 1));
       }},
      {"clock", [&] { window.now = std::stod(value); }},
      {"dismiss", [&] { window.dismiss_at = std::stoi(value); }},
      {"startup", [&] { StartUp(session.state, settings, window, [&] { return window.now; }); }},
      {"fail",
       [&] {
         for (int op = 0; op <= static_cast<int>(FsOp::kCommit); ++op) {
           if (words.at(0) == FsOpName(FsOp(op)))
             files.FailOn(FsOp(op), words.at(1), kErrnos.at(words.at(2)));
         }
       }},
      {"nofail", [&] { files.FailNever(); }},
      {"free", [&] { files.free = std::stoull(value); }},
      {"unwritable", [&] { files.unwritable = value; }},
      {"busy", [&] { lock = files.LockFolder(album); }},
      {"remove", [&] { fs::remove_all(album + "/" + value); }},
      {"older",
       [&] {
         const utimbuf old{1'000'000'000, 1'000'000'000};
         ::utime((album + "/" + value).c_str(), &old);
       }},
      {"cut", [&] { fs::resize_file(album + "/" + words.at(0), std::stoul(words.at(1))); }},
      {"pause", [&] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }},
      {"compare", [&] { compare.insert(words.begin(), words.end()); }},
  };
  std::istringstream lines(testing::ReadWhole(dir / "case.txt"));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line.starts_with('#')) continue;
    const size_t colon = line.find(": ");
    key = line.substr(0, colon);
    value = colon == std::string::npos ? "" : Unquote(line.substr(colon + 2));
    std::istringstream stream(value);
    words.assign(std::istream_iterator<std::string>(stream), {});
    items.contains(key) ? items.at(key)() : testing::AddToTree(album, line);
  }

  std::string transcript;
  for (std::string line : window.events) {
    for (const auto& [from, to] : {std::pair{album, "ALBUM"}, std::pair{tree.root(), "ROOT"}}) {
      for (size_t at; (at = line.find(from)) != std::string::npos;)
        line.replace(at, from.size(), to);
    }
    transcript += line + "\n";
  }
  // The album's files as they are (those compared), and as they should be.
  const auto read = [&](const fs::path& folder) {
    std::map<std::string, std::string> found;
    std::error_code none;  // expected/ is missing where the runs leave no file
    for (const auto& entry : fs::directory_iterator(folder, none)) {
      const std::string name = entry.path().filename();
      // The album's record holds times: the transcript shows when a run wrote it.
      if (entry.is_regular_file() && name != kRecordName &&
          (compare.empty() || compare.contains(name)))
        found[name] = testing::ReadWhole(entry.path());
    }
    return found;
  };
  auto made = read(album);
  if (std::getenv("SNAPNOOK_UPDATE_GOLDEN")) {
    fs::remove_all(dir / "expected");
    if (!made.empty()) fs::create_directories(dir / "expected");
    for (const auto& [name, bytes] : made) std::ofstream(dir / "expected" / name) << bytes;
    std::ofstream(dir / "transcript.txt", std::ios::binary) << transcript;
  }
  EXPECT_EQ(transcript, testing::ReadWhole(dir / "transcript.txt"));
  const auto expected = read(dir / "expected");
  for (const auto& [name, bytes] : expected) EXPECT_EQ(made[name], bytes) << name;
  EXPECT_EQ(made.size(), expected.size()) << "files in the album that should not be there";
}

std::vector<std::string> Cases() {
  std::set<std::string> names;  // in order
  for (const auto& entry : fs::directory_iterator(kCases)) names.insert(entry.path().filename());
  return {names.begin(), names.end()};
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
