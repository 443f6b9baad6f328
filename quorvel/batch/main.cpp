// quorvel-batch: quorvel's run modes from the command line.
#include <atomic>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "platform/system/arguments.h"
#include "platform/system/stop_signals.h"
#include "quorvel/batch/batch_command.h"

namespace {

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  // Ctrl+C, SIGTERM and SIGHUP end the command after the runs in flight, every file whole.
  const std::atomic<bool>& stop = platform::InstallStopSignals();
  // File names are UTF-8 throughout, on Windows too.
  const std::vector<std::string> args = platform::Utf8Arguments(argc, argv);
  return quorvel::batch::RunBatchCommand(args, std::cout, std::cerr, stop, StderrIsTerminal());
}
