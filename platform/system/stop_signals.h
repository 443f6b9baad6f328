// How a program without a window meets the signals that ask it to stop, and its exit
// statuses, the same for every command of both batch programs.
#pragma once

#include <atomic>

namespace platform {

// Exit statuses of the batch programs.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;         // a file could not be written
inline constexpr int kExitRefused = 2;        // usage or input refused; nothing written
inline constexpr int kExitInterrupted = 130;  // stopped on request, every file whole

// Interrupt (Ctrl+C), terminate and hang-up raise the returned flag: the command ends after
// the work in flight, its files whole. A second such signal ends the process at once,
// leaving only temporaries, which the next command clears. A closed pipe and a file-size
// limit make the write fail instead of killing the process, so the command can say so and
// leave the old files as they were.
const std::atomic<bool>& InstallStopSignals();

}  // namespace platform
