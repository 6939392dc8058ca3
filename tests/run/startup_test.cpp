// Start-up without a window: defaults, remembered settings, the splash wait and the order of
// the load handler's steps.
#include "run/startup.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_tree.h"

namespace snapnook {
namespace {

using testing::MemorySettings;

constexpr const char* kMakerSite = "http://www.korvell.example";

// Records what start-up does to the window. Time passes only while the splash waits: each
// turn of the event loop advances the clock by `step` seconds.
class RecordingWindow : public StartupWindow {
 public:
  explicit RecordingWindow(RunState& state) : state_(state) {}

  std::vector<std::string> events;
  std::string caption = "Create Picture JPGs";
  std::string copyright = "(created)";
  std::string link = "(created)";
  double now = 0;
  double step = 0.01;
  int turns = 0;
  bool close_fails = false;
  /// Runs at each turn, after the clock advanced: the user acting during the wait.
  std::function<void(int turn)> on_turn;
  /// Runs when the splash is shown, after it cleared the flag.
  std::function<void()> on_show;

  SecondsClock Clock() {
    return [this] { return now; };
  }

  void SetCaption(const std::string& text) override {
    caption = text;
    events.push_back("caption " + text);
  }
  void SetCopyrightText(const std::string& text) override {
    copyright = text;
    events.push_back("copyright " + text);
  }
  void SetCopyrightLinkText(const std::string& text) override {
    link = text;
    events.push_back("link " + text);
  }
  void ShowSplash() override {
    state_.SplashDismissed = false;
    events.push_back("show splash");
    if (on_show) on_show();
  }
  void CloseSplash() override {
    events.push_back("close splash");
    if (close_fails) throw std::runtime_error("the splash is gone");
  }
  void SetBusyPointer(bool busy) override { events.push_back(busy ? "busy" : "default pointer"); }
  void SplashWaitTurn() override {
    ++turns;
    now += step;
    if (on_turn) on_turn(turns);
  }

 private:
  RunState& state_;
};

void Store(MemorySettings& settings, const std::string& key, const std::string& value) {
  settings.values["Korvell/Snapnook/" + key] = value;
}

class StartupTest : public ::testing::Test {
 protected:
  RunState state;
  MemorySettings settings;
  RecordingWindow window{state};

  void Load() {
    SetDefaults(state, window);
    LoadSettings(state, settings, window);
  }
};

TEST_F(StartupTest, FirstStartShowsTheBuiltInValues) {
  Load();
  EXPECT_EQ(window.copyright, "Korvell");
  EXPECT_EQ(window.link, kMakerSite);
  EXPECT_EQ(state.LoadedCopyrightLink, kMakerSite);
  EXPECT_EQ(state.ProductName, "Snapnook");
  EXPECT_EQ(settings.writes, 0);
}

TEST_F(StartupTest, StoredHolderAndLinkReplaceBothFields) {
  Store(settings, "copyright", "Anna Berg");
  Store(settings, "copyrightLink", "https://anna.example/photos");
  Load();
  EXPECT_EQ(window.copyright, "Anna Berg");
  EXPECT_EQ(window.link, "https://anna.example/photos");
  // The stored link is what a later run compares the field against.
  EXPECT_EQ(state.LoadedCopyrightLink, "https://anna.example/photos");
}

TEST_F(StartupTest, StoredHolderAloneChangesOnlyTheHolder) {
  Store(settings, "copyright", "Anna Berg");
  Load();
  EXPECT_EQ(window.copyright, "Anna Berg");
  EXPECT_EQ(window.link, kMakerSite);
  EXPECT_EQ(state.LoadedCopyrightLink, kMakerSite);
}

TEST_F(StartupTest, StoredMarkerCountsAsAbsentButAnEmptyValueIsAValue) {
  Store(settings, "copyright", "<empty>");
  Store(settings, "copyrightLink", "");
  Load();
  EXPECT_EQ(window.copyright, "Korvell");
  EXPECT_EQ(window.link, "");
  EXPECT_EQ(state.LoadedCopyrightLink, "");

  Store(settings, "copyright", "");
  Store(settings, "copyrightLink", "<empty>");
  Load();
  EXPECT_EQ(window.copyright, "");
  EXPECT_EQ(window.link, kMakerSite);
  EXPECT_EQ(state.LoadedCopyrightLink, kMakerSite);
}

// The wait ends at the start time plus two seconds, rounded to a whole second with halves
// going to the even number: so between 1.5 and 2.5 seconds.
TEST_F(StartupTest, SplashWaitsUntilTheRoundedDeadline) {
  struct Case {
    double start;
    double expected_end;
  };
  const Case cases[] = {{10.25, 12.0}, {10.5, 12.0}, {11.5, 14.0},
                        {0.0, 2.0},    {7.75, 10.0}, {86399.5, 86402.0}};
  for (const Case& c : cases) {
    RunState run_state;
    RecordingWindow w(run_state);
    w.now = c.start;
    w.step = 0.125;
    WaitForSplash(run_state, w.Clock(), w);
    SCOPED_TRACE(c.start);
    EXPECT_DOUBLE_EQ(w.now, c.expected_end);
    EXPECT_GE(w.now - c.start, 1.5);
    EXPECT_LE(w.now - c.start, 2.5);
  }
}

TEST_F(StartupTest, DismissingTheSplashEndsTheWaitAtOnce) {
  window.now = 100.25;
  window.on_turn = [&](int turn) {
    if (turn == 3) state.SplashDismissed = true;
  };
  WaitForSplash(state, window.Clock(), window);
  EXPECT_EQ(window.turns, 3);
}

TEST_F(StartupTest, LoadHandlerRunsItsStepsInOrder) {
  Store(settings, "copyright", "Anna Berg");
  window.now = 5.0;
  window.step = 0.5;
  StartUp(state, settings, window, window.Clock());
  const std::vector<std::string> expected = {
      "copyright Korvell",   "link http://www.korvell.example",
      "copyright Anna Berg", "caption Snapnook",
      "show splash",         "busy",
      "close splash",        "default pointer"};
  EXPECT_EQ(window.events, expected);
  EXPECT_EQ(window.turns, 4);  // 5.0 + 2 = 7: four half-second turns
  EXPECT_EQ(window.caption, "Snapnook");
}

TEST_F(StartupTest, SplashDismissedBeforeTheWaitIsNeitherWaitedForNorClosed) {
  window.on_show = [&] { state.SplashDismissed = true; };
  StartUp(state, settings, window, window.Clock());
  EXPECT_EQ(window.turns, 0);
  EXPECT_EQ(std::count(window.events.begin(), window.events.end(), "close splash"), 0);
  EXPECT_EQ(window.events.back(), "default pointer");
}

TEST_F(StartupTest, FailureToCloseTheSplashIsIgnored) {
  window.close_fails = true;
  window.on_turn = [&](int turn) {
    if (turn == 2) state.SplashDismissed = true;
  };
  ASSERT_NO_THROW(StartUp(state, settings, window, window.Clock()));
  EXPECT_EQ(window.events.back(), "default pointer");
  EXPECT_EQ(window.turns, 2);
}

}  // namespace
}  // namespace snapnook
