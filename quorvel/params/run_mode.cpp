#include "quorvel/params/run_mode.h"

namespace quorvel {

namespace {

constexpr const char* kModeNames[] = {"single", "single-finite", "sk-sweep", "n-sweep"};

}  // namespace

const char* RunModeName(RunMode mode) {
  return kModeNames[static_cast<int>(mode)];
}

std::optional<RunMode> ParseRunMode(std::string_view name) {
  for (RunMode mode : kRunModes)
    if (name == RunModeName(mode)) return mode;
  return std::nullopt;
}

std::vector<int> ReportFilesOf(RunMode mode) {
  switch (mode) {
    case RunMode::SkSweep:
      return {2};
    case RunMode::NSweep:
      return {2, 3};
    default:
      return {1};
  }
}

bool ModeUsesBox(RunMode mode, int box) {
  switch (box) {
    case kEntryLog10N:
      return mode == RunMode::SingleFinite;
    case kShowS:
    case kShowK:
      return mode == RunMode::SkSweep;
    case kEntryIterations:
    case kEntryLoopFrom:
    case kEntryLoopTo:
    case kShowLog10N:
    case kShowIteration:
      return mode == RunMode::NSweep;
    default:
      return true;
  }
}

}  // namespace quorvel
