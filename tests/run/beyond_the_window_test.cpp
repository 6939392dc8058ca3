// What snapnook-batch does beyond the window, on real files: --update makes again exactly the
// pictures whose copies are missing or older than their original, --prune removes exactly what
// no picture accounts for, and --check writes nothing and reports every kind of finding.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "run/check.h"
#include "run/run_driver.h"
#include "support/fake_window.h"
#include "support/faulty_file_system.h"
#include "support/temp_tree.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

namespace fs = std::filesystem;
using testing::FakeWindow;
using testing::MemorySettings;
using testing::TempTree;
using testing::WriteTestJpeg;

// Every entry below `root` (links not followed): path -> inode, modification time and size, so
// that a file written again, even with the same bytes, shows.
using Listing = std::map<std::string, std::string>;
Listing ListTree(const std::string& root) {
  Listing listing;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    struct stat st {};
    ::lstat(entry.path().c_str(), &st);
    listing[fs::relative(entry.path(), root).string()] =
        std::to_string(st.st_ino) + "/" + std::to_string(st.st_mtim.tv_sec) + "." +
        std::to_string(st.st_mtim.tv_nsec) + "/" + std::to_string(st.st_size);
  }
  return listing;
}

// The files whose entry differs between two listings (or is in only one).
std::set<std::string> Changed(const Listing& before, const Listing& after) {
  std::set<std::string> changed;
  for (const auto& [path, what] : after) {
    if (!before.contains(path) || before.at(path) != what) changed.insert(path);
  }
  for (const auto& [path, what] : before) {
    if (!after.contains(path)) changed.insert(path);
  }
  return changed;
}

struct AlbumRun {
  AlbumRun(FileSystem& files, const std::string& source, RunOptions options, bool make_640 = true)
      : session(window, files, settings) {
    window.source_dir = source;
    window.checked[CheckBox::kCreate640] = make_640;
    session.state.LoadedCopyrightLink = window.copyright_link;
    session.current_year = [] { return 2026; };
    session.jobs = 2;
    session.options = options;
  }
  void Go() {
    session.options.check ? CheckAlbum(session)
                          : RunCreatePictures(session, ClosingQuestion::kSkip);
  }
  FakeWindow window;
  MemorySettings settings;
  Session session;
};

// SET1/BIG holds A and B (landscape) and P (portrait, with BIG/sideways/P).
void MakeSet(const TempTree& tree) {
  tree.MakeDir("album/SET1/BIG/sideways");
  WriteTestJpeg(tree.Path("album/SET1/BIG/A.JPG"), 64, 48);
  WriteTestJpeg(tree.Path("album/SET1/BIG/B.JPG"), 64, 48);
  WriteTestJpeg(tree.Path("album/SET1/BIG/P.JPG"), 48, 64);
  WriteTestJpeg(tree.Path("album/SET1/BIG/sideways/P.JPG"), 64, 48);
}

std::set<std::string> CopiesOf(const std::string& name, bool portrait) {
  std::set<std::string> copies = {"SET1/" + name, "SET1/Thumb/" + name, "SET1/640/" + name};
  if (portrait) copies.insert("SET1/640/sideways/" + name);
  return copies;
}

