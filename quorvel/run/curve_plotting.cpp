#include "quorvel/run/curve_plotting.h"

namespace quorvel {

void CurvePlot::Draw(const GenerationRow& row) {
  const double plotX = static_cast<double>(static_cast<float>(row.Generation)) *
                       static_cast<double>(surface_.ScaleWidth()) /
                       static_cast<double>(static_cast<float>(maxGen_));
  const double height = surface_.ScaleHeight();
  const size_t curves = static_cast<size_t>(row.Curves);
  surface_.SetForeColour(kRPlusColour);
  for (size_t j = 0; j < curves; ++j) {
    if (j == curves / 2) surface_.SetForeColour(kRMinusColour);
    // A cumulative frequency of 0 lies on the last row, 1 on the top row.
    const double y = (height - 1) * (1 - row.Cumulative[j]);
    if (row.Generation == 1) {
      surface_.Point(static_cast<float>(plotX), static_cast<float>(y));
    } else {
      surface_.Line(static_cast<float>(plotXPrev_), static_cast<float>(plotYPrev_[j]),
                    static_cast<float>(plotX), static_cast<float>(y));
    }
    plotYPrev_[j] = y;
  }
  plotXPrev_ = plotX;
}

}  // namespace quorvel
