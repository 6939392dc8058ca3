// snapnook: the desktop program. It takes no arguments.
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>

#include "app/form1.h"
#include "core/file_system.h"
#include "core/interrupts.h"
#include "dialogs/art.h"
#include "dialogs/dialog_font.h"
#include "settings/qsettings_store.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QGuiApplication::setDesktopFileName(QStringLiteral("snapnook"));
  QApplication::setWindowIcon(snapnook::AppIcon());
  snapnook::UseDialogFont();

  snapnook::RealFileSystem fs;
  snapnook::QSettingsStore settings;
  snapnook::Form1 window(fs, settings);
  // SIGINT, SIGTERM and SIGHUP close the window as its Close does; during a run, the run
  // stops first at its next turn and leaves every file whole or unwritten.
  snapnook::CleanUpOnCrash();
  int wake[2] = {-1, -1};
  if (::pipe(wake) == 0) {
    snapnook::CatchInterrupts(wake[1]);
    auto* notifier = new QSocketNotifier(wake[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
      notifier->setEnabled(false);
      window.close();
    });
  }
  window.Load();
  window.show();
  return app.exec();
}
