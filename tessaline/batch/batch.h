// tessaline-batch: one simulation run without a window. The grid is filled with the
// simulation's presets, the rows named on the command line are typed in and validated by
// the window's own rules, and the run writes the same output file the window writes for
// the same grid. Corrections and refusals are reported on stderr.
#pragma once

#include <ostream>

namespace tessaline::batch {

// Exit statuses: the run finished and its file is complete; a file could not be written
// (or the run stopped) and no half-written file was left; the command line was refused
// before anything was touched.
inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kRefused = 2;

// Runs the command line; returns the exit status.
int Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace tessaline::batch
