#include "platform/system/stop_signals.h"

#include <csignal>

namespace platform {
namespace {

std::atomic<bool> stopRequested{false};

extern "C" void OnStopSignal(int which) {
  stopRequested = true;
  std::signal(which, SIG_DFL);
}

}  // namespace

const std::atomic<bool>& InstallStopSignals() {
  for (int which : {SIGINT, SIGTERM}) std::signal(which, OnStopSignal);
#ifndef _WIN32
  std::signal(SIGHUP, OnStopSignal);
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  return stopRequested;
}

}  // namespace platform
