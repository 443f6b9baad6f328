// The quorvel-batch command: the window's four run modes without a window, sweeps spread
// over threads or over the shards of a cluster job, and the merge of shards. Everything but
// main() lives here, so that tests run whole commands in-process.
#pragma once

#include <atomic>
#include <iosfwd>
#include <string>
#include <vector>

namespace quorvel::batch {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;         // a file could not be written
inline constexpr int kExitRefused = 2;        // bad arguments or parameters; nothing written
inline constexpr int kExitInterrupted = 130;  // stopped by Ctrl+C after the runs in flight

// Runs the command line args (without the program name). `stop` is raised by a signal
// handler (or a test) to end the command after the runs in flight. `terminal` enables the
// progress display on `err`.
int RunBatchCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const std::atomic<bool>& stop, bool terminal);

const char* BatchVersion();

}  // namespace quorvel::batch
