// The quorvel-batch command: the window's four run modes without a window, sweeps spread
// over threads or over the shards of a cluster job, and the merge of shards. Everything but
// main() lives here, so that tests run whole commands in-process.
#pragma once

#include <atomic>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/system/stop_signals.h"

namespace quorvel::batch {

using platform::kExitFailed;
using platform::kExitInterrupted;
using platform::kExitOk;
using platform::kExitRefused;

// Runs the command line args (without the program name). `stop` is raised by a signal
// handler (or a test) to end the command after the runs in flight. `terminal` enables the
// progress display on `err`.
int RunBatchCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const std::atomic<bool>& stop, bool terminal);

const char* BatchVersion();

}  // namespace quorvel::batch
