// The charts of quorvel's sweeps, drawn from the values the sweeps produced: the final R+
// frequency of the S-K sweep as a heat map over S and K, and the mean R+ frequency of the
// Log10(N) sweep with one S.D. either side and every replicate run. QtGui painting only,
// so the window shows them and the batch program writes them without a display.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/csv.h"
#include "platform/figure.h"
#include "quorvel/run/run_state.h"
#include "quorvel/run/study_results.h"

namespace quorvel::charts {

// One value of S of the S-K sweep: the runs with every value of K, in the order run.
struct SKBlock {
  double S = 0;  // as the block's title line in ReportFile2 states it
  std::vector<double> K;
  std::vector<double> RPlusFreq;  // final R+ frequency of the run with K[i]
};

struct SKSweepResults {
  std::vector<SKBlock> Blocks;
  // What the rows and the columns vary and what a cell shows: a study's heat map names its
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

// A chart laid out for the size it is given (by default a 640 x 480 figure).
class Chart : public platform::Figure {
 public:
  QSize Size() const override { return size_; }
  void Fit(QSize available) override { size_ = available.expandedTo(kMinimumSize); }

 protected:
  static constexpr QSize kMinimumSize{320, 240};
  QSize size_{640, 480};
};

// Rows: the blocks (the first at the bottom), labelled with their S; columns: the runs of a
// block, labelled with their K; the colour of a cell: the final R+ frequency, 0 to 1.
class SKHeatMap : public Chart {
 public:
  explicit SKHeatMap(SKSweepResults results) : results_(std::move(results)) {}
  void Paint(QPainter& painter) const override;

 private:
  SKSweepResults results_;
};

class NSweepChart : public Chart {
 public:
  explicit NSweepChart(NSweepResults results) : results_(std::move(results)) {}
  void Paint(QPainter& painter) const override;

 private:
  NSweepResults results_;
};

// The colour of a frequency on the heat map's scale (from dark blue through green to yellow).
QColor FrequencyColour(double frequency);

// The numbers behind the charts: one line per run of the S-K sweep (S, K, R+ frequency);
// one line per Log10(N) (mean, S.D., the outcome of every run). The title lines are the
// caller's to fill.
platform::CsvTable SKSweepTable(const SKSweepResults& results);
platform::CsvTable NSweepTable(const NSweepResults& results);

// The runs of an S-K sweep, block by block of one S.
SKSweepResults SelectionResults(const CommandRecord& record);
// The runs of an N sweep by Log10(N), with their mean and S.D. as ReportFile3 has them.
NSweepResults PopulationResults(const CommandRecord& record);

// The results of a sweep as the window shows them: the chart and the numbers behind it
// (title lines left to the caller).
struct SweepFigure {
  std::shared_ptr<Chart> Picture;
  platform::CsvTable Numbers;
};
// The figure of the sweep a command ran; nullopt for a single run.
std::optional<SweepFigure> MakeSweepFigure(const CommandRecord& record);

// A study's chart: with one varied parameter the mean final R+ frequency with one S.D. and
// every run against it, with two a heat map of the mean, the first parameter on the
// vertical axis. Nullopt for more than two.
std::optional<SweepFigure> MakeStudyFigure(const StudyResults& results);

}  // namespace quorvel::charts
