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

std::optional<SweepFigure> MakeStudyFigure(const StudyResults& study) {
  if (study.Parameters.size() == 1) {
    NSweepResults results;
    results.Across = study.Parameters[0];
    for (const StudyPointResults& p : study.Points)
      results.Points.push_back({static_cast<float>(p.Values[0]), p.Outcomes, p.Mean, p.Deviation});
    platform::CsvTable numbers = NSweepTable(results);
    numbers.columns[0] = results.Across;
    return SweepFigure{std::make_shared<NSweepChart>(std::move(results)), std::move(numbers)};
  }
  if (study.Parameters.size() == 2) {
    SKSweepResults results;
    results.Rows = study.Parameters[0];
    results.Columns = study.Parameters[1];
    results.Title = "Mean final R+ frequency over " + results.Rows + " and " + results.Columns;
    for (const StudyPointResults& p : study.Points) {
      if (results.Blocks.empty() || results.Blocks.back().S != p.Values[0])
        results.Blocks.push_back({p.Values[0], {}, {}});
      results.Blocks.back().K.push_back(p.Values[1]);
      results.Blocks.back().RPlusFreq.push_back(p.Mean);
    }
    platform::CsvTable numbers = SKSweepTable(results);
    numbers.columns = {results.Rows, results.Columns, "Mean R+ frequency"};
    return SweepFigure{std::make_shared<SKHeatMap>(std::move(results)), std::move(numbers)};
  }
  return std::nullopt;
}

}  // namespace quorvel::charts
