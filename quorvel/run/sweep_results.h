// The results of quorvel's sweeps as their charts and tables show them: the final R+
// frequency of every run of the S-K sweep, block by block of one S, and the runs of the
// Log10(N) sweep by Log10(N) with their mean and S.D. Plain C++, so that the batch program
// has them without Qt.
#pragma once

#include <string>
#include <vector>

#include "platform/system/csv.h"
#include "quorvel/run/run_state.h"

namespace quorvel {

// One value of S of the S-K sweep: the runs with every value of K, in the order run.
struct SKBlock {
  double S = 0;  // as the block's title line in ReportFile2 states it
  std::vector<double> K;
  std::vector<double> RPlusFreq;  // final R+ frequency of the run with K[i]
};

struct SKSweepResults {
  std::vector<SKBlock> Blocks;
  // What the rows and the columns vary and the chart's title: a study's heat map names its
  // own parameters.
  std::string Rows = "S";
  std::string Columns = "K (epistasis)";
  std::string Title = "Final R+ frequency over S and K";
};

// One value of Log10(N) of the N sweep.
struct NSweepPoint {
  float Log10N = 0;
  std::vector<double> Outcomes;  // final R+ frequency of every replicate run
  double Mean = 0;
  double Deviation = 0;  // one S.D.
};

struct NSweepResults {
  std::vector<NSweepPoint> Points;
  std::string Across = "Log10(N)";  // the varied parameter; a study's chart names its own
};

// The runs of an S-K sweep, block by block of one S.
SKSweepResults SelectionResults(const CommandRecord& record);
// The runs of an N sweep by Log10(N), with their mean and S.D. as ReportFile3 has them.
NSweepResults PopulationResults(const CommandRecord& record);

// The numbers behind the charts: one line per run of the S-K sweep (S, K, R+ frequency);
// one line per Log10(N) (mean, S.D., the outcome of every run). The title lines are the
// caller's to fill.
platform::CsvTable SKSweepTable(const SKSweepResults& results);
platform::CsvTable NSweepTable(const NSweepResults& results);

}  // namespace quorvel
