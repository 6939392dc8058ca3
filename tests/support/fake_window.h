// A scripted main window for tests: fields to set, a record of what a run or start-up showed.
#pragma once

#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/main_window.h"
#include "core/run_state.h"
#include "run/startup.h"

namespace snapnook::testing {

/// A message box the run showed.
struct ShownMessage {
  std::string prompt;
  std::string title;
  int code = 0;
};

/// Implements the MainWindow port, and start-up's window, in memory. Fields start as the real
/// window's do (all boxes ticked). Every call that changes what the window shows is also
/// appended to `events` as a short line ("message TITLE: PROMPT", "enable Load 0",
/// "progress 3", "close splash at 12", ...), so that a test can check what came in which order.
class FakeWindow : public MainWindow, public StartupWindow {
 public:
  std::string source_dir, title, status_text;
  std::string copyright = "Korvell";
  std::string copyright_link = "http://www.korvell.example";
  std::map<CheckBox, bool> checked{
      {CheckBox::kCreateJpg, true}, {CheckBox::kCreate640, true}, {CheckBox::kCreateHtml, true}};
  std::map<Button, bool> enabled{
      {Button::kLoad, true}, {Button::kCancel, true}, {Button::kHelpAbout, true}};
  bool progress_visible = false, busy = false;
  float progress_max = 100;
  std::vector<ShownMessage> messages;
  std::vector<std::string> events;

  /// The answer to every message box.
  int default_answer = kMsgAnswerNo;
  /// Runs at every turn of the event loop: a test's "user" acting during a run.
  std::function<void(FakeWindow&)> on_do_events;

  /// The splash: its clock in seconds (each turn of its wait adds 0.125), the run state whose
  /// SplashDismissed it sets, and the turn of the wait at which the user dismisses it (0: as it
  /// shows, -1: never). A dismissed splash is gone: closing it fails.
  double now = 0;
  RunState* state = nullptr;
  int dismiss_at = -1;

  std::string SourceDir() override { return source_dir; }
  std::string Title() override { return title; }
  std::string Copyright() override { return copyright; }
  std::string CopyrightLink() override { return copyright_link; }
  bool IsChecked(CheckBox box) override { return checked[box]; }
  void Uncheck(CheckBox box) override {
    checked[box] = false;
    Log("uncheck ", kBoxes[int(box)]);
  }
  void SetButtonEnabled(Button b, bool on) override {
    enabled[b] = on;
    Log("enable ", kButtons[int(b)], on ? " 1" : " 0");
  }
  void SetStatusText(const std::string& text) override { status_text = text; }
  void SetProgressVisible(bool on) override {
    progress_visible = on;
    Log("progress ", on ? "shown" : "hidden");
  }
  void SetProgressMax(float max) override { Log("progress max ", progress_max = max); }
  float ProgressMax() override { return progress_max; }
  void SetProgressValue(float value) override { Log("progress ", value); }
  int ShowMessage(const std::string& prompt, const std::string& title, int code) override {
    messages.push_back({prompt, title, code});
    Log("message ", title, ": ", prompt, " (", code, ")");
    return default_answer;
  }
  void DoEvents() override {
    if (on_do_events) on_do_events(*this);
  }
  void SetBusyPointer(bool on) override { Log((busy = on) ? "busy" : "not busy"); }
  void EndProgram() override { Log("end"); }
  void Report(const std::string& line) override { Log("report ", line); }

  void SetCaption(const std::string& text) override { Log("caption ", text); }
  void SetCopyrightText(const std::string& text) override { Log("copyright ", copyright = text); }
  void SetCopyrightLinkText(const std::string& text) override {
    Log("link ", copyright_link = text);
  }
  void SetModernChecked(bool ticked) override {
    checked[CheckBox::kModern] = ticked;
    Log("modern ", ticked ? "1" : "0");
  }
  void ShowSplash() override {
    Log("show splash");
    turn_ = 0;
    if (state) state->SplashDismissed = dismiss_at == 0;
  }
  void CloseSplash() override {
    Log("close splash at ", now);
    if (state && state->SplashDismissed) throw std::runtime_error("the splash is gone");
  }
  void SplashWaitTurn() override {
    now += 0.125;
    if (state && ++turn_ == dismiss_at) state->SplashDismissed = true;
    DoEvents();
  }

  /// The messages titled "Unexpected Error", as their prompts.
  std::vector<std::string> UnexpectedErrors() const {
    std::vector<std::string> prompts;
    for (const ShownMessage& m : messages)
      if (m.title == "Unexpected Error") prompts.push_back(m.prompt);
    return prompts;
  }

 private:
  static constexpr const char* kBoxes[] = {"CreateJPG", "640", "CreateHTML", "Modern"};
  static constexpr const char* kButtons[] = {"Load", "Cancel", "HelpAbout"};
  int turn_ = 0;

  template <typename... Parts>
  void Log(const Parts&... parts) {
    std::ostringstream line;
    (line << ... << parts);
    events.push_back(line.str());
  }
};

}  // namespace snapnook::testing
