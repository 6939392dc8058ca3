// The MainWindow port: everything a run reads from and shows on the main window.
#pragma once

#include <span>
#include <string>

namespace snapnook {

/// Message box codes: buttons and icon.
inline constexpr int kMsgOkOnly = 0;
inline constexpr int kMsgCritical = 16;
inline constexpr int kMsgQuestionYesNo = 36;
/// The answer of a message box when the user pressed Yes.
inline constexpr int kMsgAnswerYes = 6;
inline constexpr int kMsgAnswerNo = 7;
inline constexpr int kMsgAnswerOk = 1;

enum class CheckBox { kCreateJpg, kCreate640, kCreateHtml, kModern };
enum class Button { kLoad, kCancel, kHelpAbout };

/// What core code needs of the main window. The Qt window implements it, snapnook-batch
/// implements it on a terminal and tests implement it with a scripted fake. Every read is
/// live: a value the user changes during a run counts from the next read on.
///
/// Texts are UTF-8. Every call is made on the window's thread.
class MainWindow {
 public:
  virtual ~MainWindow() = default;

  virtual std::string SourceDir() = 0;      // txtSourceDir
  virtual std::string Title() = 0;          // txtTitle
  virtual std::string Copyright() = 0;      // txtCopyright
  virtual std::string CopyrightLink() = 0;  // txtCopyrightLink

  virtual bool IsChecked(CheckBox box) = 0;
  virtual void Uncheck(CheckBox box) = 0;

  virtual void SetButtonEnabled(Button button, bool enabled) = 0;

  /// StatusBar1's text.
  virtual void SetStatusText(const std::string& text) = 0;

  /// ProgressBar1: shown, its maximum and its value.
  virtual void SetProgressVisible(bool visible) = 0;
  virtual void SetProgressMax(float max) = 0;
  virtual float ProgressMax() = 0;
  virtual void SetProgressValue(float value) = 0;

  /// A modal message box; returns the button pressed (kMsgAnswerYes, ...).
  virtual int ShowMessage(const std::string& prompt, const std::string& title, int code) = 0;

  /// Lets the event loop run once.
  virtual void DoEvents() = 0;

  /// The application-wide busy pointer on or off.
  virtual void SetBusyPointer(bool busy) = 0;

  /// Ends the program at once. A caller returns straight away after it.
  virtual void EndProgram() = 0;

  /// One line of what a run reports beyond its messages: a file --prune removed, a finding of
  /// --check. snapnook-batch prints it on standard output; the window has no such runs.
  virtual void Report(const std::string& line) { (void)line; }

  /// Shows the picture being worked on and the copy just saved in the window's two picture
  /// areas. Both are encoded JPEG data, valid only during the call; either may be empty.
  virtual void ShowPictures(std::span<const unsigned char> full_size,
                            std::span<const unsigned char> saved) {
    (void)full_size;
    (void)saved;
  }
};

}  // namespace snapnook
