// The main window: the run's fields, switches and commands, two picture areas, progress and
// status.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>

#include <QPointer>
#include <QWidget>

#include "app/form2.h"
#include "core/file_system.h"
#include "core/main_window.h"
#include "core/session.h"
#include "core/settings_store.h"
#include "dialogs/frm_help_about.h"
#include "dialogs/frm_splash.h"
#include "run/startup.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace snapnook {

class PictureArea;

/// The main window `Form1`: every control at its fixed place in a 712 x 457 client area, with
/// the control names as object names. Only the status bar follows the window's size. It is the
/// program's MainWindow and owns the program's Session; "Create Pictures" runs
/// RunCreatePictures on it, "..." opens the folder chooser, "Help" the help window and "Close"
/// (also Esc) ends the program.
///
/// Closing the window by its frame during a run hides it at once and ends the program at the
/// run's next turn of the event loop, unwinding the run so that no file is left half-written.
class Form1 : public QWidget, public MainWindow, public StartupWindow {
  Q_OBJECT

 public:
  /// `fs` and `settings` must outlive the window.
  Form1(FileSystem& fs, SettingsStore& settings, QWidget* parent = nullptr);
  ~Form1() override;

  /// The load handler: start-up (defaults, remembered settings, caption, splash and its wait
  /// measured on `clock`). Call once, before the window is first shown.
  void Load(const SecondsClock& clock = SteadySeconds);

  /// Puts `folder` in txtSourceDir, as if the user had typed it.
  void SetSourceDir(const QString& folder);

  Session& session() { return session_; }
  /// True while "Create Pictures" runs.
  bool RunInProgress() const { return running_; }

  /// What ending the program does. By default every window disappears and the event loop is
  /// left; tests replace it.
  std::function<void()> end_program;

  /// The windows created on first use (null before that).
  Form2* Chooser() const { return chooser_.data(); }
  frmHelpAbout* HelpWindow() const { return help_.get(); }
  frmSplash* Splash() const { return splash_.data(); }

  // MainWindow
  std::string SourceDir() override;
  std::string Title() override;
  std::string Copyright() override;
  std::string CopyrightLink() override;
  bool IsChecked(CheckBox box) override;
  void Uncheck(CheckBox box) override;
  void SetButtonEnabled(Button button, bool enabled) override;
  void SetStatusText(const std::string& text) override;
  void SetProgressVisible(bool visible) override;
  void SetProgressMax(float max) override;
  float ProgressMax() override { return progress_max_; }
  void SetProgressValue(float value) override;
  int ShowMessage(const std::string& prompt, const std::string& title, int code) override;
  void DoEvents() override;
  void SetBusyPointer(bool busy) override;
  void EndProgram() override;
  void ShowPictures(std::span<const unsigned char> full_size,
                    std::span<const unsigned char> saved) override;

  // StartupWindow
  void SetCaption(const std::string& text) override;
  void SetCopyrightText(const std::string& text) override;
  void SetCopyrightLinkText(const std::string& text) override;
  void SetModernChecked(bool checked) override;
  void ShowSplash() override;
  void CloseSplash() override;
  void SplashWaitTurn() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void CreatePictures();
  void ChooseSourceFolder();
  void ShowHelp();
  QCheckBox* Box(CheckBox box) const;
  QPushButton* ButtonOf(Button button) const;

  Session session_;
  bool running_ = false;
  bool end_requested_ = false;
  bool busy_ = false;
  float progress_max_ = 100;

  QLineEdit* source_dir_ = nullptr;
  QLineEdit* title_ = nullptr;
  QLineEdit* copyright_ = nullptr;
  QLineEdit* copyright_link_ = nullptr;
  QCheckBox* create_jpg_ = nullptr;
  QCheckBox* create_640_ = nullptr;
  QCheckBox* create_html_ = nullptr;
  QCheckBox* modern_ = nullptr;
  QPushButton* load_ = nullptr;
  QPushButton* source_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* help_button_ = nullptr;
  PictureArea* lead1_ = nullptr;
  PictureArea* lead2_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QStatusBar* status_ = nullptr;

  QPointer<Form2> chooser_;
  std::unique_ptr<frmHelpAbout> help_;
  QPointer<frmSplash> splash_;
};

}  // namespace snapnook
