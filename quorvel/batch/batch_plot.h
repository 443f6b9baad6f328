// The chart of a sweep's results as a file: the chart the window's results show, painted
// with QtGui on the offscreen platform, so that quorvel-batch draws it without a display.
// A build without Qt answers that it cannot.
#pragma once

#include <string>

#include "quorvel/run/run_state.h"
#include "quorvel/run/study_results.h"

namespace quorvel::batch {

// Why no chart can be written to `path` (this build has no Qt, or the name's extension is
// none of .svg, .png, .pdf); empty when one can.
std::string PlotRefusal(const std::string& path);

// Writes the chart of the sweep in `record` to `path`, whole or not at all; empty, or what
// went wrong.
std::string WritePlot(const CommandRecord& record, const std::string& path);
// The same for the chart of a study of one or two varied parameters.
std::string WritePlot(const StudyResults& results, const std::string& path);

}  // namespace quorvel::batch
