#include "quorvel/charts/sweep_charts.h"

#include "quorvel/charts/n_sweep_chart.h"
#include "quorvel/charts/sk_heat_map.h"
#include "quorvel/run/sweep_results.h"

namespace quorvel::charts {

std::optional<SweepFigure> MakeSweepFigure(const CommandRecord& record) {
  if (record.Mode == RunMode::SkSweep) {
    SKSweepResults results = SelectionResults(record);
    platform::CsvTable numbers = SKSweepTable(results);
    return SweepFigure{std::make_shared<SKHeatMap>(std::move(results)), std::move(numbers)};
  }
  if (record.Mode == RunMode::NSweep) {
    NSweepResults results = PopulationResults(record);
    platform::CsvTable numbers = NSweepTable(results);
    return SweepFigure{std::make_shared<NSweepChart>(std::move(results)), std::move(numbers)};
  }
  return std::nullopt;
}

}  // namespace quorvel::charts
