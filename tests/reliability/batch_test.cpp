// snapnook-batch run for real on two sets of camera pictures, disturbed: folders and files it
// may not read or write (run as the unprivileged user "nobody" through setpriv when the tests
// run as root, as in CI), a full disk, an address-space limit, and signals at eight points of a
// run. However it ends, it shows what the disturbance caused and nothing else, every file it
// leaves is the one an undisturbed run makes (or, for a page, a whole one), no temporary file
// is left, and an undisturbed run afterwards makes exactly the album.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

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

Lines LinesOf(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

const TempTree& Home() {  // settings of its own, and what it printed on standard error
  static const TempTree home;
  return home;
}

// This build's snapnook-batch and its viewer pages, copied where "nobody" may run them: the
// build may lie in a folder only root may enter, such as root's home.
const std::string& Program() {
  static const TempTree bin;
  static const std::string program = [] {
    const std::string copy = "cp -r " SNAPNOOK_BIN_DIR "/snapnook-batch " SNAPNOOK_BIN_DIR
                             "/default " +
                             bin.root() + " && chmod -R a+rX " + bin.root();
    if (std::system(copy.c_str()) != 0) throw std::runtime_error("cannot copy snapnook-batch");
    return bin.Path("snapnook-batch");
  }();
  return program;
}

// The command "snapnook-batch -q -j2 [options]" on the tree's album, after `wrapper`
// ("prlimit --as=N "), as nobody when the tests run as root. Every wrapper execs what it runs.
std::string Command(const TempTree& tree, const std::string& wrapper, const std::string& options) {
  return "exec env HOME=" + Home().root() + " XDG_CONFIG_HOME=" + Home().root() + " " +
         (::geteuid() ? "" : "setpriv --reuid=nobody --regid=nogroup --clear-groups ") + wrapper +
         Program() + " -q -j2 " + options + tree.Path("album") + " >/dev/null 2>" +
         Home().Path("err");
}

struct Result {
  int status;       // the exit status, 128 + N after signal N
  std::string err;  // what it printed on standard error
};

Result Ended(int raw) {
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), Home().ReadFile("err")};
}

Result Batch(const TempTree& tree, const std::string& wrapper = "",
             const std::string& options = "") {
  return Ended(std::system(Command(tree, wrapper, options).c_str()));
}

// Two sets of eight 3000 x 2000 pictures; SET1 has a portrait picture and its sideways copy.
// A fresh copy for each run.
std::unique_ptr<TempTree> Fresh() {
  static const auto pictures = [] {
    auto tree = std::make_unique<TempTree>();
    for (int i = 1; i <= 8; ++i) {
      const std::string bytes =
          testing::TestJpegBytes(3000, 2000, testing::PictureKind::kColour, 0, 60 + 3 * i);
      for (const char* set : {"/SET1/BIG/IMG_", "/SET2/BIG/IMG_"})
        tree->WriteFile("album" + (set + std::to_string(i)) + ".JPG", bytes);
    }
    testing::AddToTree(tree->root(), "album/SET1/BIG/IMG_9.JPG 2000x3000");
    testing::AddToTree(tree->root(), "album/SET1/BIG/sideways/IMG_9.JPG 3000x2000");
    return tree;
  }();
  auto tree = std::make_unique<TempTree>();
  testing::CopyTree(pictures->root(), tree->root());
  GiveAway(*tree);
  return tree;
}

// The album of an undisturbed run.
const std::map<std::string, std::string>& Clean() {
  static const auto clean = [] {
    const auto tree = Fresh();
    EXPECT_EQ(Batch(*tree).status, 0);
    return tree->Snapshot("album");
  }();
  return clean;
}

// The disturbed run left only what it may. An undisturbed run then removes the temporaries of
// dead runs (and one planted), not those of live ones (one planted), and makes the album.
void ExpectTheAlbumAgain(const TempTree& tree, const Lines& differences = {},
                         bool temporaries = false) {
  if (!temporaries) {  // SIGKILL leaves them to the next run
    EXPECT_EQ(testing::TemporaryNamesBelow(tree), Lines{});
  }
  EXPECT_EQ(testing::Differences(tree, "album", Clean(), true), differences);
  const std::string live = "album/SET2/.snapnook-" + std::to_string(::getpid()) + "-0.tmp";
  tree.WriteFile(live, "being written");
  tree.WriteFile("album/SET1/.snapnook-999999999-0.tmp", "cut off");
  const Result again = Batch(tree);
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(testing::TemporaryNamesBelow(tree), Lines{live});
  fs::remove(tree.Path(live));
  EXPECT_EQ(testing::Differences(tree, "album", Clean(), false), Lines{});
}

