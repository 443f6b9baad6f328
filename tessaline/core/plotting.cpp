#include "tessaline/core/plotting.h"

#include <cmath>

#include "common/number_text.h"
#include "tessaline/core/simulations.h"

namespace tessaline {
namespace {

// Marks reach 40 units beyond their point; anything near the float32 limit cannot be drawn.
bool Drawable(double coordinate) {
  return std::isfinite(coordinate) && std::fabs(coordinate) < 1e37;
}

}  // namespace

void SetAxisLabel(FormControls& controls, int16_t index, const std::string& text,
                  int16_t visibility) {
  if (index < 1 || index > kAxisLabels) return;
  std::string caption;
  if (index >= 4) {
    caption = text;
  } else {
    // The vertical axis labels stand one character per line.
    for (size_t i = 0; i < text.size(); ++i) {
      if (i > 0) caption += '\r';
      caption += text[i];
    }
  }
  controls.SetAxisCaption(index, caption);
  if (visibility == 1) controls.SetAxisVisible(index, true);
  if (visibility == 0) controls.SetAxisVisible(index, false);
}

bool Plotter::PlotPoint(const std::string& mark, double& x, double& y) {
  if (y > 1) y = 1;
  if (y < 0) y = 0;
  const double sw = surface_.ScaleWidth();
  const double sh = surface_.ScaleHeight();
  const double px = sw * x;
  const double py = (sh * 0.99) * (1 - y) + 20;
  const bool writing = outputFile_.IsOpen();
  // The first column is the horizontal position in the axis's own units, with row 1 read
  // afresh for every line.
  const double first = writing ? RowValue(controls_, 1) * x : 0.0;
  if (!Drawable(px) || !Drawable(py) || !std::isfinite(y) || !std::isfinite(first)) return false;

  auto f = [](double v) { return static_cast<float>(v); };
  if (mark == "+") {
    surface_.Line(f(px - 40), f(py), f(px + 40), f(py));
    surface_.Line(f(px), f(py - 40), f(px), f(py + 40));
  } else if (mark == "x") {
    surface_.Line(f(px - 40), f(py - 40), f(px + 40), f(py + 40));
    surface_.Line(f(px + 40), f(py - 40), f(px - 40), f(py + 40));
  } else if (mark == "o") {
    surface_.Circle(f(px), f(py), 20.0f);
  }
  if (writing) outputFile_.WriteLine(common::FormatNumber(first) + " " + common::FormatNumber(y));
  const double horizontal = writing ? first : RowValue(controls_, 1) * x;
  if (std::isfinite(horizontal)) points_.push_back({curve_, horizontal, y});
  return true;
}

void Plotter::PrintAtPercent(const std::string& text, int16_t xPercent, int16_t yPercent) {
  const float sw = surface_.ScaleWidth();
  const float sh = surface_.ScaleHeight();
  surface_.SetCurrentPosition(static_cast<float>(xPercent) * sw / 100.0f,
                              static_cast<float>(yPercent) * sh / 100.0f);
  surface_.Print(text);
}

void Plotter::DrawCurveLabels() {
  const Simulation* simulation = FindSimulationByTag(controls_.TitleTag());
  if (!simulation) return;
  // They name the presets, not the values that were run.
  for (const CurveLabel& label : simulation->curveLabels)
    PrintAtPercent(label.text, label.xPercent, label.yPercent);
}

}  // namespace tessaline
