// The main window of snapnook-batch: the run's fields from the command line, its messages as
// lines on standard error and a progress bar on a terminal.
#pragma once

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/main_window.h"

namespace snapnook {

class TerminalWindow : public MainWindow {
 public:
  struct Fields {
    std::string source_dir;
    std::string title;
    std::string copyright;
    std::string copyright_link;
    bool create_jpg = true;
    bool create_640 = true;
    bool create_html = true;
    bool modern = false;
  };

  /// Messages go to `err`, report lines to `out`; a progress bar is drawn on `err` when
  /// `progress` is true.
  TerminalWindow(Fields fields, std::FILE* err, bool progress, std::FILE* out = stdout);

  /// Clears the progress line, if one is drawn.
  void FinishProgress();

  std::string SourceDir() override { return fields_.source_dir; }
  std::string Title() override { return fields_.title; }
  std::string Copyright() override { return fields_.copyright; }
  std::string CopyrightLink() override { return fields_.copyright_link; }
  bool IsChecked(CheckBox box) override;
  void Uncheck(CheckBox box) override;
  void SetButtonEnabled(Button, bool) override {}
  void SetStatusText(const std::string& text) override;
  void SetProgressVisible(bool visible) override;
  void SetProgressMax(float max) override;
  float ProgressMax() override { return progress_max_; }
  void SetProgressValue(float value) override;
  int ShowMessage(const std::string& prompt, const std::string& title, int code) override;
  /// Stops the run (RunInterrupted) once an interrupting signal was caught.
  void DoEvents() override;
  void SetBusyPointer(bool) override {}
  void EndProgram() override {}
  void Report(const std::string& line) override;

 private:
  void Draw(bool force);

  Fields fields_;
  std::FILE* err_;
  std::FILE* out_;
  bool progress_;
  bool visible_ = false;
  bool drawn_ = false;
  bool message_shown_ = false;
  float progress_max_ = 0;
  float progress_value_ = 0;
  std::string status_;
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace snapnook
