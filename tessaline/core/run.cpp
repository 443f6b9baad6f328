// The run: the common parameters, the point loop and the three simulations.
#include <cmath>

#include "common/number_text.h"
#include "tessaline/core/program.h"

namespace tessaline {

double Program::ValueOf(int row) const {
  if (row < 1 || row > kRows) return 0.0;  // there is no grid row to read
  return common::ParseLeadingNumber(controls_.Value(row));
}

void Program::Execute_Click() {
  surface_.Clear();
  if (controls_.Value(1).empty()) return;
  OpenOutputFile();
  const std::string tag = controls_.TitleTag();
  bool completed = true;
  if (tag == "1") {
    completed = Simulation1();
  } else if (tag == "2") {
    completed = Simulation2();
  } else if (tag == "3") {
    completed = Simulation3();
  }
  CloseOutputFile();
  surface_.Refresh(true);
  if (!completed) messages_.ShowMessage(kRunStoppedMessage);
}

CommonParameters Program::ReadCommonParameters() {
  CommonParameters p;
  p.n = static_cast<float>(ValueOf(1));
  SetAxisLabel(6, common::FormatSingle(p.n), 1);
  p.step = static_cast<float>(ValueOf(2));
  p.curves = common::ToInt16(ValueOf(3));
  return p;
}

// t counts in float32 from 0 by Step while it has not passed the limit; each pass plots
// the current state and then advances the model.
template <typename PassFunction>
bool Program::PointLoop(float limit, float step, PassFunction pass) {
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

// Spreading of a gene with advantage S, one curve per S, against generations.
bool Program::Simulation1() {
  const CommonParameters p = ReadCommonParameters();
  const int16_t generationsPerPoint = common::ToInt16(p.step);
  for (int c = 1; c <= p.curves; ++c) {
    double y = ValueOf(4);
    const double s = ValueOf(c + 4);
    // Mutation rates are fixed at 0; the rows "U" and "V" only show them.
    const double u = 0.0;
    const double v = 0.0;
    const double a = 1.0 + s - u - v;
    const bool ok = PointLoop(p.n, p.step, [&](float t) {
      double x = static_cast<double>(t) / static_cast<double>(p.n);
      if (!PlotPoint("+", x, y)) return Pass::Stop;
      for (int k = 1; k <= generationsPerPoint; ++k) {
        y = (y * a + v) / (y * s + 1.0);
        if (!std::isfinite(y)) return Pass::Stop;
      }
      return Pass::Next;
    });
    if (!ok) return false;
  }
  return true;
}

// Spreading velocity: one curve per generation length ML, against time. The loop runs far
// enough for the shortest generation to reach time N; each curve stops at time N.
bool Program::Simulation2() {
  const CommonParameters p = ReadCommonParameters();
  const int16_t generationsPerPoint = common::ToInt16(p.step);
  const double s = ValueOf(5);
  double minML = 1000000.0;
  for (int c = 1; c <= p.curves; ++c)
    if (ValueOf(c + 5) < minML) minML = ValueOf(c + 5);
  const double n = static_cast<double>(p.n);
  for (int c = 1; c <= p.curves; ++c) {
    double y = ValueOf(4);
    const double ml = ValueOf(c + 5);
    const float limit = static_cast<float>(n / minML);
    if (!std::isfinite(limit) || !std::isfinite(ml)) return false;
    const bool ok = PointLoop(limit, p.step, [&](float t) {
      if (static_cast<double>(t) * ml > n) return Pass::EndCurve;
      double x = static_cast<double>(static_cast<float>(static_cast<double>(t) / n)) * ml;
      if (!PlotPoint("+", x, y)) return Pass::Stop;
      for (int k = 1; k <= generationsPerPoint; ++k) {
        y = (1.0 + s) * y / (y * s + 1.0);
        if (!std::isfinite(y)) return Pass::Stop;
      }
      return Pass::Next;
    });
    if (!ok) return false;
  }
  return true;
}

// Senescence under inclusive fitness: one curve per relatedness r over 250 generations.
bool Program::Simulation3() {
  SetParameterRow(1, "Number of generations", "250", "2", "99999");
  const CommonParameters p = ReadCommonParameters();
  const int16_t generationsPerPoint = common::ToInt16(p.step);
  const double costOfC = ValueOf(5);     // S'
  const double viabilityC = ValueOf(6);  // V(C)
  const double s = ValueOf(7);
  for (int c = 1; c <= p.curves; ++c) {
    double y = ValueOf(4);
    const double r = ValueOf(c + 8);
    // Held in 32 bits: the row allows m up to 100000.
    const int32_t m = common::ToInt32(ValueOf(8));
    const bool ok = PointLoop(p.n, p.step, [&](float t) {
      double x = static_cast<double>(t) / static_cast<double>(p.n);
      if (!PlotPoint("+", x, y)) return Pass::Stop;
      for (int k = 1; k <= generationsPerPoint; ++k) {
        const double w = 1.0 - y * (1.0 - viabilityC);
        const double d =
            static_cast<double>(m) * ((r * s) * (1.0 / viabilityC - 1.0)) - costOfC / w;
        y = y * (1.0 + d) / (1.0 + y * d);
        if (!std::isfinite(y)) return Pass::Stop;
      }
      return Pass::Next;
    });
    if (!ok) return false;
  }
  return true;
}

}  // namespace tessaline
