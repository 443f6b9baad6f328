// The catalogue: a selection writes a simulation's presets into the grid, sets the axis
// labels and the title. The grid is the only store of the parameters; a run reads it
// afresh.
#pragma once

#include <cstdint>
#include <string>

#include "tessaline/core/controls.h"
#include "tessaline/core/simulations.h"

namespace tessaline {

// Writes name, value, minimum and maximum of a row, in that order, and locks the value box
// of a fixed row (minimum "-"). It never unlocks and never touches the tag.
void SetParameterRow(Grid& grid, int16_t row, const std::string& name, const std::string& value,
                     const std::string& minimum, const std::string& maximum);
void SetParameterRow(Grid& grid, const RowDescription& row);
// Unlocks the value boxes from row first to the last row.
void UnlockValueBoxes(Grid& grid, int16_t first);

// Everything a selection sets before its run: the axis labels, the grid (rows 1 and 2
// rewritten, the others emptied and then filled with the simulation's rows, the tag
// "integer" on rows 1 to 3, every box unlocked but the fixed ones) and the title with its
// tag.
void FillGrid(FormControls& controls, const Simulation& simulation);

}  // namespace tessaline
