// The chart of the S-K sweep: the final R+ frequency of every run as a heat map over S and K.
#pragma once

#include <QColor>

#include "quorvel/charts/chart_axes.h"
#include "quorvel/run/sweep_results.h"

namespace quorvel::charts {

// Rows: the blocks (the first at the bottom), labelled with their S; columns: the runs of a
// block, labelled with their K; the colour of a cell: the final R+ frequency, 0 to 1.
class SKHeatMap : public Chart {
 public:
  explicit SKHeatMap(SKSweepResults results) : results_(std::move(results)) {}
  void Paint(QPainter& painter) const override;

 private:
  SKSweepResults results_;
};

// The colour of a frequency on the heat map's scale (from dark blue through green to yellow).
QColor FrequencyColour(double frequency);

}  // namespace quorvel::charts
