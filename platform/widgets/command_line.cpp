#include "platform/widgets/command_line.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "app_version.h"

namespace platform {
namespace {

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
}

void RefuseUnknownArguments(const ProgramInfo& info) {
  ProgramInfo takesNoFile = info;
  takesNoFile.file_argument = nullptr;
  FileArgument(takesNoFile);
}

QString FileArgument(const ProgramInfo& info) {
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
