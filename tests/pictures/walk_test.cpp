#include "pictures/walk.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "core/error.h"
#include "support/fake_window.h"
#include "support/temp_tree.h"

namespace snapnook {
namespace {

using testing::FakeWindow;
using testing::MemorySettings;
using testing::TempTree;

// Records what the walk hands on, relative to the tree's root; can be told to fail.
class RecordingSteps : public PictureSteps {
 public:
  explicit RecordingSteps(std::string root) : root_(std::move(root) + "/") {}

  std::vector<std::string> calls;
  std::string fail_on;  // a file name whose step throws

  void DerivePictures(const std::string& big_folder, const std::string& file) override {
    calls.push_back("derive " + Relative(big_folder) + file);
    if (file == fail_on) throw InvalidPictureError(big_folder + file);
  }
  void WritePictureCells(const std::string& set_folder, const std::string& file,
                         const std::string& viewer) override {
    calls.push_back("cells " + Relative(set_folder) + file + " " + viewer);
    if (file == fail_on) throw InvalidPictureError(set_folder + file);
  }

 private:
  std::string Relative(const std::string& path) const {
    return path.starts_with(root_) ? path.substr(root_.size()) : path;
  }
  std::string root_;
};

class WalkTest : public ::testing::Test {
 protected:
  void Walk(bool counting = false) {
    session.state.CountingPass = counting;
    std::string folder = tree.root();
    WalkFolder(session, steps, folder, "*.JPG");
    EXPECT_EQ(folder, tree.root() + "/");  // the caller's string gains the separator
  }

