// The results of a sweep as the window shows them and the batch program writes them: the
// sweep's chart (QtGui painting only, so that no display is needed) and the numbers behind it.
#pragma once

#include <memory>
#include <optional>

#include "platform/system/csv.h"
#include "quorvel/charts/chart_axes.h"
#include "quorvel/run/run_state.h"
#include "quorvel/run/study_results.h"

namespace quorvel::charts {

// The chart and the numbers behind it (title lines left to the caller).
struct SweepFigure {
  std::shared_ptr<Chart> Picture;
  platform::CsvTable Numbers;
};
// The figure of the sweep a command ran; nullopt for a single run.
std::optional<SweepFigure> MakeSweepFigure(const CommandRecord& record);

// A study's chart: with one varied parameter the mean final R+ frequency with one S.D. and
// every run against it, with two a heat map of the mean, the first parameter on the
// vertical axis. Nullopt for more than two.
std::optional<SweepFigure> MakeStudyFigure(const StudyResults& results);

}  // namespace quorvel::charts
