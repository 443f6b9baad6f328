#include "tessaline/core/plotted_table.h"

#include "common/number_text.h"
#include "tessaline/core/simulations.h"

namespace tessaline {

platform::CsvTable PlottedTable(const FormControls& controls,
                                const std::vector<PlottedPoint>& points) {
  platform::CsvTable table;
  table.program = "tessaline";
  table.parameters.emplace_back("simulation", controls.TitleCaption());
  for (int row = 1; row <= kRows; ++row) {
    const std::string name = common::TrimBlanks(controls.Name(row));
    if (!name.empty()) table.parameters.emplace_back(name, controls.Value(row));
  }
  table.columns = {"curve", "x", "y"};
  const Simulation* simulation = FindSimulationByTag(controls.TitleTag());
  for (const PlottedPoint& point : points) {
    std::string curve = std::to_string(point.curve);
    if (simulation) {
      const int row = simulation->firstCurveRow + point.curve - 1;
      curve = common::TrimBlanks(controls.Name(row)) + " = " + controls.Value(row);
    }
    table.rows.push_back({curve, platform::CsvNumber(point.x), platform::CsvNumber(point.y)});
  }
  return table;
}

}  // namespace tessaline
