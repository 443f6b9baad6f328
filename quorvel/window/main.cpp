#include <QApplication>

#include "platform/widgets/command_line.h"
#include "quorvel/window/quorvel_window.h"

int main(int argc, char** argv) {
  const platform::ProgramInfo info{
      "Quorvel", "org.marbeck.quorvel",
      "Follows a haploid population with two or three loci and a modifier of recombination\n"
      "under mutation, selection, genetic drift and migration between demes."};
  platform::PrepareProgram(argc, argv, info);
  QApplication app(argc, argv);
  platform::RefuseUnknownArguments(info);
  quorvel::QuorvelWindow window(info);
  window.show();
  return QApplication::exec();
}
