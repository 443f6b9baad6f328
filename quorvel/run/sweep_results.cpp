#include "quorvel/run/sweep_results.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/number_text.h"

namespace quorvel {

SKSweepResults SelectionResults(const CommandRecord& record) {
  SKSweepResults results;
  for (size_t i = 0; i < record.Outcomes.size(); ++i) {
    if (results.Blocks.empty() || results.Blocks.back().S != record.S[i])
      results.Blocks.push_back({record.S[i], {}, {}});
    results.Blocks.back().K.push_back(record.K[i]);
    results.Blocks.back().RPlusFreq.push_back(record.Outcomes[i]);
  }
  return results;
}

NSweepResults PopulationResults(const CommandRecord& record) {
  NSweepResults results;
  for (size_t i = 0; i < record.Outcomes.size(); ++i) {
    if (results.Points.empty() || results.Points.back().Log10N != record.Log10N[i])
      results.Points.push_back({record.Log10N[i], {}, 0, 0});
    results.Points.back().Outcomes.push_back(record.Outcomes[i]);
  }
  for (NSweepPoint& point : results.Points) {
    double sum = 0, sumOfSquares = 0;
    for (double r : point.Outcomes) {
      sumOfSquares += r * r;
      sum += r;
    }
    const MeanAndDeviation statistics =
        OutcomeStatistics(sum, sumOfSquares, static_cast<int>(point.Outcomes.size()));
    point.Mean = statistics.Mean;
    point.Deviation = statistics.Deviation;
  }
  return results;
}

platform::CsvTable SKSweepTable(const SKSweepResults& results) {
  platform::CsvTable table;
  table.columns = {"S", "K", "R+ frequency"};
  for (const SKBlock& block : results.Blocks) {
    for (size_t i = 0; i < block.RPlusFreq.size(); ++i) {
      table.rows.push_back({platform::CsvNumber(block.S),
                            i < block.K.size() ? platform::CsvNumber(block.K[i]) : std::string(),
                            platform::CsvNumber(block.RPlusFreq[i])});
    }
  }
  return table;
}

platform::CsvTable NSweepTable(const NSweepResults& results) {
  platform::CsvTable table;
  table.columns = {"Log10(N)", "Mean", "S.D."};
  size_t runs = 0;
  for (const NSweepPoint& p : results.Points) runs = std::max(runs, p.Outcomes.size());
  for (size_t i = 1; i <= runs; ++i) table.columns.push_back("Run " + std::to_string(i));
  for (const NSweepPoint& p : results.Points) {
    std::vector<std::string> row = {
        std::isfinite(p.Log10N) ? common::FormatSingle(p.Log10N) : std::string(),
        platform::CsvNumber(p.Mean), platform::CsvNumber(p.Deviation)};
    for (size_t i = 0; i < runs; ++i)
      row.push_back(i < p.Outcomes.size() ? platform::CsvNumber(p.Outcomes[i]) : std::string());
    table.rows.push_back(std::move(row));
  }
  return table;
}

}  // namespace quorvel
