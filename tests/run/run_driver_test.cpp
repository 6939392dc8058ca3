#include "run/run_driver.h"
#include "album/page_names.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/fake_window.h"
#include "support/temp_tree.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::FakeWindow;
using testing::MemorySettings;
using testing::TempTree;
using testing::WriteTestJpeg;

class RunDriverTest : public ::testing::Test {
 protected:
  RunDriverTest() {
    session.state.LoadedCopyrightLink = "http://www.korvell.example";
    session.current_year = [] { return 2026; };
    window.source_dir = tree.root();
  }

  void AddPictures(const std::string& set, int count) {
    tree.MakeDir(set + "/BIG");
    for (int i = 1; i <= count; ++i) {
      WriteTestJpeg(tree.Path(set + "/BIG/P" + std::to_string(i) + ".JPG"), 64, 48);
    }
  }

  std::vector<std::string> Events(const std::string& prefix) const {
    std::vector<std::string> found;
    std::copy_if(window.events.begin(), window.events.end(), std::back_inserter(found),
                 [&](const std::string& e) { return e.starts_with(prefix); });
    return found;
  }

  TempTree tree;
  FakeWindow window;
  RealFileSystem fs;
  MemorySettings settings;
  Session session{window, fs, settings};
};

TEST(PagesFor, TenPicturesAPageWithAPartFilledLastPageCounted) {
  EXPECT_EQ(PagesFor(0), 0);
  EXPECT_EQ(PagesFor(1), 1);
  EXPECT_EQ(PagesFor(10), 1);
  EXPECT_EQ(PagesFor(11), 2);
  EXPECT_EQ(PagesFor(25), 3);
  EXPECT_EQ(PagesFor(32767), 3277);
}

TEST_F(RunDriverTest, CountingPassSetsPageCountAndProgressRangeTheSameOnEveryRun) {
  AddPictures("SET1", 7);
  AddPictures("SET2", 4);
  window.checked[CheckBox::kCreateJpg] = false;
  window.checked[CheckBox::kCreateHtml] = false;
  for (int run = 0; run < 2; ++run) {
    RunCreatePictures(session);
    EXPECT_EQ(session.state.PicturesOnPage, 11);
    EXPECT_EQ(session.state.PageCount, 2);
  }
  EXPECT_EQ(Events("progress max"),
            (std::vector<std::string>{"progress max 11", "progress max 11"}));
  // Neither box: no build, the bar was shown and hidden, the closing question was asked.
  EXPECT_FALSE(tree.Exists("SET1/P1.JPG"));
  EXPECT_FALSE(window.progress_visible);
  EXPECT_TRUE(window.progress_ever_shown);
  EXPECT_EQ(window.messages.size(), 2u);
  EXPECT_EQ(window.messages[0].title, "HTML was created successfully");
  EXPECT_EQ(window.messages[0].prompt, "Do you want to exit the program?");
  EXPECT_EQ(window.messages[0].code, 36);
}

TEST_F(RunDriverTest, EmptySourceFolderStoresSettingsThenShowsItsMessageOnly) {
  window.source_dir = "";
  window.copyright = "Harbour Camera Club";
  RunCreatePictures(session);
  EXPECT_EQ(settings.values["Korvell/Snapnook/copyright"], "Harbour Camera Club");
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].prompt, "Souce directory must be specified.");
  EXPECT_EQ(window.messages[0].title, "No Source Directory");
  EXPECT_EQ(window.messages[0].code, 16);
  EXPECT_FALSE(window.progress_ever_shown);
  EXPECT_FALSE(window.busy);
  EXPECT_EQ(Events("enable"),
            (std::vector<std::string>{"enable Cancel 0", "enable Load 0", "enable HelpAbout 0",
                                      "enable Load 1", "enable HelpAbout 1", "enable Cancel 1"}));
}

TEST_F(RunDriverTest, ASourceFolderThatDoesNotExistIsReportedAndNothingRuns) {
  for (const std::string& source : {tree.Path("nowhere"), std::string(" ")}) {
    window.messages.clear();
    window.source_dir = source;
    RunCreatePictures(session);
    ASSERT_EQ(window.messages.size(), 1u) << source;
    EXPECT_EQ(window.messages[0].prompt, "Source directory does not exist.");
    EXPECT_EQ(window.messages[0].title, "No Source Directory");
    EXPECT_EQ(window.messages[0].code, 16);
  }
  EXPECT_FALSE(window.progress_ever_shown);
  EXPECT_FALSE(window.busy);
  EXPECT_TRUE(window.enabled[Button::kLoad] && window.enabled[Button::kCancel] &&
              window.enabled[Button::kHelpAbout]);
  EXPECT_FALSE(tree.Exists("nowhere"));
}

