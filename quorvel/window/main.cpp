#include <QApplication>
#include <QTimer>

#include "platform/widgets/command_line.h"
#include "quorvel/window/quorvel_window.h"

int main(int argc, char** argv) {
  const platform::ProgramInfo info{
      "Quorvel", "org.marbeck.quorvel",
      "Follows a haploid population with two or three loci and a modifier of recombination\n"
      "under mutation, selection, genetic drift and migration between demes.",
      "quorvel-the-window", "A parameter set (.toml) to open, as File > Open parameters does."};
  platform::PrepareProgram(argc, argv, info);
  QApplication app(argc, argv);
  const QString file = platform::FileArgument(info);
  quorvel::QuorvelWindow window(info);
  window.show();
  // Once the window is up, so that a message about the file stands over it.
  if (!file.isEmpty())
    QTimer::singleShot(0, &window, [&window, file] { window.OpenParametersFile(file); });
  return QApplication::exec();
}
