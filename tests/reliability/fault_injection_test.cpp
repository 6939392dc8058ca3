// Injected I/O faults: a whole run with every box ticked is repeated with each of its file
// operations made to fail in turn, and every time nothing may be lost, half-written or passed
// over in silence.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <set>

#include "core/traps.h"
#include "reliability/reliability_support.h"
#include "support/faulty_file_system.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::CopyTree;
using testing::Originals;
using testing::TemporaryNamesBelow;
using testing::TempTree;
using testing::WholeRun;
using testing::WriteTestJpeg;
using testing::faults::FaultyFileSystem;
using testing::faults::FsCall;
using testing::faults::FsOp;
using testing::faults::FsOpName;

constexpr int kErrnos[] = {ENOSPC, EACCES, EIO};

// The source tree every run starts from: two sets, one with a portrait picture and its
// sideways copy, one with a landscape picture in a BIG folder without a sideways folder (whose
// lookup lists the folder), and the viewer pages in a `default` folder beside the album.
class FaultTreeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    input_ = new TempTree;
    input_->WriteFile("default/show480.html", "<html>480</html>\r\n");
    input_->WriteFile("default/show640.html", "<html>640</html>\r\n");
    input_->MakeDir("album/SET1/BIG/sideways");
    input_->MakeDir("album/SET2/BIG");
    // Pictures the size of the screen copy are the quickest to derive.
    WriteTestJpeg(input_->Path("album/SET1/BIG/B.JPG"), 480, 640);
    WriteTestJpeg(input_->Path("album/SET1/BIG/sideways/B.JPG"), 640, 480);
    WriteTestJpeg(input_->Path("album/SET2/BIG/C.jpg"), 640, 480);
  }
  static void TearDownTestSuite() {
    delete input_;
    input_ = nullptr;
  }

  // A fresh copy of the source tree.
  static std::unique_ptr<TempTree> FreshTree() {
    auto tree = std::make_unique<TempTree>();
    CopyTree(input_->root(), tree->root());
    return tree;
  }

  static TempTree* input_;
};

TempTree* FaultTreeTest::input_ = nullptr;

// The points are walked in shards, so that they run in parallel; every shard first makes the
// clean run itself and walks every kShards-th point.
constexpr int kShards = 8;

class FaultInjectionTest : public FaultTreeTest, public ::testing::WithParamInterface<int> {};

// Whether the design lets this operation fail without a message: creating the output folders,
// copying the viewer pages, the driver's probe of the source folder, the walk with which a
// build that writes pages first counts the album's pictures (it shows nothing; its walk
// then meets the same failure and shows it), and the listings a case-blind folder lookup
// makes (a failed lookup means "not there"). Every walk starts by listing the source folder
// with "/": the first is the counting pass, then each build counts and walks; within a walk
// each folder is listed once, first, so a later listing of the same folder is a lookup.
bool SilentByDesign(const std::vector<FsCall>& calls, size_t index, const std::string& source,
                    const std::string& default_folder) {
  const FsCall& call = calls[index];
  const auto viewer_page = [&](const std::string& path) {
    return path == source + "/show480.html" || path == source + "/show640.html";
  };
  const auto walk_start = [&](size_t i) {
    return calls[i].op == FsOp::kListEntries && calls[i].path == source + "/";
  };
  int walk = -1;
  for (size_t i = 0; i <= index; ++i) walk += walk_start(i) ? 1 : 0;
  const bool counting_album = walk % 2 == 1;
  switch (call.op) {
    case FsOp::kCreateDirectory:
      return true;
    case FsOp::kReadFile:
      return call.path.starts_with(default_folder + "/");
    case FsOp::kCreateFile:
    case FsOp::kWrite:
    case FsOp::kCommit:
      return viewer_page(call.path);
    case FsOp::kListEntries: {
      if (call.path == source) return index == 0;  // the probe
      if (counting_album) return true;
      for (size_t i = index; i-- > 0 && !walk_start(i + 1);) {
        if (calls[i].op == FsOp::kListEntries && calls[i].path == call.path) return true;
      }
      return false;
    }
    case FsOp::kListFiles:
      return counting_album;
  }
  return false;
}

std::string Describe(long n, int err, const FsCall& call) {
  return "#" + std::to_string(n) + " " + FsOpName(call.op) + " " + call.path + " (" +
         std::strerror(err) + ")";
}

