// snapnook-batch stopped by a signal at eight points of a run: it ends with 128 + the signal and
// "Interrupted", leaves only whole files and no temporaries (SIGKILL leaves them to the next
// run, which removes those of dead runs only), and the next run makes exactly the album of a
// run never interrupted.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "core/file_system.h"
#include "reliability/reliability_support.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::TempTree;
using Files = std::map<std::string, std::string>;
using Names = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

// snapnook-batch -q --jobs 2 on `album`, its standard error into the file `err`.
pid_t Start(const std::string& album, const std::string& err) {
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const std::string bin = testing::BatchBinary();
  const char* argv[] = {bin.c_str(), "-q", "--jobs", "2", album.c_str(), nullptr};
  pid_t pid = -1;
  posix_spawn(&pid, bin.c_str(), &files, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&files);
  return pid;
}

// How `pid` ended: "exit N" or "signal N".
std::string Ended(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status))
                           : "signal " + std::to_string(WTERMSIG(status));
}

// The files below `album` that differ from `reference`, temporaries left out: "+" one too many,
// "~" other content, "-" one missing. A run that was `stopped` may lack files, and a page may
// still be the whole one of its first pass.
Names Differences(const TempTree& album, const Files& reference, bool stopped) {
  Names found;
  const Files files = album.Snapshot();
  for (const auto& [path, bytes] : files) {
    if (IsTemporaryName(std::filesystem::path(path).filename().string())) continue;
    const bool page = path.ends_with(".htm") && bytes.ends_with("</html>\r\n");
    if (!reference.contains(path))
      found.push_back("+" + path);
    else if (reference.at(path) != bytes && !(stopped && page))
      found.push_back("~" + path);
  }
  for (const auto& [path, bytes] : reference) {
    if (!stopped && !files.contains(path)) found.push_back("-" + path);
  }
  return found;
}

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGKILL};
class InterruptTest : public ::testing::TestWithParam<int> {};

TEST_P(InterruptTest, LeavesWholeFilesOnlyAndTheNextRunMakesTheSameAlbum) {
  const int signal = kSignals[GetParam()];
  const TempTree home, pictures, reference;
  ::setenv("HOME", home.root().c_str(), 1);  // no remembered settings of the user's
  ::setenv("XDG_CONFIG_HOME", home.root().c_str(), 1);
  // Two sets of a dozen 3000 x 2000 pictures; SET1 has a portrait picture and its sideways copy.
  for (int i = 1; i <= 12; ++i) {
    const std::string bytes =
        testing::TestJpegBytes(3000, 2000, testing::PictureKind::kColour, 0, 60 + 3 * i);
    for (const char* set : {"SET1", "SET2"})
      pictures.WriteFile(set + ("/BIG/IMG_" + std::to_string(i) + ".JPG"), bytes);
  }
  pictures.WriteFile("SET1/BIG/IMG_13.JPG", testing::TestJpegBytes(2000, 3000));
  pictures.WriteFile("SET1/BIG/sideways/IMG_13.JPG", testing::TestJpegBytes(3000, 2000));
  const Files originals = pictures.Snapshot();
  // An uninterrupted run: the album, and how long a run takes (the shortest seen).
  testing::CopyTree(pictures.root(), reference.root());
  auto start = Clock::now();
  ASSERT_EQ(Ended(Start(reference.root(), home.Path("err"))), "exit 0") << home.ReadFile("err");
  auto length = Clock::now() - start;
  const Files album = reference.Snapshot();

  int stopped = 0;
  for (int part = 0; part < 8; ++part) {
    SCOPED_TRACE("part " + std::to_string(part + 1) + " of 8");
    const TempTree run;
    testing::CopyTree(pictures.root(), run.root());
    start = Clock::now();
    const pid_t pid = Start(run.root(), home.Path("err"));
    std::this_thread::sleep_until(start + length * (part + (GetParam() + 0.5) / 4) / 8);
    ::kill(pid, signal);
    const std::string ended = Ended(pid), said = home.ReadFile("err");
    // Finished before the signal; or killed before it could catch it, having written nothing.
    const bool finished = ended == "exit 0" && said.empty();
    const bool early = ended == "signal " + std::to_string(signal) && run.Snapshot() == originals;
    if (!finished && !early) {
      ++stopped;
      EXPECT_EQ(ended, signal == SIGKILL ? "signal 9" : "exit " + std::to_string(128 + signal));
      EXPECT_EQ(said, signal == SIGKILL ? "" : "Interrupted\n");
    }
    if (signal != SIGKILL) {  // SIGKILL leaves them to the next run
      EXPECT_EQ(testing::TemporaryNamesBelow(run.root()), Names{});
    }
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
    EXPECT_EQ(Ended(Start(run.root(), home.Path("err"))), "exit 0") << home.ReadFile("err");
    length = std::min(length, Clock::now() - start);
    ::kill(live, SIGKILL);
    Ended(live);
    EXPECT_EQ(testing::TemporaryNamesBelow(run.root()), Names{kept});
    EXPECT_EQ(Differences(run, album, false), Names{});
  }
  EXPECT_GE(stopped, 4) << "most signals must fall within a run";
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptTest, ::testing::Range(0, 4), [](const auto& info) {
  return std::string("SIG") + sigabbrev_np(kSignals[info.param]);
});

}  // namespace
}  // namespace snapnook
