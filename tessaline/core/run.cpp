#include "tessaline/core/run.h"

#include <cmath>

#include "common/number_text.h"
#include "tessaline/core/catalogue.h"

namespace tessaline {
namespace {

enum class Pass { Next, EndCurve, Stop };

// t counts in float32 from 0 by Step while it has not passed the limit; each pass plots
// the current state and then advances the model. False when the run must stop.
template <typename PassFunction>
bool PointLoop(float limit, float step, PassFunction pass) {
  if (!std::isfinite(limit)) return false;
  float t = 0.0f;
  while (step >= 0.0f ? t <= limit : t >= limit) {
    switch (pass(t)) {
      case Pass::Next:
        break;
      case Pass::EndCurve:
        return true;
      case Pass::Stop:
        return false;
    }
    const float next = t + step;
    // Once float32 can no longer count t exactly the points would repeat or drift, and a
    // step too small to move t would repeat the same point for ever.
    if (next == t ||
        static_cast<double>(next) != static_cast<double>(t) + static_cast<double>(step))
      return false;
    t = next;
  }
  return true;
}

}  // namespace

RunOutcome RunDriver::Execute() {
  surface_.Clear();
  plotter_.BeginRun();
  if (controls_.Value(1).empty()) return RunOutcome::NotRun;
  outputFile_.Open(controls_, messages_);
  const Simulation* simulation = FindSimulationByTag(controls_.TitleTag());
  const bool completed = simulation ? Simulate(*simulation) : true;
  outputFile_.Close(messages_);
  surface_.Refresh(true);
  if (!completed) messages_.ShowMessage(kRunStoppedMessage);
  return completed ? RunOutcome::Completed : RunOutcome::Stopped;
}

CommonParameters RunDriver::ReadCommonParameters() {
  CommonParameters p;
  p.n = static_cast<float>(RowValue(controls_, 1));
  SetAxisLabel(controls_, 6, common::FormatSingle(p.n), 1);
  p.step = static_cast<float>(RowValue(controls_, 2));
  p.curves = common::ToInt16(RowValue(controls_, 3));
  return p;
}

// Every curve starts again from Y(0). On a time axis the curve's row holds the length of
// a generation ML: the loop runs far enough for the shortest generation to reach time N,
// and each curve stops at time N.
bool RunDriver::Simulate(const Simulation& simulation) {
  if (simulation.rewrittenEachRun) SetParameterRow(controls_, *simulation.rewrittenEachRun);
  const CommonParameters p = ReadCommonParameters();
  const int16_t generationsPerPoint = common::ToInt16(p.step);
  const double n = static_cast<double>(p.n);
  const bool timeAxis = simulation.curveAxis == CurveAxis::Time;
  auto curveRow = [&](int c) { return simulation.firstCurveRow + c - 1; };
  double minML = 1000000.0;
  if (timeAxis)
    for (int c = 1; c <= p.curves; ++c)
      if (RowValue(controls_, curveRow(c)) < minML) minML = RowValue(controls_, curveRow(c));

  for (int c = 1; c <= p.curves; ++c) {
    plotter_.BeginCurve(static_cast<int16_t>(c));
    double y = RowValue(controls_, 4);
    const Coefficients k = simulation.read(controls_, c);
    const double ml = timeAxis ? RowValue(controls_, curveRow(c)) : 1.0;
    float limit = p.n;
    if (timeAxis) {
      limit = static_cast<float>(n / minML);
      if (!std::isfinite(limit) || !std::isfinite(ml)) return false;
    }
    const bool ok = PointLoop(limit, p.step, [&](float t) {
      double x;
      if (timeAxis) {
        if (static_cast<double>(t) * ml > n) return Pass::EndCurve;
        x = static_cast<double>(static_cast<float>(static_cast<double>(t) / n)) * ml;
      } else {
        x = static_cast<double>(t) / n;
      }
      if (!plotter_.PlotPoint("+", x, y)) return Pass::Stop;
      for (int generation = 1; generation <= generationsPerPoint; ++generation) {
        y = simulation.advance(y, k);
        if (!std::isfinite(y)) return Pass::Stop;
      }
      return Pass::Next;
    });
    if (!ok) return false;
  }
  return true;
}

}  // namespace tessaline
