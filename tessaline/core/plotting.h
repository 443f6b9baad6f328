// The picture: the six axis labels around it, the mark of every point (which also goes to
// the output file) and the curve labels printed after a selection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/drawing_surface.h"
#include "tessaline/core/controls.h"
#include "tessaline/core/output_file.h"

namespace tessaline {

// The interior of the window's picture box in twips. Runs without a window plot on a
// surface of this size, so that they find the same points drawable as the window.
inline constexpr float kPictureWidth = 7635;
inline constexpr float kPictureHeight = 5835;

// Sets the caption of lab(index): labels 1 to 3 stand beside the vertical axis, one
// character per line (CR between them). Visibility 1 shows the label, 0 hides it, any other
// value leaves it as it was.
void SetAxisLabel(FormControls& controls, int16_t index, const std::string& text,
                  int16_t visibility);

// A point as plotted: the curve it belongs to (1, 2, ...) and its place in the units of
// the axes, as the output file has it (the horizontal value, the frequency).
struct PlottedPoint {
  int16_t curve;
  double x;
  double y;
};

class Plotter {
 public:
  Plotter(FormControls& controls, common::DrawingSurface& surface, OutputFile& outputFile)
      : controls_(controls), surface_(surface), outputFile_(outputFile) {}

  // Clamps y to 0..1 (the caller goes on with the clamped value), draws the mark for
  // (x, y) and writes the point to the output file. False when the point lies outside the
  // numbers that can be drawn or written; nothing is drawn or written then and the run
  // stops.
  bool PlotPoint(const std::string& mark, double& x, double& y);
  // The points of the run so far, kept for Export data; a run starts them afresh and
  // numbers its curves.
  void BeginRun() {
    points_.clear();
    curve_ = 0;
  }
  void BeginCurve(int16_t curve) { curve_ = curve; }
  const std::vector<PlottedPoint>& Points() const { return points_; }
  // Prints text with its top-left corner at a place given in percent of the picture.
  void PrintAtPercent(const std::string& text, int16_t xPercent, int16_t yPercent);
  // The curve labels of the selected simulation; none before a selection.
  void DrawCurveLabels();

 private:
  FormControls& controls_;
  common::DrawingSurface& surface_;
  OutputFile& outputFile_;
  std::vector<PlottedPoint> points_;
  int16_t curve_ = 0;
};

}  // namespace tessaline
