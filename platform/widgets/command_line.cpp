#include "platform/widgets/command_line.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "app_version.h"

namespace platform {
namespace {

// While the windowing layer starts, its messages are held back: if it finds no display it
// ends the program through a fatal message, which becomes one line and status 1 instead
// of an abort.
const ProgramInfo* starting = nullptr;
QtMessageHandler previousHandler = nullptr;
std::vector<std::pair<QtMsgType, QString>> heldMessages;

void NoDisplay() {
  std::fprintf(stderr,
               "%s: no display found; set DISPLAY or WAYLAND_DISPLAY (or QT_QPA_PLATFORM=offscreen "
               "to run without one)\n",
               starting->name);
  std::_Exit(EXIT_FAILURE);
}

void HoldWhileStarting(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) NoDisplay();
  heldMessages.emplace_back(type, message);
}

#if !defined(_WIN32) && !defined(__APPLE__)
bool Unset(const char* variable) {
  const char* value = std::getenv(variable);
  return !value || !*value;
}
#endif

void DescribeOptions(QCommandLineParser& parser, const ProgramInfo& info) {
  parser.setApplicationDescription(info.description);
  parser.addHelpOption();
  parser.addVersionOption();
  if (info.file_argument) parser.addPositionalArgument("file", info.file_argument, "[file]");
}

}  // namespace

void PrepareProgram(int argc, char** argv, const ProgramInfo& info) {
  QGuiApplication::setApplicationName(info.name);
  QGuiApplication::setApplicationVersion(app::kVersion);
  QGuiApplication::setDesktopFileName(info.desktop_id);

  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  QCommandLineParser parser;
  DescribeOptions(parser, info);
  // The windowing layer's own options are unknown here; they are left for the QApplication
  // and only --version and --help are answered now.
  parser.parse(arguments);
  if (parser.isSet("help") || parser.isSet("help-all")) {
    // The usage line names the program from the application's arguments; a core
    // application needs no display.
    QCoreApplication probe(argc, argv);
    std::fputs(qPrintable(parser.helpText()), stdout);
    std::exit(EXIT_SUCCESS);
  }
  if (parser.isSet("version")) {
    std::printf("%s %s\n", info.name, app::kVersion);
    std::exit(EXIT_SUCCESS);
  }
  starting = &info;
#if !defined(_WIN32) && !defined(__APPLE__)
  if (Unset("QT_QPA_PLATFORM") && Unset("DISPLAY") && Unset("WAYLAND_DISPLAY")) NoDisplay();
#endif
  previousHandler = qInstallMessageHandler(HoldWhileStarting);
}

void RefuseUnknownArguments(const ProgramInfo& info) {
  ProgramInfo takesNoFile = info;
  takesNoFile.file_argument = nullptr;
  FileArgument(takesNoFile);
}

QString FileArgument(const ProgramInfo& info) {
  if (starting) {
    // The windowing layer has started: its messages go where they always went.
    qInstallMessageHandler(previousHandler);
    for (const auto& [type, message] : heldMessages)
      if (previousHandler) {
        previousHandler(type, QMessageLogContext(), message);
      } else {
        std::fprintf(stderr, "%s\n", qPrintable(message));
      }
    heldMessages.clear();
    starting = nullptr;
  }
  QCommandLineParser parser;
  DescribeOptions(parser, info);
  parser.process(QCoreApplication::arguments());
  const QStringList left = parser.positionalArguments();
  const qsizetype taken = info.file_argument ? 1 : 0;
  if (left.size() > taken) {
    std::fprintf(stderr, "%s: unexpected argument '%s'; see --help\n", info.name,
                 qPrintable(left.at(taken)));
    std::exit(EXIT_FAILURE);
  }
  return left.isEmpty() ? QString() : left.first();
}

}  // namespace platform