TEST(Update, MakesAgainExactlyThePicturesWhoseCopiesAreMissingOrOlder) {
  struct Case {
    const char* what;
    bool first_without_640;
    std::function<void(const TempTree&)> change;
    std::set<std::string> made_again;  // pictures
  };
  const Case cases[] = {
      {"nothing changed", false, [](const TempTree&) {}, {}},
      {"an original replaced by an older file",
       false,
       [](const TempTree& t) {
         WriteTestJpeg(t.Path("album/SET1/BIG/A.JPG"), 64, 48, testing::PictureKind::kGray);
         const utimbuf old{1'000'000'000, 1'000'000'000};  // 2001: older than every copy
         ::utime(t.Path("album/SET1/BIG/A.JPG").c_str(), &old);
       },
       {"A"}},
      {"a sideways picture changed",
       false,
       [](const TempTree& t) {
         WriteTestJpeg(t.Path("album/SET1/BIG/sideways/P.JPG"), 64, 48,
                       testing::PictureKind::kGray);
       },
       {"P"}},
      {"a copy removed",
       false,
       [](const TempTree& t) { fs::remove(t.Path("album/SET1/Thumb/B.JPG")); },
       {"B"}},
      {"the screen copies asked for later", true, [](const TempTree&) {}, {"A", "B", "P"}},
  };
  for (const Case& c : cases) {
    TempTree tree;
    MakeSet(tree);
    RealFileSystem files;
    AlbumRun(files, tree.Path("album"), {}, !c.first_without_640).Go();
    c.change(tree);
    const Listing before = ListTree(tree.Path("album"));
    AlbumRun update(files, tree.Path("album"), {.update = true});
    update.Go();
    EXPECT_TRUE(update.window.messages.empty()) << c.what;
    std::set<std::string> expected;
    for (const std::string& name : c.made_again) {
      const auto copies = CopiesOf(name + ".JPG", name == "P");
      expected.insert(copies.begin(), copies.end());
    }
    std::set<std::string> changed;
    for (const std::string& path : Changed(before, ListTree(tree.Path("album")))) {
      if (path.starts_with("SET1/") && path.ends_with(".JPG")) changed.insert(path);
    }
    EXPECT_EQ(changed, expected) << c.what;
  }
}

TEST(Update, AfterAWriteThatFailedTheAlbumIsTheOneAWholeRunMakes) {
  // Each write of a copy in turn fails in a full run; an --update run then makes the album.
  TempTree clean;
  MakeSet(clean);
  testing::faults::FaultyFileSystem files;
  files.FailNever();
  AlbumRun(files, clean.Path("album"), {}).Go();
  const auto expected = clean.Snapshot("album/SET1");
  std::vector<long> commits;
  const auto calls = files.calls();
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].op == testing::faults::FsOp::kCommit && calls[i].path.ends_with(".JPG")) {
      commits.push_back(static_cast<long>(i) + 1);
    }
  }
  ASSERT_EQ(commits.size(), 10u);
  for (long n : commits) {
    TempTree tree;
    MakeSet(tree);
    files.FailAt(n, ENOSPC);
    AlbumRun(files, tree.Path("album"), {}).Go();
    files.FailNever();
    AlbumRun(files, tree.Path("album"), {.update = true}).Go();
    EXPECT_EQ(tree.Snapshot("album/SET1"), expected) << "failed at " << n;
  }
}

TEST(Prune, RemovesWhatNoPictureAccountsForAndNothingElse) {
  TempTree tree;
  MakeSet(tree);
  tree.MakeDir("album/SET2/BIG");
  for (int i = 1; i <= 14; ++i) {
    WriteTestJpeg(tree.Path("album/SET2/BIG/I" + std::to_string(i) + ".JPG"), 32, 24);
  }
  RealFileSystem files;
  AlbumRun(files, tree.Path("album"), {}).Go();
  // Pictures removed since: B, the sideways picture of P, six of SET2 (two pages become one).
  fs::remove(tree.Path("album/SET1/BIG/B.JPG"));
  fs::remove(tree.Path("album/SET1/BIG/sideways/P.JPG"));
  for (int i = 9; i <= 14; ++i)
    fs::remove(tree.Path("album/SET2/BIG/I" + std::to_string(i) + ".JPG"));
  // What prune must leave: other files, files below BIG, pages up to the count.
  tree.WriteFile("album/SET1/notes.txt", "mine");
  tree.WriteFile("album/SET1/Thumb/old.jpeg", "mine");
  tree.WriteFile("album/SET1/BIG/SET3/Thumb/X.JPG", "below BIG");
  tree.WriteFile("album/SET1/BIG/X.JPG.txt", "below BIG");
  AlbumRun prune(files, tree.Path("album"), {.prune = true});
  prune.Go();
  std::set<std::string> expected = {"SET1/B.JPG", "SET1/Thumb/B.JPG", "SET1/640/B.JPG",
                                    "SET1/640/sideways/P.JPG", "page02.htm"};
  for (int i = 9; i <= 14; ++i) {
    for (const char* copy : {"SET2/", "SET2/Thumb/", "SET2/640/"}) {
      expected.insert(copy + ("I" + std::to_string(i)) + ".JPG");
    }
  }
  std::set<std::string> reported;
  for (const std::string& line : prune.window.reports) {
    reported.insert(line.substr(line.find("album/") + 6));
  }
  EXPECT_EQ(reported, expected);
  for (const std::string& path : expected)
    EXPECT_FALSE(fs::exists(tree.Path("album/" + path))) << path;
  for (const char* kept :
       {"SET1/notes.txt", "SET1/Thumb/old.jpeg", "SET1/BIG/SET3/Thumb/X.JPG", "SET1/BIG/X.JPG.txt",
        "SET1/A.JPG", "SET1/P.JPG", "SET1/640/P.JPG", "page01.htm", "page00.htm", "page00a.htm"}) {
    EXPECT_TRUE(fs::exists(tree.Path(std::string("album/") + kept))) << kept;
  }
  EXPECT_TRUE(prune.window.messages.empty());
}

