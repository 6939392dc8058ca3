// The desktop program's command line: --help, --version and an optional source folder.
#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace snapnook {

/// What the command line asks the desktop program for.
struct CommandLine {
  /// Set when the program is to end at once with this status: 0 after printing its usage or
  /// version on standard output, 2 after printing a usage error on standard error, 1 after
  /// telling that there is no display to show the window on.
  std::optional<int> exit_status;
  /// The folder to put in txtSourceDir after start-up; empty when none was given.
  QString source_folder;
};

/// Reads `arguments` (the program's name first) in full, before the application object exists,
/// so that none of its answers needs a display. Qt's own options (-platform NAME, -style NAME,
/// -reverse, ...) are passed over: the application object takes them. When the window is to
/// be shown on Qt's default platform and neither DISPLAY nor WAYLAND_DISPLAY is set, it says
/// so (status 1).
CommandLine ReadCommandLine(const QStringList& arguments);

/// Tells on standard error that the window needs a display (`why` there is none), and where
/// to turn without one; returns the exit status for it.
int NeedsDisplay(const QString& why);

}  // namespace snapnook
