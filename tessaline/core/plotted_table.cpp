#include "tessaline/core/plotted_table.h"

#include "common/number_text.h"
#include "tessaline/core/simulations.h"

namespace tessaline {

namespace {

// A curve by its coefficient's row as the grid shows it ("S for curve 1 = 0.025"), or by its
// number before a simulation was chosen.
std::string CurveName(const FormControls& controls, const Simulation* simulation, int16_t curve) {
  if (!simulation) return std::to_string(curve);
  const int row = simulation->firstCurveRow + curve - 1;
  return common::TrimBlanks(controls.Name(row)) + " = " + controls.Value(row);
}

}  // namespace

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
    table.rows.push_back({CurveName(controls, simulation, point.curve),
                          platform::CsvNumber(point.x), platform::CsvNumber(point.y)});
  }
  return table;
}

platform::TidyTable TidyPlottedTable(const FormControls& controls,
                                     const std::vector<PlottedPoint>& points) {
  platform::TidyTable table;
  table.Columns = {"simulation", "curve", "x", "y"};
  const Simulation* simulation = FindSimulationByTag(controls.TitleTag());
  const std::string name = simulation ? simulation->name : std::string();
  for (const PlottedPoint& point : points) {
    table.Rows.push_back({name, CurveName(controls, simulation, point.curve),
                          platform::TidyNumber(point.x), platform::TidyNumber(point.y)});
  }
  return table;
}

}  // namespace tessaline