TEST(Check, WritesNothingAndReportsEveryKindOfFinding) {
  // One of each: pictures that cannot be decoded, a set whose copies' folder is missing, a
  // picture of another type, a sideways picture without its upright one, a picture without an
  // original, BIG folders outside a set, a set that cannot be written, a page above the count,
  // an index.html of someone else, too little room.
  TempTree tree;
  MakeSet(tree);
  tree.WriteFile("album/SET1/BIG/C.JPG", "not a picture");
  tree.WriteFile("album/SET1/BIG/D.JPG", tree.ReadFile("album/SET1/BIG/A.JPG").substr(0, 300));
  tree.WriteFile("album/SET1/BIG/E.jpeg", tree.ReadFile("album/SET1/BIG/A.JPG"));
  tree.WriteFile("album/SET1/BIG/sideways/Q.JPG", tree.ReadFile("album/SET1/BIG/A.JPG"));
  tree.WriteFile("album/SET1/F.JPG", tree.ReadFile("album/SET1/BIG/A.JPG"));
  tree.WriteFile("album/trip/BIG/T.JPG", tree.ReadFile("album/SET1/BIG/A.JPG"));
  tree.WriteFile("album/SET10/BIG/S.JPG", tree.ReadFile("album/SET1/BIG/A.JPG"));
  tree.WriteFile("album/page07.htm", "<html>old</html>");
  tree.WriteFile("album/index.html", "<html>my own</html>");
  tree.MakeDir("album/SET2/BIG");
  const Listing before = ListTree(tree.root());
  // A disk nearly full, and a set folder this process may not write (the tests may run as
  // root, for whom every folder is writable).
  struct SmallDisk : RealFileSystem {
    std::optional<std::uint64_t> FreeSpace(const std::string&) override { return 100'000; }
    bool Writable(const std::string& folder) override { return !folder.ends_with("SET2/"); }
  } files;
  AlbumRun check(files, tree.Path("album"), {.check = true});
  check.Go();
  EXPECT_EQ(ListTree(tree.root()), before);
  std::string report;
  for (const auto& message : check.window.messages)
    report += message.title + ": " + message.prompt + "\n";
  for (const std::string& line : check.window.reports) report += line + "\n";
  for (size_t at; (at = report.find(tree.root())) != std::string::npos;)
    report.replace(at, tree.root().size(), "ROOT");
  const std::string expected = std::string(SNAPNOOK_TEST_DATA) + "/check/report.txt";
  if (std::getenv("SNAPNOOK_UPDATE_GOLDEN")) std::ofstream(expected, std::ios::binary) << report;
  std::ifstream in(expected, std::ios::binary);
  EXPECT_EQ(report, std::string(std::istreambuf_iterator<char>(in), {}));
}

}  // namespace
}  // namespace snapnook
