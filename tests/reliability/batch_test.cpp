// snapnook-batch run for real on two sets of camera pictures, disturbed: folders and files it
// may not read or write (run as the unprivileged user "nobody" through setpriv when the tests
// run as root, as in CI), a full disk, address-space limits, and signals at eight points of a
// run. However it ends, it shows what the disturbance caused and nothing else, every file it
// leaves is the one an undisturbed run makes (or, for a page, a whole one), no temporary file
// is left, and an undisturbed run afterwards makes exactly the album.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "reliability/reliability_support.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;
using Lines = std::vector<std::string>;

// Gives the tree to "nobody" when the tests run as root, so that the program owns it.
void GiveAway(const TempTree& tree) {
  ASSERT_EQ(::geteuid() ? 0 : std::system(("chown -R nobody:nogroup " + tree.root()).c_str()), 0);
}

struct Result {
  int status;       // the exit status, 128 + N after signal N
  std::string err;  // what it printed on standard error
};

// snapnook-batch -q -j2 [options] on the tree's album, after `wrapper` ("prlimit --as=N "), as
// nobody when the tests run as root, with settings of its own.
Result Batch(const TempTree& tree, const std::string& wrapper = "",
             const std::string& options = "") {
  static const TempTree home;
  const std::string user =
      ::geteuid() ? "" : "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
  const int raw =
      std::system(("HOME=" + home.root() + " XDG_CONFIG_HOME=" + home.root() + " " + user +
                   wrapper + std::getenv("SNAPNOOK_BIN_DIR") + "/snapnook-batch -q -j2 " + options +
                   tree.Path("album") + " >/dev/null 2>" + home.Path("err"))
                      .c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, home.ReadFile("err")};
}

// Two sets of eight 3000 x 2000 pictures; SET1 has a portrait picture and its sideways copy.
// A fresh copy for each run, and the album of an undisturbed run, timed.
std::unique_ptr<TempTree> Fresh() {
  static const auto pictures = [] {
    auto tree = std::make_unique<TempTree>();
    for (int i = 1; i <= 8; ++i) {
      const std::string bytes =
          testing::TestJpegBytes(3000, 2000, testing::PictureKind::kColour, 0, 60 + 3 * i);
      for (const char* set : {"SET1", "SET2"})
        tree->WriteFile("album/" + std::string(set) + "/BIG/IMG_" + std::to_string(i) + ".JPG",
                        bytes);
    }
    tree->WriteFile("album/SET1/BIG/IMG_9.JPG", testing::TestJpegBytes(2000, 3000));
    tree->WriteFile("album/SET1/BIG/sideways/IMG_9.JPG", testing::TestJpegBytes(3000, 2000));
    return tree;
  }();
  auto tree = std::make_unique<TempTree>();
  testing::CopyTree(pictures->root(), tree->root());
  GiveAway(*tree);
  return tree;
}

// The album of an undisturbed run, and how long it took.
const std::pair<std::map<std::string, std::string>, double>& Clean() {
  static const auto clean = [] {
    const auto tree = Fresh();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Batch(*tree).status, 0);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return std::pair{tree->Snapshot("album"), took.count()};
  }();
  return clean;
}

Lines Differences(const TempTree& tree, bool disturbed) {
  return testing::Differences(tree, "album", Clean().first, disturbed);
}

// The disturbed run left only what it may. An undisturbed run then removes the temporaries of
// dead runs (and one planted), not those of live ones (one planted), and makes the album.
void ExpectTheAlbumAgain(const TempTree& tree, const Lines& differences = {},
                         bool temporaries = false) {
  if (!temporaries) {  // SIGKILL leaves them to the next run
    EXPECT_EQ(testing::TemporaryNamesBelow(tree), Lines{});
  }
  EXPECT_EQ(Differences(tree, true), differences);
  const std::string live = "album/SET2/.snapnook-" + std::to_string(::getpid()) + "-0.tmp";
  tree.WriteFile(live, "being written");
  tree.WriteFile("album/SET1/.snapnook-999999999-0.tmp", "cut off");
  const Result again = Batch(tree);
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(testing::TemporaryNamesBelow(tree), Lines{live});
  fs::remove(tree.Path(live));
  EXPECT_EQ(Differences(tree, false), Lines{});
}

