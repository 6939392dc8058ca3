// The desktop program's command line: --help, --version and an optional source folder.
#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace snapnook {

/// What the command line asks the desktop program for.
struct CommandLine {
  /// Set when the program is to end at once with this status: 0 after printing its usage or
  /// version on standard output, 2 after printing a usage error on standard error.
  std::optional<int> exit_status;
  /// The folder to put in txtSourceDir after start-up; empty when none was given.
  QString source_folder;
};

/// Reads `arguments` (the program's name first). Needs no application object, so --help and
/// --version work without a display. When `strict` is false, only --help and --version are
/// answered and anything else is left for the strict reading (Qt's own options, such as
/// -platform, are taken out by the application object first).
CommandLine ReadCommandLine(const QStringList& arguments, bool strict);

}  // namespace snapnook
