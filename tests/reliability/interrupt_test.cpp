// snapnook-batch stopped by a signal at many points of a run: it leaves only whole files and no
// temporaries, and the next run makes exactly the album of a run never interrupted.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <thread>

#include "core/file_system.h"
#include "reliability/reliability_support.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::TempTree;
using Files = std::map<std::string, std::string>;
using Clock = std::chrono::steady_clock;
using Names = std::vector<std::string>;

// Two sets of a dozen 3000 x 2000 pictures; SET1 has a portrait picture and its sideways copy.
const TempTree& Pictures() {
  static const auto tree = [] {
    auto made = std::make_unique<TempTree>();
    for (int i = 1; i <= 12; ++i) {
      const std::string bytes =
          testing::TestJpegBytes(3000, 2000, testing::PictureKind::kColour, 0, 60 + 3 * i);
      for (const char* set : {"SET1", "SET2"}) {
        made->WriteFile(set + ("/BIG/IMG_" + std::to_string(i) + ".JPG"), bytes);
      }
    }
    made->WriteFile("SET1/BIG/IMG_13.JPG", testing::TestJpegBytes(2000, 3000));
    made->WriteFile("SET1/BIG/sideways/IMG_13.JPG", testing::TestJpegBytes(3000, 2000));
    return made;
  }();
  return *tree;
}

// Starts snapnook-batch -q --jobs 2 on `album`, its standard error into the file `err`.
pid_t Start(const std::string& album, const std::string& err) {
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const std::string bin = testing::BatchBinary();
  const char* argv[] = {bin.c_str(), "-q", "--jobs", "2", album.c_str(), nullptr};
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, bin.c_str(), &files, nullptr, const_cast<char**>(argv), environ), 0);
  posix_spawn_file_actions_destroy(&files);
  return pid;
}

// Waits for `pid` and says how it ended: "exit N" or "signal N".
std::string Ended(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status))
                           : "signal " + std::to_string(WTERMSIG(status));
}

// The size of a derived copy; the portrait's are upright but for its sideways screen copy.
std::string SizeOf(const std::string& path) {
  const bool upright =
      path.find("IMG_13") != std::string::npos && path.find("sideways") == std::string::npos;
  if (path.find("Thumb/") != std::string::npos) return upright ? "55x74" : "74x55";
  if (path.find("640/") != std::string::npos) return upright ? "480x640" : "640x480";
  return upright ? "216x288" : "288x216";
}

// The files below `album` that differ from `reference`, temporaries left out: "+" one too many,
// "~" other content, "-" one missing. A run that was `stopped` may lack files, and its pages may
// still be those its first pass wrote: whole, with the pictures there were then.
Names Differences(const TempTree& album, const Files& reference, bool stopped) {
  Names found;
  const Files files = album.Snapshot();
  for (const auto& [path, bytes] : files) {
    if (IsTemporaryName(std::filesystem::path(path).filename().string())) continue;
    const bool page = path.ends_with(".htm") && bytes.ends_with("</html>\r\n");
    if (!reference.contains(path)) found.push_back("+" + path);
    if (reference.contains(path) && reference.at(path) != bytes && !(stopped && page)) {
      found.push_back("~" + path + " " +
                      (path.ends_with(".JPG") ? testing::WebReadySize(album.Path(path))
                                              : std::to_string(bytes.size()) + " bytes of " +
                                                    std::to_string(reference.at(path).size())));
    }
  }
  for (const auto& [path, bytes] : reference) {
    if (!stopped && !files.contains(path)) found.push_back("-" + path);
  }
  return found;
}

// Each signal and the exit status it must give (-1: it cannot be caught).
constexpr struct {
  const char* name;
  int signal;
  int status;
} kStops[] = {{"SIGINT", SIGINT, 130},
              {"SIGTERM", SIGTERM, 143},
              {"SIGHUP", SIGHUP, 129},
              {"SIGKILL", SIGKILL, -1}};

class InterruptTest : public ::testing::TestWithParam<int> {};