Lines LinesOf(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct Refusal {
  std::string path;  // below the album, given `mode`
  mode_t mode;
  const char* options;
  Lines denied;      // what each message names, below the album
  std::string made;  // a set made whole
  bool kept;         // the album picture of an earlier run in SET1 stays as it was
};

TEST(Batch, WhatCannotBeReadOrWrittenIsShownOnceAPassAndTheRestIsMade) {
  const std::vector<Refusal> refusals = {
      // The first write into the set ends the walk of its BIG folder; an album picture of an
      // earlier run stays as it was.
      {"SET1", 0555, "", {"SET1/IMG_1.JPG"}, "SET2", true},
      // The counting pass, the derive pass and the HTML pass each list it.
      {"SET1/BIG", 0000, "", Lines(3, "SET1/BIG/"), "SET2", true},
      // The walk of that BIG folder ends at the picture.
      {"SET2/BIG/IMG_3.JPG", 0000, "", {"SET2/BIG/IMG_3.JPG"}, "SET1", false},
      // index.html is the album's first file: each build says so and ends before its walk;
      // without pages to write, the pictures are made.
      {"", 0555, "", Lines(2, "index.html"), "", true},
      {"", 0555, "--no-html ", {}, "SET2", false},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.path + " " + r.options);
    const auto tree = Fresh();
    tree->WriteFile("album/SET1/IMG_1.JPG", "an album picture of an earlier run");
    const std::string changed = tree->Path("album/" + r.path);
    ASSERT_EQ(::chmod(changed.c_str(), r.mode), 0);
    const Result result = Batch(*tree, "", r.options);
    ::chmod(changed.c_str(), fs::is_directory(changed) ? 0755 : 0644);
    Lines expected;
    for (const std::string& path : r.denied)
      expected.push_back("Unexpected Error: Error: 70 - Permission denied: " +
                         tree->Path("album/" + path));
    EXPECT_EQ(LinesOf(result.err), expected);
    EXPECT_EQ(result.status, expected.empty() ? 0 : 1);
    if (!r.made.empty()) {
      EXPECT_EQ(testing::MadeCopies(tree->Path("album/" + r.made), "IMG_1.JPG"),
                "288x216 74x55 640x480");
    }
    ExpectTheAlbumAgain(*tree, r.kept ? Lines{"~album/SET1/IMG_1.JPG"} : Lines{});
  }
}

// A run fills a tmpfs: every message is "Disk full"; with room again the next run makes the
// album.
TEST(Batch, AFullDiskIsShownAndNothingIsHalfWritten) {
  const auto tree = Fresh();
  const std::string album = tree->Path("album");
  fs::rename(album, tree->Path("pictures"));
  fs::create_directory(album);
  if (::mount("tmpfs", album.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64m") != 0) {
    GTEST_SKIP() << "mounting a tmpfs needs root";
  }
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
  } unmount{album};
  testing::CopyTree(tree->Path("pictures"), album);
  GiveAway(*tree);
  // Fill the disk so that about half of what the run writes fits.
  size_t writes = 0;
  for (const auto& [path, bytes] : Clean().first)
    writes += path.find("/BIG/") == std::string::npos ? bytes.size() : 0;
  struct statvfs st {};
  ASSERT_EQ(::statvfs(album.c_str(), &st), 0);
  std::ofstream(album + "/filler") << std::string(st.f_bavail * st.f_frsize - writes / 2, 'f');
  const Result full = Batch(*tree);
  EXPECT_EQ(full.status, 1);
  for (const std::string& line : LinesOf(full.err)) {
    EXPECT_TRUE(line.starts_with("Unexpected Error: Error: 61 - Disk full: " + album + "/"))
        << line;
  }
  fs::remove(album + "/filler");
  ExpectTheAlbumAgain(*tree);
}