TEST_P(FaultInjectionTest, EveryFailingOperationIsShownOrIgnoredByDesignAndNothingIsLost) {
  FaultyFileSystem faulty;

  // The album of a run that never failed, and the operations it made.
  auto clean = FreshTree();
  const std::string clean_source = clean->Path("album");
  faulty.FailNever();
  WholeRun baseline(faulty, clean_source, 1);
  baseline.Run();
  ASSERT_TRUE(baseline.window.messages.empty()) << baseline.window.messages[0].prompt;
  const std::vector<FsCall> calls = faulty.calls();
  const auto album = clean->Snapshot("album");
  ASSERT_TRUE(album.contains("album/page01.htm"));
  ASSERT_TRUE(album.contains("album/show640.html"));
  ASSERT_TRUE(album.contains("album/SET1/640/sideways/B.JPG"));
  std::map<FsOp, int> by_kind;
  for (const FsCall& call : calls) ++by_kind[call.op];
  for (FsOp op : {FsOp::kListEntries, FsOp::kListFiles, FsOp::kCreateDirectory, FsOp::kReadFile,
                  FsOp::kCreateFile, FsOp::kWrite, FsOp::kCommit}) {
    EXPECT_GT(by_kind[op], 0) << FsOpName(op) << " is never reached";
  }

  std::vector<std::string> problems;
  long walked = 0;
  for (size_t index = GetParam(); index < calls.size(); index += kShards) {
    const long n = static_cast<long>(index) + 1;
    const int err = kErrnos[index % 3];
    auto tree = FreshTree();
    const std::string source = tree->Path("album");
    const auto report = [&](const std::string& what) {
      problems.push_back(Describe(n, err, calls[index]) + ": " + what);
    };

    faulty.FailAt(n, err);
    WholeRun run(faulty, source, 1);
    run.Run();
    ++walked;

    // The run got to its end and the same operation was made to fail.
    if (!run.window.enabled[Button::kLoad] || run.window.progress_visible || run.window.busy) {
      report("the run did not end cleanly");
    }
    const std::optional<FsCall> failed = faulty.failed();
    if (!failed) {
      report("the operation was never reached: the run is not repeatable");
      continue;
    }
    if (failed->op != calls[index].op) report("another operation failed");

    // The failure was shown, unless the design ignores it; nothing else was.
    const std::string shown = WalkErrorText(*faulty.failure());
    int times = 0;
    for (const testing::ShownMessage& message : run.window.messages) {
      if (message.prompt == shown && message.title == kUnexpectedErrorTitle) {
        ++times;
      } else {
        report("unexpected message: " + message.title + ": " + message.prompt);
      }
    }
    const bool silent = SilentByDesign(calls, index, clean_source, clean_source + "/../default");
    if (!silent && times == 0) report("the failure was not shown");
    if (silent && times > 0) report("a failure the design ignores was shown");

    // Nothing half-written: no temporary names; every derived picture is the one a clean run
    // makes; every page is whole; no file a clean run does not make.
    for (const std::string& temp : TemporaryNamesBelow(tree->root())) {
      report("temporary file left: " + temp);
    }
    for (const auto& [path, content] : tree->Snapshot("album")) {
      const auto expected = album.find(path);
      if (expected == album.end()) {
        report("file a clean run does not make: " + path);
      } else if (path.ends_with(".htm") || path.ends_with(".html")) {
        if (!content.ends_with("</html>\r\n")) report("page not whole: " + path);
      } else if (content != expected->second) {
        report("file differs from a clean run's: " + path);
      }
    }
    if (Originals(*tree, "album") != Originals(*input_, "album")) report("BIG changed");

    // A second run without the fault makes the album of a run that never failed.
    faulty.FailNever();
    WholeRun again(faulty, source, 1);
    again.Run();
    if (!again.window.messages.empty()) {
      report("second run showed: " + again.window.messages[0].prompt);
    }
    if (tree->Snapshot("album") != album) report("second run's album differs");
  }

  std::cout << "[ fault injection ] shard " << GetParam() + 1 << " of " << kShards << ": " << walked
            << " of " << calls.size() << " points walked, " << problems.size() << " problems\n";
  RecordProperty("points_walked", static_cast<int>(walked));
  EXPECT_EQ(walked, (static_cast<long>(calls.size()) - GetParam() + kShards - 1) / kShards);
  EXPECT_TRUE(problems.empty()) << problems.size() << " problems, first: " << problems.front();
  for (size_t i = 0; i < problems.size() && i < 40; ++i) ADD_FAILURE() << problems[i];
}

INSTANTIATE_TEST_SUITE_P(Shards, FaultInjectionTest, ::testing::Range(0, kShards));

TEST_F(FaultTreeTest, ASourceFolderTheBuildCannotListIsShownAndTheAlbumStillFinished) {
  FaultyFileSystem faulty;
  auto clean = FreshTree();
  faulty.FailNever();
  WholeRun(faulty, clean->Path("album"), 1).Run();
  // The builds' own listings of the source folder as typed; the probe is the first.
  const std::vector<FsCall> calls = faulty.calls();
  std::vector<long> listings;
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].op == FsOp::kListEntries && calls[i].path == clean->Path("album")) {
      listings.push_back(static_cast<long>(i) + 1);
    }
  }
  ASSERT_EQ(listings.size(), 3u);  // the probe and the two builds

  auto tree = FreshTree();
  const std::string source = tree->Path("album");
  faulty.FailAt(listings[2], EIO);  // the HTML pass
  WholeRun run(faulty, source, 1);
  run.Run();
  EXPECT_EQ(run.window.UnexpectedErrors(),
            std::vector<std::string>{"Error: 75 - Path/File access error: " + source});
  EXPECT_TRUE(tree->ReadFile("album/page00.htm").ends_with("</html>\r\n"));
  EXPECT_TRUE(TemporaryNamesBelow(tree->root()).empty());
}

}  // namespace
}  // namespace snapnook
