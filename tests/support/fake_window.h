// A scripted main window for tests: fields to set, a record of what a run showed.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/main_window.h"

namespace snapnook::testing {

/// A message box the run showed.
struct ShownMessage {
  std::string prompt;
  std::string title;
  int code = 0;
};

/// Implements the MainWindow port in memory. Fields start as the real window's do (all boxes
/// ticked). Every call that changes what the window shows is also appended to `events` as a
/// short line ("status ...", "message TITLE: PROMPT", "enable Load 0", "progress 3", ...), so a
/// test can check order.
class FakeWindow : public MainWindow {
 public:
  std::string source_dir;
  std::string title;
  std::string copyright = "Korvell";
  std::string copyright_link = "http://www.korvell.example";
  std::map<CheckBox, bool> checked{
      {CheckBox::kCreateJpg, true}, {CheckBox::kCreate640, true}, {CheckBox::kCreateHtml, true}};
  std::map<Button, bool> enabled{
      {Button::kLoad, true}, {Button::kCancel, true}, {Button::kHelpAbout, true}};

  std::string status_text;
  bool progress_visible = false;
  bool progress_ever_shown = false;
  float progress_max = 100;
  float progress_value = 0;
  bool busy = false;
  bool ended = false;
  int do_events_calls = 0;
  int pictures_shown = 0;
  /// The lines the run reported (MainWindow::Report), in order.
  std::vector<std::string> reports;

  std::vector<ShownMessage> messages;
  std::vector<std::string> events;
  std::vector<std::string> status_history;

  /// The answer to every message box; a test may change it or set `answer_for`.
  int default_answer = kMsgAnswerNo;
  std::function<int(const ShownMessage&)> answer_for;
  /// Runs at every turn of the event loop: a test's "user" acting during a run.
  std::function<void(FakeWindow&)> on_do_events;

  std::string SourceDir() override { return source_dir; }
  std::string Title() override { return title; }
  std::string Copyright() override { return copyright; }
  std::string CopyrightLink() override { return copyright_link; }
  bool IsChecked(CheckBox box) override { return checked[box]; }
  void Uncheck(CheckBox box) override;
  void SetButtonEnabled(Button button, bool on) override;
  void SetStatusText(const std::string& text) override;
  void SetProgressVisible(bool visible) override;
  void SetProgressMax(float max) override;
  float ProgressMax() override { return progress_max; }
  void SetProgressValue(float value) override;
  int ShowMessage(const std::string& prompt, const std::string& title, int code) override;
  void DoEvents() override;
  void SetBusyPointer(bool on) override;
  void EndProgram() override;
  void Report(const std::string& line) override { reports.push_back(line); }
  void ShowPictures(std::span<const unsigned char> full_size,
                    std::span<const unsigned char> saved) override;

  /// The messages titled "Unexpected Error", as their prompts.
  std::vector<std::string> UnexpectedErrors() const;
};

}  // namespace snapnook::testing