  TempTree tree;
  FakeWindow window;
  RealFileSystem fs;
  MemorySettings settings;
  Session session{window, fs, settings};
  RecordingSteps steps{tree.root()};
};

TEST_F(WalkTest, HandsPicturesOnByFolderKindInWalkOrder) {
  tree.WriteFile("loose.JPG", "x");  // directly in the source folder: ignored
  tree.WriteFile("SET1/IMG2.JPG", "x");
  tree.WriteFile("SET1/img10.jpg", "x");
  tree.WriteFile("SET1/notes.txt", "x");
  tree.WriteFile("SET1/BIG/B1.JPG", "x");
  tree.WriteFile("SET1/BIG/sideways/B1.JPG", "x");  // listed and ignored
  tree.WriteFile("SET1/Other/O.JPG", "x");
  tree.WriteFile("SET10/BIG/T.JPG", "x");  // BIG without a set parent still derives
  tree.WriteFile("SET10/S10.JPG", "x");    // SET10 is no set folder
  tree.WriteFile("set2/A.JPG", "x");
  tree.WriteFile("OLDBIG/C.JPG", "x");
  window.checked[CheckBox::kCreate640] = false;

  Walk();
  EXPECT_EQ(steps.calls, (std::vector<std::string>{
                             "derive OLDBIG/C.JPG",
                             "cells SET1/IMG2.JPG big",
                             "cells SET1/img10.jpg big",
                             "derive SET1/BIG/B1.JPG",
                             "cells set2/A.JPG big",
                             "derive SET10/BIG/T.JPG",
                         }));
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(WalkTest, CreatesOutputFoldersOnlyForSetFoldersMetAsSubfolders) {
  tree.MakeDir("SET1/BIG");
  tree.MakeDir("set2");
  tree.MakeDir("SET10/BIG");
  tree.MakeDir("SET1/640");  // already there: no message
  Walk();
  for (const char* made : {"SET1/640/sideways", "SET1/Thumb", "set2/640/sideways", "set2/Thumb"}) {
    EXPECT_TRUE(fs.IsDirectory(tree.Path(made))) << made;
  }
  EXPECT_FALSE(tree.Exists("SET10/Thumb"));
  EXPECT_FALSE(tree.Exists("Thumb"));  // the source folder itself is not tested
  EXPECT_TRUE(window.messages.empty());

  // A set folder chosen as the source folder gets no output folders.
  TempTree set;
  set.MakeDir("SET3/BIG");
  std::string folder = set.Path("SET3");
  WalkFolder(session, steps, folder, "*.JPG");
  EXPECT_FALSE(set.Exists("SET3/Thumb"));
}

TEST_F(WalkTest, PicturesOfAFolderComeBeforeItsSubfoldersWhichComeInNaturalOrder) {
  tree.WriteFile("SET1/BIG/b.JPG", "x");
  tree.WriteFile("SET1/z.JPG", "x");
  tree.WriteFile("SET1/a.JPG", "x");
  tree.WriteFile("SET10x/SET2/BIG/c.JPG", "x");
  tree.WriteFile("SET9/BIG/d.JPG", "x");
  Walk();
  EXPECT_EQ(steps.calls, (std::vector<std::string>{"cells SET1/a.JPG 640", "cells SET1/z.JPG 640",
                                                   "derive SET1/BIG/b.JPG", "derive SET9/BIG/d.JPG",
                                                   "derive SET10x/SET2/BIG/c.JPG"}));
}

TEST_F(WalkTest, CountingPassCountsOnlyBigPicturesAndShowsEveryPictureInTheStatusBar) {
  tree.WriteFile("SET1/a.JPG", "x");
  tree.WriteFile("SET1/BIG/1.JPG", "x");
  tree.WriteFile("SET1/BIG/2.JPG", "x");
  tree.WriteFile("SET1/Thumb/a.JPG", "x");
  tree.WriteFile("x/BIG/3.JPG", "x");
  Walk(/*counting=*/true);
  EXPECT_TRUE(steps.calls.empty());
  EXPECT_EQ(session.state.PicturesOnPage, 3);
  EXPECT_EQ(window.status_history,
            (std::vector<std::string>{tree.Path("SET1/a.JPG"), tree.Path("SET1/BIG/1.JPG"),
                                      tree.Path("SET1/BIG/2.JPG"), tree.Path("x/BIG/3.JPG")}));
}

TEST_F(WalkTest, YieldsToTheEventLoopOncePerEntryAndOncePerPicture) {
  tree.WriteFile("SET1/a.JPG", "x");       // root: 1 entry; SET1: 3 entries + 1 picture
  tree.WriteFile("SET1/BIG/1.JPG", "x");   // BIG: 1 entry + 1 picture
  tree.WriteFile("SET1/readme.txt", "x");  // 640: 1 entry; 640/sideways, Thumb: none
  Walk(/*counting=*/true);
  // root 1; SET1 5 entries (640, BIG, Thumb, a.JPG, readme.txt) + 1 picture; 640 1 entry;
  // BIG 1 entry + 1 picture.
  EXPECT_EQ(window.do_events_calls, 1 + 6 + 1 + 2);
}

TEST_F(WalkTest, ProgressAdvancesPerPictureAndStopsShortOfTheMaximum) {
  for (int i = 1; i <= 3; ++i) tree.WriteFile("SET1/BIG/" + std::to_string(i) + ".JPG", "x");
  window.progress_max = 2;
  Walk();
  EXPECT_EQ(session.state.ProgressCount, 3);
  // Values are set while the maximum is strictly greater than the count.
  EXPECT_EQ(window.progress_value, 1);

  // In an HTML pass without "Create JPGs" the set folders' pictures advance it too.
  window.checked[CheckBox::kCreateJpg] = false;
  session.state.ProgressCount = 0;
  window.progress_max = 100;
  tree.WriteFile("SET1/a.JPG", "x");
  Walk();
  EXPECT_EQ(session.state.ProgressCount, 4);
  EXPECT_EQ(window.progress_value, 4);
}

TEST_F(WalkTest, TheTrapShowsTheErrorAbandonsTheFolderAndItsCallerCarriesOn) {
  tree.WriteFile("SET1/BIG/1.JPG", "x");
  tree.WriteFile("SET1/BIG/2.JPG", "x");          // fails
  tree.WriteFile("SET1/BIG/3.JPG", "x");          // skipped
  tree.WriteFile("SET1/BIG/sub/BIG/4.JPG", "x");  // a subfolder of the abandoned folder: skipped
  tree.WriteFile("SET2/BIG/5.JPG", "x");          // the caller carries on
  steps.fail_on = "2.JPG";
  Walk();
  EXPECT_EQ(steps.calls, (std::vector<std::string>{"derive SET1/BIG/1.JPG", "derive SET1/BIG/2.JPG",
                                                   "derive SET2/BIG/5.JPG"}));
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].title, "Unexpected Error");
  EXPECT_EQ(window.messages[0].prompt,
            "Error: 481 - Invalid picture: " + tree.Path("SET1/BIG/2.JPG"));
  EXPECT_EQ(window.messages[0].code, 0);
}

TEST_F(WalkTest, CountingPastTheSixteenBitLimitIsAnOverflowInTheTrap) {
  tree.WriteFile("SET1/BIG/1.JPG", "x");
  tree.WriteFile("SET1/BIG/2.JPG", "x");
  tree.WriteFile("SET2/BIG/3.JPG", "x");
  session.state.PicturesOnPage = 32766;
  Walk(/*counting=*/true);
  EXPECT_EQ(session.state.PicturesOnPage, 32767);
  // Each folder that tries to count past the limit shows the message and ends.
  EXPECT_EQ(window.UnexpectedErrors(),
            (std::vector<std::string>{"Error: 6 - Overflow", "Error: 6 - Overflow"}));
}

TEST_F(WalkTest, AnUnreadableFolderIsReportedAndTheRestOfTheTreeIsWalked) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  tree.WriteFile("SET1/BIG/1.JPG", "x");
  tree.WriteFile("SET2/BIG/2.JPG", "x");
  ASSERT_EQ(::chmod(tree.Path("SET1/BIG").c_str(), 0), 0);
  Walk();
  EXPECT_EQ(steps.calls, std::vector<std::string>{"derive SET2/BIG/2.JPG"});
  EXPECT_EQ(window.UnexpectedErrors(),
            std::vector<std::string>{"Error: 70 - Permission denied: " + tree.Path("SET1/BIG/")});
}

