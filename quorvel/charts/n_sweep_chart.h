// The chart of the Log10(N) sweep: the mean final R+ frequency with one S.D. either side,
// over every replicate run as a faint dot.
#pragma once

#include "quorvel/charts/chart_axes.h"
#include "quorvel/run/sweep_results.h"

namespace quorvel::charts {

class NSweepChart : public Chart {
 public:
  explicit NSweepChart(NSweepResults results) : results_(std::move(results)) {}
  void Paint(QPainter& painter) const override;

 private:
  NSweepResults results_;
};

}  // namespace quorvel::charts
