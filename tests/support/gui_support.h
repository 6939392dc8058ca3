// Helpers for the window tests: one application, isolated settings, widgets by object name,
// and a "user" who answers modal windows.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include "app/form1.h"
#include "core/file_system.h"
#include "support/temp_tree.h"

namespace snapnook::testing {

/// The one QApplication of the test program, created on first use with the program's font.
QApplication& App();

/// The widget named `name` below `parent`; fails the test (and returns null) when missing.
template <class T>
T* Child(const QObject* parent, const char* name) {
  T* child = parent->findChild<T*>(QString::fromLatin1(name));
  if (child == nullptr) ADD_FAILURE() << "no " << name;
  return child;
}

/// The names of the named controls that Tab visits, starting at `first`.
QStringList TabOrder(QWidget* first);

/// A clock for start-up that lets the splash wait end after one turn.
SecondsClock InstantClock();

/// Takes the place of the desktop's browser: records the addresses it is asked to open.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
  bool busy_while_opening = false;

 public slots:
  void Open(const QUrl& url);
};

/// A message box the user saw.
struct SeenMessage {
  std::string title;
  std::string prompt;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
};

/// Watches for modal windows while a test drives the program, at every turn of the event loop
/// (also inside modal loops and a run's turns). Message boxes are recorded and answered with
/// `answer` (No when there is a No, else OK); other modal windows go to `on_modal`.
class User {
 public:
  User();
  ~User();

  std::vector<SeenMessage> messages;
  std::function<QMessageBox::StandardButton(const SeenMessage&)> answer;
  std::function<void(QWidget*)> on_modal;
  /// Runs at every turn while nothing modal is up.
  std::function<void()> on_turn;

 private:
  void Look();
  QTimer timer_;
  bool inside_ = false;
};

/// A main window as the program makes it: real file system, QSettings in a private folder,
/// loaded (start-up done) and shown. Ending the program is recorded instead of done.
class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  /// Creates, loads and shows the window.
  Form1& OpenWindow();

  TempTree config;  // the settings store's folder
  TempTree tree;    // pictures and albums
  RealFileSystem fs;
  std::unique_ptr<SettingsStore> settings;
  std::unique_ptr<Form1> window;
  int end_calls = 0;
};

}  // namespace snapnook::testing
