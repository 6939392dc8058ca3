#include "app/command_line.h"

#include <cstdio>

#include <QCommandLineParser>

#include "core/version.h"

namespace snapnook {
namespace {

constexpr int kExitUsage = 2;
constexpr int kExitNoDisplay = 1;

void Print(std::FILE* stream, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), stream);
}

// The options every Qt program takes (QGuiApplication, QApplication and the X11 platform),
// with a value and without.
constexpr const char* kQtValueOptions[] = {"platform",
                                           "platformpluginpath",
                                           "platformtheme",
                                           "plugin",
                                           "qwindowgeometry",
                                           "geometry",
                                           "qwindowicon",
                                           "icon",
                                           "qwindowtitle",
                                           "title",
                                           "session",
                                           "display",
                                           "name",
                                           "visual",
                                           "style",
                                           "stylesheet",
                                           "qmljsdebugger"};
constexpr const char* kQtFlags[] = {"reverse", "testability", "widgetcount",
                                    "qdevel",  "dograb",      "nograb"};

}  // namespace

CommandLine ReadCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  // Qt's options are words after one dash (-platform offscreen), or two.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
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
  for (const char* name : kQtValueOptions) {
    QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("VALUE"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
  for (const char* name : kQtFlags) {
    QCommandLineOption option(QString::fromLatin1(name), QString());
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }

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
  } else if (!parsed || parser.positionalArguments().size() > 1) {
    const QString error =
        parsed ? QStringLiteral("more than one source folder given") : parser.errorText();
    Print(stderr, QStringLiteral("snapnook: %1\nTry 'snapnook --help'.\n").arg(error));
    result.exit_status = kExitUsage;
  } else if (!parser.isSet(QStringLiteral("platform")) &&
             qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
             qEnvironmentVariableIsEmpty("DISPLAY") &&
             qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    result.exit_status = NeedsDisplay(QStringLiteral("DISPLAY is not set"));
  } else if (!parser.positionalArguments().isEmpty()) {
    result.source_folder = parser.positionalArguments().first();
  }
  return result;
}

int NeedsDisplay(const QString& why) {
  Print(stderr, QStringLiteral("snapnook: the window needs a display (%1); snapnook-batch makes "
                               "an album without one.\n")
                    .arg(why));
  return kExitNoDisplay;
}

}  // namespace snapnook
