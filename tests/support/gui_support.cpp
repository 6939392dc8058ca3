#include "support/gui_support.h"

#include <QAbstractButton>
#include <QSettings>

#include "settings/qsettings_store.h"
#include "dialogs/dialog_font.h"

namespace snapnook::testing {

QApplication& App() {
  static QApplication* app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "gui_tests";
    static char* argv[] = {name, nullptr};
    auto* created = new QApplication(argc, argv);
    UseDialogFont();
    return created;
  }();
  return *app;
}

QStringList TabOrder(QWidget* first) {
  QStringList order;
  QWidget* widget = first;
  do {
    if ((widget->focusPolicy() & Qt::TabFocus) && !widget->objectName().isEmpty()) {
      order << widget->objectName();
    }
    widget = widget->nextInFocusChain();
  } while (widget != first && order.size() < 100);
  return order;
}

SecondsClock InstantClock() {
  return [t = 0.0]() mutable {
    const double now = t;
    t += 10;
    return now;
  };
}

User::User() {
  App();
  timer_.setInterval(0);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
  timer_.start();
}

User::~User() {
  timer_.stop();
}

void User::Look() {
  if (inside_) return;  // a modal loop started by an answer
  inside_ = true;
  QWidget* modal = QApplication::activeModalWidget();
  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    if (box->isVisible()) {
      SeenMessage seen{box->windowTitle().toStdString(), box->text().toStdString(), box->icon(),
                       box->standardButtons()};
      messages.push_back(seen);
      QMessageBox::StandardButton button =
          answer ? answer(seen)
                 : (seen.buttons & QMessageBox::No ? QMessageBox::No : QMessageBox::Ok);
      if (QAbstractButton* pressed = box->button(button)) {
        pressed->click();
      } else {
        ADD_FAILURE() << "no such button on " << seen.title;
        box->reject();
      }
    }
  } else if (modal != nullptr && modal->isVisible()) {
    if (on_modal) {
      on_modal(modal);
    } else {
      ADD_FAILURE() << "unexpected modal window " << modal->objectName().toStdString();
      modal->hide();
    }
  } else if (on_turn) {
    on_turn();
  }
  inside_ = false;
}

void UrlCatcher::Open(const QUrl& url) {
  opened.append(url);
  const QCursor* cursor = QApplication::overrideCursor();
  busy_while_opening = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

void GuiTest::SetUp() {
  App();
  // Each test gets its own settings folder: QSettings reads and writes only there.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromStdString(config.root()));
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                     QString::fromStdString(config.root()));
  settings = std::make_unique<QSettingsStore>();
}

void GuiTest::TearDown() {
  window.reset();
  // Let windows that deleted themselves (the splash) go.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

Form1& GuiTest::OpenWindow() {
  window = std::make_unique<Form1>(fs, *settings);
  window->end_program = [this] { ++end_calls; };
  window->Load(InstantClock());
  window->show();
  return *window;
}

}  // namespace snapnook::testing
