// quorvel's four run modes, in the order of the window's run-mode buttons, and what each
// implies: a population of infinite or finite size, the start value of genetic drift, the
// report files it writes and the entries it reads besides those every run reads.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "quorvel/params/entries.h"

namespace quorvel {

enum class RunMode { Single = 0, SingleFinite = 1, SkSweep = 2, NSweep = 3 };

inline constexpr RunMode kRunModes[] = {RunMode::Single, RunMode::SingleFinite, RunMode::SkSweep,
                                        RunMode::NSweep};

// The command of the batch program and the value of `mode` in a parameter file.
const char* RunModeName(RunMode mode);
std::optional<RunMode> ParseRunMode(std::string_view name);

// The index of the mode's run-mode button, Option1(i).
inline int RunModeOption(RunMode mode) {
  return static_cast<int>(mode);
}
inline RunMode RunModeOfOption(int option) {
  return static_cast<RunMode>(option);
}

inline bool IsSweep(RunMode mode) {
  return mode == RunMode::SkSweep || mode == RunMode::NSweep;
}
inline bool NInfinite(RunMode mode) {
  return mode == RunMode::Single || mode == RunMode::SkSweep;
}
// Choosing a mode ticks "Genetic drift" for a finite population and clears it otherwise.
inline CheckValue RunModeDrift(RunMode mode) {
  return NInfinite(mode) ? 0 : 1;
}
// The report files the mode writes, by number.
std::vector<int> ReportFilesOf(RunMode mode);
// Whether the mode reads the box or fills it as a progress display; every mode reads the
// entries not named here (Log10(N), iterations, the N sweep's bounds, the progress
// displays).
bool ModeUsesBox(RunMode mode, int box);

}  // namespace quorvel