// The rows of tests/data/reliability/refusals.txt.
TEST(Batch, WhatCannotBeReadOrWrittenIsShownOnceAPassAndTheRestIsMade) {
  std::ifstream table(SNAPNOOK_TEST_DATA "/reliability/refusals.txt");
  int rows = 0;
  for (std::string line; std::getline(table, line);) {
    std::istringstream fields(line);
    std::string path, mode, options, made, kept;
    if (line.starts_with('#') || !(fields >> path >> mode >> options >> made >> kept)) continue;
    SCOPED_TRACE(line);
    ++rows;
    const auto tree = Fresh();
    tree->WriteFile("album/SET1/IMG_1.JPG", "an album picture of an earlier run");
    const std::string changed = tree->Path("album/" + path);
    ASSERT_EQ(::chmod(changed.c_str(), std::stoi(mode, nullptr, 8)), 0);
    const Result result = Batch(*tree, "", options == "-" ? "" : options + " ");
    ::chmod(changed.c_str(), fs::is_directory(changed) ? 0755 : 0644);
    Lines expected;
    for (std::string denied; fields >> denied;)
      expected.push_back("Unexpected Error: Error: 70 - Permission denied: " +
                         tree->Path("album/" + denied));
    EXPECT_EQ(LinesOf(result.err), expected);
    EXPECT_EQ(result.status, expected.empty() ? 0 : 1);
    if (made != "-") {
      EXPECT_EQ(testing::MadeCopies(tree->Path("album/" + made), "IMG_1.JPG"),
                "288x216 74x55 640x480");
    }
    ExpectTheAlbumAgain(*tree, kept == "kept" ? Lines{"~album/SET1/IMG_1.JPG"} : Lines{});
  }
  EXPECT_EQ(rows, 5);
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
  for (const auto& [path, bytes] : Clean())
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

// In 300 MB of address space, a progressive 100-megapixel picture in a set of its own, whose
// 300 MB of coefficients libjpeg must hold, is "Out of memory" naming it and the run fails;
// never a crash. The other sets are made.
TEST(Batch, UnderAMemoryLimitAPictureTooLargeIsOutOfMemoryAndTheRestIsMade) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit here";
#endif
  const auto tree = Fresh();
  testing::AddToTree(tree->root(), "baseline.jpg 12000x8400");
  tree->MakeDir("album/SET3/BIG");
  const std::string huge = tree->Path("album/SET3/BIG/HUGE.JPG");
  const std::string jpegtran = "jpegtran -progressive -outfile " + huge + " ";
  ASSERT_EQ(std::system((jpegtran + tree->Path("baseline.jpg")).c_str()), 0);
  GiveAway(*tree);
  const Result r = Batch(*tree, "prlimit --as=" + std::to_string(300 << 20) + " ");
  Lines shown;  // the messages, without the libraries' noise
  for (const std::string& line : LinesOf(r.err)) {
    if (line.find("Error: ") != std::string::npos) shown.push_back(line);
  }
  EXPECT_EQ(shown, Lines{"Unexpected Error: Error: 7 - Out of memory: " + huge});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(testing::MadeCopies(tree->Path("album/SET3"), "HUGE.JPG"), "- - -");
  fs::remove_all(tree->Path("album/SET3"));
  fs::remove(tree->Path("baseline.jpg"));
  ExpectTheAlbumAgain(*tree);
}

// The files a run has written so far, temporaries left out.
size_t Written(const TempTree& tree) {
  size_t n = 0;
  std::error_code ec;  // files come and go while it runs
  for (fs::recursive_directory_iterator it(tree.Path("album"), ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string path = it->path().string();
    n += path.find("/BIG/") == std::string::npos &&
         !IsTemporaryName(it->path().filename().string()) && it->is_regular_file(ec);
  }
  return n;
}

// Stopped by a signal once it has written 1/8, 2/8 ... of its files, it ends with 128 + the
// signal and "Interrupted"; SIGKILL leaves its temporaries to the next run, which removes those
// of dead runs only. A run that ends before the signal is checked all the same.
class Signals : public ::testing::TestWithParam<int> {};

TEST_P(Signals, AnInterruptedRunLeavesWholeFilesOnly) {
  const int signal = GetParam();
  size_t files = 0;
  for (const auto& [path, bytes] : Clean()) files += path.find("/BIG/") == std::string::npos;
  int stopped = 0;
  for (size_t part = 0; part < 8; ++part) {
    SCOPED_TRACE("part " + std::to_string(part + 1) + " of 8");
    const auto tree = Fresh();
    const std::string command = Command(*tree, "", "");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
      ::_exit(127);
    }
    int raw = 0;
    while (::waitpid(child, &raw, WNOHANG) == 0 && Written(*tree) < 1 + files * part / 8) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const bool running = ::kill(child, signal) == 0 && ::waitpid(child, &raw, 0) == child;
    const Result r = Ended(raw);
    if (running && !(r.status == 0 && r.err.empty())) {  // or it finished first
      ++stopped;
      EXPECT_EQ(r.status, 128 + signal);
      EXPECT_EQ(r.err, signal == SIGKILL ? "" : "Interrupted\n");
    }
    ExpectTheAlbumAgain(*tree, {}, signal == SIGKILL);
  }
  EXPECT_GE(stopped, 1) << "no signal fell within a run";
}

INSTANTIATE_TEST_SUITE_P(Batch, Signals, ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGKILL),
                         [](const auto& info) {
                           return std::string("SIG") + sigabbrev_np(info.param);
                         });

}  // namespace
}  // namespace snapnook
