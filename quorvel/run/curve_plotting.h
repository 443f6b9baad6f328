// The stacked chart of a run: for every generation the cumulative frequency after each
// genotype is one point of one curve, R+ carriers first, then R- carriers on top of them;
// the top curve is the total. Generation 1 leaves points, every later generation joins
// each curve to its point of the generation before, and generation MaxGen reaches the
// right edge.
#pragma once

#include <array>
#include <cstdint>

#include "common/drawing_surface.h"
#include "quorvel/run/run_core.h"

namespace quorvel {

// The colours of the carriers of the modifier alleles, in the curves and in the report of
// what a run drew: R+ carriers (they recombine) dark red, R- carriers blue.
inline constexpr common::Colour kRPlusColour = 0xC0;
inline constexpr common::Colour kRMinusColour = 0xFF0000;

class CurvePlot {
 public:
  CurvePlot(common::DrawingSurface& surface, int16_t maxGen) : surface_(surface), maxGen_(maxGen) {}
  // Draws one generation; the surface's size is read afresh every time.
  void Draw(const GenerationRow& row);

 private:
  common::DrawingSurface& surface_;
  int16_t maxGen_;
  double plotXPrev_ = 0;
  std::array<double, 2 * kMaxGenotypes> plotYPrev_{};
};

}  // namespace quorvel
