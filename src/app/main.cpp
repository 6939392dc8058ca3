// snapnook: the desktop program. It takes --help, --version and an optional source folder.
#include <unistd.h>

#include <cstdlib>

#include <QApplication>
#include <QSocketNotifier>

#include "app/command_line.h"
#include "app/form1.h"
#include "core/file_system.h"
#include "core/interrupts.h"
#include "dialogs/art.h"
#include "dialogs/dialog_font.h"
#include "settings/qsettings_store.h"

namespace {

QtMessageHandler qt_messages = nullptr;

// Qt's start ends in an abort when no platform can be started, such as a display named but out
// of reach: after Qt's message, the program's own, and status 1.
void NoAbortWithoutDisplay(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  qt_messages(type == QtFatalMsg ? QtCriticalMsg : type, context, text);
  if (type == QtFatalMsg)
    std::_Exit(snapnook::NeedsDisplay(QStringLiteral("none could be opened")));
}

}  // namespace

int main(int argc, char* argv[]) {
  // The command line is read before the application object exists, so that its answers need
  // no display.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const snapnook::CommandLine command_line = snapnook::ReadCommandLine(arguments);
  if (command_line.exit_status) return *command_line.exit_status;
  qt_messages = qInstallMessageHandler(NoAbortWithoutDisplay);
  QApplication app(argc, argv);
  qInstallMessageHandler(qt_messages);
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
