// Helpers for the window tests: one application, settings in a private folder, widgets by
// object name, and a "user" who answers modal windows.
#pragma once

#include <QTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include "app/form1.h"
#include "dialogs/dialog_font.h"
#include "settings/qsettings_store.h"
#include "support/temp_tree.h"

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace snapnook::testing {

using Act = std::function<void(QWidget*)>;

/// The widget named `name` below `parent`; fails the test (and returns null) when missing.
template <class T = QWidget>
T* Child(const QObject* parent, const std::string& name) {
  T* child = parent->findChild<T*>(QString::fromStdString(name));
  if (child == nullptr) ADD_FAILURE() << "no " << name;
  return child;
}

inline void Click(const QObject* parent, const char* button) {
  QTest::mouseClick(Child<QAbstractButton>(parent, button), Qt::LeftButton);
}

/// Looks at every turn of the event loop (also inside modal loops and a run's turns) for a
/// modal window. A message box is noted as "title: prompt (icon, buttons)" and answered with
/// `answer`, or OK when it has no such button; any other goes to `on_modal`. With nothing
/// modal up, `on_turn` runs.
struct User {
  QStringList messages;
  QMessageBox::StandardButton answer = QMessageBox::No;
  Act on_modal;
  std::function<void()> on_turn;
  QTimer timer;
  bool inside = false;

  User() {
    QObject::connect(&timer, &QTimer::timeout, [this] { Look(); });
    timer.start(0);
  }
  void Look() {
    if (std::exchange(inside, true)) return;  // a modal loop started by an answer
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal); box && box->isVisible()) {
      const QMetaEnum icons = QMetaEnum::fromType<QMessageBox::Icon>();
      const QMetaEnum buttons = QMetaEnum::fromType<QMessageBox::StandardButtons>();
      messages << QString("%1: %2 (%3, %4)")
                      .arg(box->windowTitle(), box->text(), icons.valueToKey(box->icon()),
                           buttons.valueToKeys(box->standardButtons()).replace("|FirstButton", ""));
      (box->button(answer) ? box->button(answer) : box->button(QMessageBox::Ok))->click();
    } else if (modal != nullptr && modal->isVisible()) {
      if (on_modal) on_modal(modal);
      if (modal->isVisible()) {  // fail once, rather than meet it again at every turn
        ADD_FAILURE() << modal->objectName().toStdString() << " left open";
        modal->hide();
      }
    } else if (on_turn) {
      on_turn();
    }
    inside = false;
  }
};

/// A main window as the program makes it, on the real file system and QSettings in a private
/// folder. Ending the program is counted instead of done.
class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("gui_tests"), nullptr};
    if (qApp == nullptr) new QApplication(argc, argv);
    UseDialogFont();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(config.root()));
  }
  /// Creates the window, runs its start-up with the splash wait on `clock`, and shows it.
  Form1& OpenWindow(const SecondsClock& clock = [t = 0.0]() mutable { return t += 10; }) {
    window = std::make_unique<Form1>(fs, settings);
    window->end_program = [this] { ++end_calls; };
    window->Load(clock);
    window->show();
    return *window;
  }
  template <class T = QWidget>
  T* W(const char* name) {
    return Child<T>(window.get(), name);
  }

  TempTree config;  // the settings store's folder
  TempTree tree;    // pictures and albums
  RealFileSystem fs;
  QSettingsStore settings;
  std::unique_ptr<Form1> window;
  int end_calls = 0;
};

}  // namespace snapnook::testing