// Under address-space limits, a progressive 100-megapixel picture in a set of its own, whose
// 300 MB of coefficients libjpeg must hold, is made or is "Out of memory" and the run fails;
// never a crash, never success with a copy missing. The other sets are made.
TEST(Batch, UnderAMemoryLimitAPictureIsMadeOrOutOfMemoryNamesIt) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit here";
#endif
  const TempTree huge;
  huge.WriteFile("baseline.jpg", testing::TestJpegBytes(12000, 8400));
  const std::string jpegtran = "jpegtran -progressive -outfile " + huge.Path("huge.jpg") + " ";
  ASSERT_EQ(std::system((jpegtran + huge.Path("baseline.jpg")).c_str()), 0);
  for (const int megabytes : {200, 300, 450, 600}) {
    SCOPED_TRACE(std::to_string(megabytes) + " MB");
    const auto tree = Fresh();
    tree->MakeDir("album/SET3/BIG");
    fs::copy_file(huge.Path("huge.jpg"), tree->Path("album/SET3/BIG/HUGE.JPG"));
    GiveAway(*tree);
    const Result r = Batch(*tree, "prlimit --as=" + std::to_string(megabytes << 20) + " ");
    const bool made =
        testing::MadeCopies(tree->Path("album/SET3"), "HUGE.JPG") == "288x216 74x55 640x480";
    Lines shown;  // the messages, without the libraries' noise
    for (const std::string& line : LinesOf(r.err)) {
      if (line.find("Error: ") != std::string::npos) shown.push_back(line);
    }
    EXPECT_EQ(shown, made ? Lines{}
                          : Lines{"Unexpected Error: Error: 7 - Out of memory: " +
                                  tree->Path("album/SET3/BIG/HUGE.JPG")});
    EXPECT_EQ(r.status, made ? 0 : 1);
    EXPECT_FALSE(made && megabytes <= 300) << "the coefficients cannot fit";
    for (const std::string& difference : Differences(*tree, false)) {
      EXPECT_TRUE(difference.starts_with("+album/SET3/") || difference.ends_with(".htm"));
    }
    fs::remove_all(tree->Path("album/SET3"));
    ExpectTheAlbumAgain(*tree);
  }
}

// Stopped by a signal at eight points of a run, it ends with 128 + the signal and "Interrupted";
// SIGKILL leaves its temporaries to the next run, which removes those of dead runs only.
class Signals : public ::testing::TestWithParam<int> {};

TEST_P(Signals, AnInterruptedRunLeavesWholeFilesOnly) {
  const int signal = GetParam();
  int stopped = 0;
  for (int part = 0; part < 8; ++part) {
    SCOPED_TRACE("part " + std::to_string(part + 1) + " of 8");
    const auto tree = Fresh();
    const auto before = tree->Snapshot();
    const double at = Clean().second * (part + (signal % 4 + 0.5) / 4) / 8;
    const Result r = Batch(*tree, "timeout --foreground --preserve-status -s " +
                                      std::to_string(signal) + " " + std::to_string(at) + " ");
    // It finished first; or it died of the signal before it could catch it, writing nothing.
    const bool finished = r.status == 0 && r.err.empty();
    const bool early = r.status == 128 + signal && r.err.empty() && tree->Snapshot() == before;
    if (!finished && !early) {
      ++stopped;
      EXPECT_EQ(r.status, 128 + signal);
      EXPECT_EQ(r.err, signal == SIGKILL ? "" : "Interrupted\n");
    }
    ExpectTheAlbumAgain(*tree, {}, signal == SIGKILL);
  }
  EXPECT_GE(stopped, 4) << "most signals must fall within a run";
}

INSTANTIATE_TEST_SUITE_P(Batch, Signals, ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGKILL),
                         [](const auto& info) {
                           return std::string("SIG") + sigabbrev_np(info.param);
                         });

}  // namespace
}  // namespace snapnook
