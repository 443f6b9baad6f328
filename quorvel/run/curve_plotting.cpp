// The stacked chart of a run: for every generation the cumulative frequency after each
// genotype is one point of one curve, R+ carriers first (dark red), then R- carriers
// (blue) on top of them; the top curve is the total.
#include "common/number_text.h"
#include "quorvel/run/run_driver.h"

namespace quorvel {

void RunDriver::PlotGeneration() {
  // With several demes the chart shows their means, kept in slots 3 and 4 of deme 1.
  const int slot = model_.Demes <= 1 ? 0 : 3;
  const bool single = state_.SingleSimulation;
  if (single) reportLine_.clear();
  plotX_ = static_cast<double>(static_cast<float>(state_.Generation)) *
           static_cast<double>(picture_.ScaleWidth()) /
           static_cast<double>(static_cast<float>(state_.MaxGen));
  plotHeight_ = picture_.ScaleHeight();
  cumFreq_ = 0;

  const int16_t genotypes = model_.GenotypesNum;
  picture_.SetForeColour(kRPlusColour);
  for (int16_t g = 1; g <= genotypes; ++g) {
    cumFreq_ += model_.Freq(slot, 1, g);
    PlotPoint(g);
  }
  state_.RPlusFreq = cumFreq_;
  picture_.SetForeColour(kRMinusColour);
  for (int16_t g = 1; g <= genotypes; ++g) {
    cumFreq_ += model_.Freq(slot + 1, 1, g);
    PlotPoint(static_cast<int16_t>(genotypes + g));
  }
  plotXPrev_ = plotX_;
  if (single) WriteReport(1, reportLine_);
}

void RunDriver::PlotPoint(int16_t j) {
  // A cumulative frequency of 0 lies on the last row, 1 on the top row.
  const double y = (plotHeight_ - 1) * (1 - cumFreq_);
  if (state_.Generation == 1) {
    picture_.Point(static_cast<float>(plotX_), static_cast<float>(y));
  } else {
    picture_.Line(static_cast<float>(plotXPrev_), static_cast<float>(plotYPrev_[j]),
                  static_cast<float>(plotX_), static_cast<float>(y));
  }
  plotYPrev_[j] = y;
  if (state_.SingleSimulation) {
    reportLine_ += common::FormatNumber(cumFreq_);
    reportLine_ += '\t';
  }
}

}  // namespace quorvel
