// snapnook: the desktop program. It takes --help, --version and an optional source folder.
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>

#include "app/command_line.h"
#include "app/form1.h"
#include "core/file_system.h"
#include "core/interrupts.h"
#include "dialogs/art.h"
#include "dialogs/dialog_font.h"
#include "settings/qsettings_store.h"

int main(int argc, char* argv[]) {
  // --help and --version are answered before the application object exists, so they need no
  // display; the application object takes out Qt's own options, and the rest is read in full.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  if (const auto status = snapnook::ReadCommandLine(arguments, false).exit_status) return *status;
  QApplication app(argc, argv);
  const snapnook::CommandLine command_line =
      snapnook::ReadCommandLine(QApplication::arguments(), true);
  if (command_line.exit_status) return *command_line.exit_status;
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
  if (!command_line.source_folder.isEmpty()) window.SetSourceDir(command_line.source_folder);
  return app.exec();
}