TEST_F(WalkTest, ALinkBackToAnAncestorIsNotEntered) {
  tree.WriteFile("SET1/BIG/1.JPG", "x");
  ASSERT_EQ(::symlink("..", tree.Path("SET1/BIG/up").c_str()), 0);
  ASSERT_EQ(::symlink(tree.root().c_str(), tree.Path("SET1/root").c_str()), 0);
  tree.WriteFile("other/SET4/BIG/4.JPG", "x");
  ASSERT_EQ(::symlink("../other", tree.Path("SET1/to-other").c_str()), 0);
  Walk();
  // A link to a folder elsewhere is walked; links to ancestors are not.
  EXPECT_EQ(steps.calls,
            (std::vector<std::string>{"derive other/SET4/BIG/4.JPG", "derive SET1/BIG/1.JPG",
                                      "derive SET1/to-other/SET4/BIG/4.JPG"}));
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(WalkTest, ViewerFolderIsChosenPerFolderAtTheStartOfItsPictures) {
  tree.WriteFile("SET1/a.JPG", "x");
  tree.WriteFile("SET1/b.JPG", "x");
  tree.WriteFile("SET2/c.JPG", "x");
  // The user unticks "Create 640x480 files" while SET1's pictures are handled.
  window.on_do_events = [&](FakeWindow& w) {
    if (w.status_text == tree.Path("SET1/a.JPG")) w.checked[CheckBox::kCreate640] = false;
  };
  Walk();
  EXPECT_EQ(steps.calls, (std::vector<std::string>{"cells SET1/a.JPG 640", "cells SET1/b.JPG 640",
                                                   "cells SET2/c.JPG big"}));
}

}  // namespace
}  // namespace snapnook
