// snapnook: the desktop program. It takes no arguments.
#include <QApplication>

#include "app/form1.h"
#include "app/qsettings_store.h"
#include "core/file_system.h"
#include "dialogs/art.h"
#include "dialogs/dialog_font.h"
#include "pictures/imaging.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // The imaging library starts here, on the main thread, before any picture is made.
  snapnook::StartImaging();
  QGuiApplication::setDesktopFileName(QStringLiteral("snapnook"));
  QApplication::setWindowIcon(snapnook::AppIcon());
  snapnook::UseDialogFont();

  snapnook::RealFileSystem fs;
  snapnook::QSettingsStore settings;
  snapnook::Form1 window(fs, settings);
  window.Load();
  window.show();
  return app.exec();
}
