// The drawing surface: axis labels, the marks of the points and the curve labels.
#include <cmath>

#include "common/number_text.h"
#include "tessaline/core/program.h"

namespace tessaline {
namespace {

struct CurveLabel {
  const char* tag;
  const char* text;
  int16_t xPercent;
  int16_t yPercent;
};

// They name the presets, not the values that were run.
const CurveLabel kCurveLabels[] = {
    {"1", "S=.025", 45, 10},    {"1", "S=.0125", 72, 20},   {"1", "S=.01", 80, 30},
    {"1", "S=.008333", 85, 40}, {"1", "S=.003333", 85, 85}, {"2", "ML=.4", 35, 5},
    {"2", "ML=.8", 60, 15},     {"2", "ML=1", 75, 20},      {"2", "ML=1.2", 85, 25},
    {"2", "ML=3", 65, 80},      {"3", "r=.12", 65, 5},      {"3", "r=.1", 65, 30},
    {"3", "r=.09", 65, 60},     {"3", "r=0", 65, 92},
};

// Marks reach 40 units beyond their point; anything near the float32 limit cannot be drawn.
bool Drawable(double coordinate) {
  return std::isfinite(coordinate) && std::fabs(coordinate) < 1e37;
}

}  // namespace

void Program::SetAxisLabel(int16_t index, const std::string& text, int16_t visibility) {
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
  controls_.SetAxisCaption(index, caption);
  if (visibility == 1) controls_.SetAxisVisible(index, true);
  if (visibility == 0) controls_.SetAxisVisible(index, false);
}

bool Program::PlotPoint(const std::string& mark, double& x, double& y) {
  if (y > 1) y = 1;
  if (y < 0) y = 0;
  const double sw = surface_.ScaleWidth();
  const double sh = surface_.ScaleHeight();
  const double px = sw * x;
  const double py = (sh * 0.99) * (1 - y) + 20;
  const bool writing = outputFile_.IsOpen();
  const double first = writing ? ValueOf(1) * x : 0.0;
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
  if (writing) WriteOutputLine(common::FormatNumber(first) + " " + common::FormatNumber(y));
  return true;
}

void Program::PrintAtPercent(const std::string& text, int16_t xPercent, int16_t yPercent) {
  const float sw = surface_.ScaleWidth();
  const float sh = surface_.ScaleHeight();
  surface_.SetCurrentPosition(static_cast<float>(xPercent) * sw / 100.0f,
                              static_cast<float>(yPercent) * sh / 100.0f);
  surface_.Print(text);
}

void Program::DrawCurveLabels() {
  const std::string tag = controls_.TitleTag();
  for (const CurveLabel& label : kCurveLabels)
    if (tag == label.tag) PrintAtPercent(label.text, label.xPercent, label.yPercent);
}

}  // namespace tessaline
