// The numbers behind the picture as a table for Export data: one line per plotted point
// with its curve, its horizontal value and its frequency, under title lines naming the
// simulation and every row of the grid.
#pragma once

#include <vector>

#include "platform/system/csv.h"
#include "tessaline/core/controls.h"
#include "tessaline/core/plotting.h"

namespace tessaline {

// A curve is named by its coefficient's row as the grid shows it ("S for curve 1 = 0.025");
// the table is undated.
platform::CsvTable PlottedTable(const FormControls& controls,
                                const std::vector<PlottedPoint>& points);

// The same points as a tidy table: simulation ("spreading", "velocity" or "senescence"),
// curve (named as above), x, y.
platform::TidyTable TidyPlottedTable(const FormControls& controls,
                                     const std::vector<PlottedPoint>& points);

}  // namespace tessaline
