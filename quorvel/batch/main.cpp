// quorvel-batch: quorvel's run modes from the command line.
#include <atomic>
#include <csignal>
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
#include "quorvel/batch/batch_command.h"

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void OnInterrupt(int) {
  stopRequested = true;
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  // Ctrl+C ends the command after the runs in flight, with every file whole.
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  // File names are UTF-8 throughout, on Windows too.
  const std::vector<std::string> args = platform::Utf8Arguments(argc, argv);
  return quorvel::batch::RunBatchCommand(args, std::cout, std::cerr, stopRequested,
                                         StderrIsTerminal());
}
