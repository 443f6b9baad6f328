#include "tessaline/core/catalogue.h"

#include "tessaline/core/plotting.h"

namespace tessaline {

void SetParameterRow(Grid& grid, int16_t row, const std::string& name, const std::string& value,
                     const std::string& minimum, const std::string& maximum) {
  if (row < 1 || row > kRows) return;
  grid.SetName(row, name);
  grid.SetValue(row, value);
  grid.SetMinimum(row, minimum);
  grid.SetMaximum(row, maximum);
  if (grid.Minimum(row) == "-") grid.SetValueLocked(row, true);
}

void SetParameterRow(Grid& grid, const RowDescription& row) {
  SetParameterRow(grid, row.row, row.name, row.value, row.minimum, row.maximum);
}

void UnlockValueBoxes(Grid& grid, int16_t first) {
  for (int row = first < 1 ? 1 : first; row <= kRows; ++row) grid.SetValueLocked(row, false);
}

void FillGrid(FormControls& controls, const Simulation& simulation) {
  SetAxisLabel(controls, 1, "1", 1);
  SetAxisLabel(controls, 2, "   Frequency of C", 1);
  SetAxisLabel(controls, 3, "0", 1);
  SetAxisLabel(controls, 4, "0", 1);
  SetAxisLabel(controls, 5, simulation.horizontalCaption, 1);
  SetAxisLabel(controls, 6, "500", 1);
  for (int row = 3; row <= kRows; ++row) {
    controls.SetName(row, "");
    controls.SetValue(row, "");
    controls.SetValueTag(row, "");
    controls.SetMinimum(row, "");
    controls.SetMaximum(row, "");
  }
  for (const RowDescription& row : CommonRows()) SetParameterRow(controls, row);
  for (int row = 1; row <= 3; ++row) controls.SetValueTag(row, "integer");
  UnlockValueBoxes(controls, 1);
  for (const RowDescription& row : simulation.rows) SetParameterRow(controls, row);
  controls.SetTitleCaption(simulation.title);
  controls.SetTitleTag(std::to_string(simulation.number));
}

}  // namespace tessaline
