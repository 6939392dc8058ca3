#include "app/command_line.h"

#include <cstdio>

#include <QCommandLineParser>

#include "core/version.h"

namespace snapnook {
namespace {

constexpr int kExitUsage = 2;

void Print(std::FILE* stream, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), stream);
}

}  // namespace

CommandLine ReadCommandLine(const QStringList& arguments, bool strict) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Turns folders of photographs into a web photo album."));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Show this text."));
  const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
  parser.addOption(help);
  parser.addOption(version);
  parser.addPositionalArgument(
      QStringLiteral("FOLDER"),
      QStringLiteral("The source folder, the one that holds the picture sets: shown in the "
                     "window, ready for Create Pictures."),
      QStringLiteral("[FOLDER]"));

  CommandLine result;
  const bool parsed = parser.parse(arguments);
  if (parser.isSet(help)) {
    // Without an application object the parser does not know the program's name.
    Print(stdout, parser.helpText().replace(QStringLiteral("<executable_name>"),
                                            QStringLiteral("snapnook")));
    result.exit_status = 0;
  } else if (parser.isSet(version)) {
    std::printf("snapnook %.*s\n", static_cast<int>(kVersionText.size()), kVersionText.data());
    result.exit_status = 0;
  } else if (!strict) {
    return result;
  } else if (!parsed || parser.positionalArguments().size() > 1) {
    const QString error =
        parsed ? QStringLiteral("more than one source folder given") : parser.errorText();
    Print(stderr, QStringLiteral("snapnook: %1\nTry 'snapnook --help'.\n").arg(error));
    result.exit_status = kExitUsage;
  } else if (!parser.positionalArguments().isEmpty()) {
    result.source_folder = parser.positionalArguments().first();
  }
  return result;
}

}  // namespace snapnook
