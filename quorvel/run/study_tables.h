// The tidy tables of a study: runs.csv (one row per run, in grid order) and summary.csv
// (one row per grid point), built line by line as the runs come in, so that nothing is kept
// per run. RFC 4180 CSV with a header line; every number is the shortest text that reads
// back to the same double, with a point; an undefined value is an empty field.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "quorvel/run/study.h"

namespace quorvel {

inline constexpr const char* kRunsTable = "runs.csv";
inline constexpr const char* kSummaryTable = "summary.csv";

std::string RunsHeader(const StudyDefinition& definition);
// A run's row; `values` are the point's values (Study::PointValues).
std::string RunsRow(const std::vector<std::string>& values, const StudyOutcome& outcome);
// The same row appended to `row`.
void AppendRunsRow(std::string& row, const std::vector<std::string>& values,
                   const StudyOutcome& outcome);
// Reads back a row RunsRow wrote for a study of `varied` parameters; false when it is not
// one.
bool ParseRunsRow(std::string_view row, size_t varied, StudyOutcome& outcome);

std::string SummaryHeader(const StudyDefinition& definition);
std::string SummaryRow(size_t point, const std::vector<std::string>& values,
                       const PointSummary& summary);

// Builds both tables from the outcomes in grid order. `write` takes one line of a table
// (kRunsTable or kSummaryTable) and returns false when it could not be written.
class StudyTables {
 public:
  using Writer = std::function<bool(const char* table, std::string_view line)>;
  StudyTables(const Study& study, Writer write);
  // The header lines.
  bool Begin();
  // The next run's row, and the row of its point once its last replicate has come.
  bool Add(const StudyOutcome& outcome);
  // The row of a point whose replicates were cut short (a stopped study), if any.
  bool Finish();

 private:
  bool WritePoint();

  const Study& study_;
  Writer write_;
  size_t point_ = SIZE_MAX;
  std::vector<std::string> values_;
  std::string row_;
  PointAccumulator accumulator_;
};

}  // namespace quorvel