TEST_F(RunDriverTest, SettingsAreWrittenOnlyWhenTheyDiffer) {
  RunCreatePictures(session);  // "Korvell" and the loaded link: nothing stored
  EXPECT_EQ(settings.writes, 0);

  window.copyright = "korvell";  // other letter case counts as different
  window.copyright_link = "terms.html";
  RunCreatePictures(session);
  EXPECT_EQ(settings.values["Korvell/Snapnook/copyright"], "korvell");
  EXPECT_EQ(settings.values["Korvell/Snapnook/copyrightLink"], "terms.html");
  EXPECT_EQ(settings.writes, 2);
  // The loaded link keeps its start-up value: the next run stores the link again.
  EXPECT_EQ(session.state.LoadedCopyrightLink, "http://www.korvell.example");

  window.copyright = "Korvell";  // a stored holder survives a run with the maker's name
  window.copyright_link = "http://www.korvell.example";
  RunCreatePictures(session);
  EXPECT_EQ(settings.values["Korvell/Snapnook/copyright"], "korvell");
  EXPECT_EQ(settings.writes, 2);
}

TEST_F(RunDriverTest, BothBoxesRunTwoBuildsAndLeaveCreateJpgsUnticked) {
  AddPictures("SET1", 3);
  window.checked[CheckBox::kCreate640] = false;
  RunCreatePictures(session);
  EXPECT_TRUE(tree.Exists("SET1/P1.JPG"));
  EXPECT_TRUE(tree.Exists("SET1/Thumb/P3.JPG"));
  EXPECT_FALSE(window.checked[CheckBox::kCreateJpg]);
  EXPECT_EQ(Events("uncheck"), std::vector<std::string>{"uncheck CreateJPG"});
  // Both builds advance the progress from zero: three pictures of BIG, then in the HTML pass
  // three of BIG and three album pictures in the set folder.
  EXPECT_EQ(session.state.ProgressCount, 6);
  EXPECT_TRUE(window.UnexpectedErrors().empty());
}

TEST_F(RunDriverTest, OnlyCreateJpgsRunsOneDeriveBuildAndKeepsTheBox) {
  AddPictures("SET1", 2);
  window.checked[CheckBox::kCreateHtml] = false;
  RunCreatePictures(session);
  EXPECT_TRUE(tree.Exists("SET1/640/P2.JPG"));
  EXPECT_TRUE(window.checked[CheckBox::kCreateJpg]);
  EXPECT_TRUE(Events("uncheck").empty());
}

TEST_F(RunDriverTest, CheckBoxesAreReadWhenTheRunReachesThem) {
  AddPictures("SET1", 2);
  window.checked[CheckBox::kCreateHtml] = false;
  // The user ticks "Create HTML" while the derive build runs: the second build runs too.
  window.on_do_events = [](FakeWindow& w) { w.checked[CheckBox::kCreateHtml] = true; };
  RunCreatePictures(session);
  EXPECT_EQ(Events("uncheck"), std::vector<std::string>{"uncheck CreateJPG"});
}

TEST_F(RunDriverTest, ButtonsAreDisabledDuringTheRunAndTheBusyPointerShown) {
  AddPictures("SET1", 1);
  bool seen_disabled = false;
  window.on_do_events = [&](FakeWindow& w) {
    seen_disabled = !w.enabled[Button::kLoad] && !w.enabled[Button::kCancel] &&
                    !w.enabled[Button::kHelpAbout] && w.busy;
  };
  RunCreatePictures(session);
  EXPECT_TRUE(seen_disabled);
  EXPECT_FALSE(window.busy);
  EXPECT_TRUE(window.enabled[Button::kLoad]);
}

TEST_F(RunDriverTest, YesAtTheClosingQuestionEndsTheProgramAtOnce) {
  window.default_answer = kMsgAnswerYes;
  RunCreatePictures(session);
  EXPECT_TRUE(window.ended);
  EXPECT_EQ(window.events.back(), "end");
  EXPECT_FALSE(window.enabled[Button::kLoad]);

  FakeWindow other;
  other.source_dir = tree.root();
  Session no_session{other, fs, settings};
  RunCreatePictures(no_session);  // answered No
  EXPECT_FALSE(other.ended);
  EXPECT_TRUE(other.enabled[Button::kLoad] && other.enabled[Button::kCancel]);
}

TEST_F(RunDriverTest, ErrorsInsideTheWalkAreShownAndTheRunStillEnds) {
  AddPictures("SET1", 2);
  tree.WriteFile("SET1/BIG/P0.JPG", "not a picture");
  window.checked[CheckBox::kCreateHtml] = false;
  RunCreatePictures(session);
  EXPECT_EQ(window.UnexpectedErrors(), std::vector<std::string>{"Error: 481 - Invalid picture: " +
                                                                tree.Path("SET1/BIG/P0.JPG")});
  // The folder's walk ended at the bad picture (first in natural order).
  EXPECT_FALSE(tree.Exists("SET1/P1.JPG"));
  EXPECT_EQ(window.messages.back().title, "HTML was created successfully");
}

}  // namespace
}  // namespace snapnook