TEST_P(InterruptTest, LeavesWholeFilesOnlyAndTheNextRunMakesTheSameAlbum) {
  const auto& stop = kStops[GetParam()];
  const TempTree home;
  ::setenv("HOME", home.root().c_str(), 1);  // no remembered settings of the user's
  ::setenv("XDG_CONFIG_HOME", home.root().c_str(), 1);
  const std::string err = home.Path("stderr");
  const Files originals = testing::Originals(Pictures());
  // An uninterrupted run on a copy of the tree: the album, and how long a run takes.
  const TempTree reference;
  testing::CopyTree(Pictures().root(), reference.root());
  auto start = Clock::now();
  ASSERT_EQ(Ended(Start(reference.root(), err)), "exit 0") << home.ReadFile("stderr");
  auto length = Clock::now() - start;  // the shortest run seen, so that kills fall within one
  const Files album = reference.Snapshot();
  int copies = 0, pages = 0;
  for (const auto& [path, bytes] : album) {
    if (path.ends_with(".htm") || path == "index.html") pages += bytes.ends_with("</html>\r\n");
    if (!path.ends_with(".JPG") || originals.contains(path)) continue;
    EXPECT_EQ(testing::WebReadySize(reference.Path(path)), SizeOf(path)) << path;
    ++copies;
  }
  ASSERT_EQ(copies, 25 * 3 + 1);
  ASSERT_EQ(pages, 6);  // whole: index.html, page00.htm, page00a.htm, page01.htm to page03.htm

  int stopped = 0, temporaries = 0;
  for (int part = 0; part < 8; ++part) {
    SCOPED_TRACE(std::string(stop.name) + " in part " + std::to_string(part + 1) + " of 8");
    const TempTree run;
    testing::CopyTree(Pictures().root(), run.root());
    start = Clock::now();
    const pid_t pid = Start(run.root(), err);
    std::this_thread::sleep_until(start + length * (part + (GetParam() + 0.5) / 4) / 8);
    ::kill(pid, stop.signal);
    const std::string ended = Ended(pid), said = home.ReadFile("stderr");
    const bool finished = ended == "exit 0" && said.empty();
    // Killed before it could catch the signal, it has written nothing.
    const bool early =
        ended == "signal " + std::to_string(stop.signal) && run.Snapshot() == originals;
    stopped += !finished && !early;
    if (!finished && !early) {
      EXPECT_EQ(ended, stop.status > 0 ? "exit " + std::to_string(stop.status) : "signal 9");
      EXPECT_EQ(testing::LinesOf(said), Names(stop.status > 0, "Interrupted"));
    }
    const Names left = testing::TemporaryNamesBelow(run.root());
    temporaries += static_cast<int>(left.size());
    EXPECT_EQ(stop.status > 0 ? left : Names{}, Names{}) << "only SIGKILL may leave temporaries";
    EXPECT_EQ(Differences(run, album, !finished), Names{});
    EXPECT_EQ(testing::Originals(run), originals);

    // The next run removes the temporaries of dead runs (and one planted), not those of a live
    // one (a run stopped on the other album), and makes the whole album again.
    const pid_t live = Start(reference.root(), home.Path("live"));
    ::kill(live, SIGSTOP);
    const std::string kept = "SET2/.snapnook-" + std::to_string(live) + "-0.tmp";
    run.WriteFile(kept, "being written");
    run.WriteFile("SET2/Thumb/.snapnook-" + std::to_string(pid) + "-99.tmp", "cut off");
    start = Clock::now();
    EXPECT_EQ(Ended(Start(run.root(), err)), "exit 0") << home.ReadFile("stderr");
    length = std::min(length, Clock::now() - start);
    ::kill(live, SIGKILL);
    Ended(live);
    EXPECT_EQ(testing::TemporaryNamesBelow(run.root()), Names{kept});
    EXPECT_EQ(Differences(run, album, false), Names{});
  }
  std::cout << "[ interrupt ] " << stop.name << " at 8 points of a "
            << std::chrono::duration<double>(length).count() << " s run: " << stopped
            << " stopped it, " << temporaries << " temporary files left\n";
  EXPECT_GE(stopped, 4) << "most kills must fall within a run";
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptTest, ::testing::Range(0, 4),
                         [](const auto& info) { return std::string(kStops[info.param].name); });

}  // namespace
}  // namespace snapnook
