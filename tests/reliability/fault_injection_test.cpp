// Injected I/O faults: a whole run with every box ticked is repeated with each of its file
// operations made to fail in turn (ENOSPC, EACCES and EIO by turns), and every time nothing may
// be lost, half-written or passed over in silence.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <set>

#include "core/traps.h"
#include "reliability/reliability_support.h"
#include "support/faulty_file_system.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::TempTree;
using testing::WholeRun;
using Lines = std::vector<std::string>;
using namespace testing::faults;

// Whether the program lets this operation fail without a message: creating the output
// folders, copying the viewer pages, the driver's probe of the source folder, the walk with
// which a build that writes pages first counts the album's pictures (its own walk then meets
// the same failure and shows it), and the listings of a case-blind folder lookup (a failed
// lookup means "not there"). Every walk starts by listing the source folder with "/": the
// first is the counting pass, then each build counts and walks; within a walk each folder is
// listed once, first, so a later listing of the same folder is a lookup.
bool SilentByDesign(const std::vector<FsCall>& calls, size_t index, const std::string& source) {
  const FsCall& call = calls[index];
  const auto walk_start = [&](size_t i) {
    return calls[i].op == FsOp::kListEntries && calls[i].path == source + "/";
  };
  int walk = -1;
  for (size_t i = 0; i <= index; ++i) walk += walk_start(i);
  const bool counting_album = walk % 2 == 1;
  if (call.op == FsOp::kCreateDirectory) return true;
  if (call.op == FsOp::kReadFile) return call.path.starts_with(source + "/../default/");
  if (call.op == FsOp::kListFiles) return counting_album;
  if (call.op != FsOp::kListEntries) {  // creating a file, writing it or putting it in place
    return call.path == source + "/show480.html" || call.path == source + "/show640.html";
  }
  if (call.path == source) return index == 0;  // the probe
  if (counting_album) return true;
  for (size_t i = index; i-- > 0 && !walk_start(i + 1);) {
    if (calls[i].op == FsOp::kListEntries && calls[i].path == call.path) return true;
  }
  return false;
}

// The points are walked in shards, so that they run in parallel; every shard makes the clean
// run itself and walks every kShards-th point.
constexpr int kShards = 8;
class FaultInjectionTest : public ::testing::TestWithParam<int> {};

TEST_P(FaultInjectionTest, EveryFailingOperationIsShownOrIgnoredByDesignAndNothingIsLost) {
  FaultyFileSystem faulty;
  // The album of a run that never failed, and the operations it made, of every kind.
  auto clean = testing::FreshTree("reliability/fault_tree.txt");
  const std::string clean_source = clean->Path("album");
  faulty.FailNever();
  WholeRun baseline(faulty, clean_source, 1);
  baseline.Run();
  ASSERT_TRUE(baseline.window.messages.empty()) << baseline.window.messages[0].prompt;
  const std::vector<FsCall> calls = faulty.calls();
  const auto album = clean->Snapshot("album");
  ASSERT_TRUE(album.contains("album/page01.htm") && album.contains("album/show640.html") &&
              album.contains("album/SET1/640/sideways/B.JPG"));
  std::set<FsOp> kinds;
  for (const FsCall& call : calls) kinds.insert(call.op);
  ASSERT_EQ(kinds.size(), 7u) << "an operation of some kind is never reached";

  for (size_t index = GetParam(); index < calls.size(); index += kShards) {
    const int err = std::vector{ENOSPC, EACCES, EIO}[index % 3];
    SCOPED_TRACE("#" + std::to_string(index + 1) + " " + FsOpName(calls[index].op) + " " +
                 calls[index].path + " (" + std::strerror(err) + ")");
    auto tree = testing::FreshTree("reliability/fault_tree.txt");
    const std::string source = tree->Path("album");
    faulty.FailAt(static_cast<long>(index) + 1, err);
    WholeRun run(faulty, source, 1);
    run.Run();

    // The run got to its end, the same operation failed, and it was shown unless the program
    // ignores it; nothing else was shown.
    EXPECT_TRUE(run.window.enabled[Button::kLoad] && !run.window.progress_visible &&
                !run.window.busy)
        << "the run did not end cleanly";
    ASSERT_TRUE(faulty.failed() && faulty.failed()->op == calls[index].op)
        << "another operation failed, or none: the run is not repeatable";
    const Lines shown = run.window.UnexpectedErrors();
    EXPECT_EQ(shown.size(), run.window.messages.size()) << run.window.messages[0].title;
    EXPECT_EQ(shown, Lines(shown.size(), WalkErrorText(*faulty.failure())));
    EXPECT_EQ(shown.empty(), SilentByDesign(calls, index, clean_source));

    // Nothing half-written: no temporary names; every file is the one a clean run makes, but
    // for a page, which may be any whole one; no file a clean run does not make; BIG whole.
    EXPECT_EQ(testing::TemporaryNamesBelow(*tree), Lines{});
    EXPECT_EQ(testing::Differences(*tree, "album", album, true), Lines{});

    // A second run without the fault makes the album of a run that never failed.
    faulty.FailNever();
    WholeRun again(faulty, source, 1);
    again.Run();
    EXPECT_TRUE(again.window.messages.empty()) << again.window.messages[0].prompt;
    EXPECT_EQ(testing::Differences(*tree, "album", album, false), Lines{});
    if (HasFailure()) return;  // the first point that fails is enough to look into
  }
}

INSTANTIATE_TEST_SUITE_P(Shards, FaultInjectionTest, ::testing::Range(0, kShards));

}  // namespace
}  // namespace snapnook
