#include "quorvel/run/curve_plotting.h"

#include <gtest/gtest.h>

#include "quorvel/run/tests/fake_run_window.h"

namespace quorvel {
namespace {

using common::Primitive;
using testing::Session;

class CurvePlotting : public ::testing::Test {
 protected:
  const std::vector<Primitive>& Drawn() { return session.Window.Recording.Primitives(); }
  // Draws the generation the model holds; returns its outcome.
  double Plot(int generation) {
    const GenerationRow row = MakeRow(model, static_cast<int16_t>(generation));
    plot.Draw(row);
    return row.RPlusFreq();
  }

  Session session{"unused"};
  CurvePlot plot{session.Window.Recording, 10};
  quorvel::Model& model = session.Model;
};

TEST_F(CurvePlotting, PointsInGenerationOneThenSegmentsAcrossTheWidth) {
  session.Window.Recording.SetSize(1000, 501);
  for (int g = 1; g <= 4; ++g) {
    model.Freq(0, 1, g) = 0.1 * g;  // R+: 0.1 0.2 0.3 0.4
    model.Freq(1, 1, g) = 0;
  }
  double rPlusFreq = 0;
  for (int generation = 1; generation <= 10; ++generation) rPlusFreq = Plot(generation);
  const std::vector<Primitive>& drawn = Drawn();
  ASSERT_EQ(drawn.size(), 80u);
  const float cumulative[8] = {0.1f, 0.3f, 0.6f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  for (size_t j = 0; j < 8; ++j) {
    const Primitive& p = drawn[j];
    EXPECT_EQ(p.kind, Primitive::Kind::Point);
    EXPECT_EQ(p.colour, j < 4 ? kRPlusColour : kRMinusColour);
    EXPECT_EQ(p.x1, 100);
    EXPECT_NEAR(p.y1, 500 * (1 - cumulative[j]), 1e-4);
  }
  for (int generation = 2; generation <= 10; ++generation) {
    for (size_t j = 0; j < 8; ++j) {
      const Primitive& p = drawn[static_cast<size_t>(generation - 1) * 8 + j];
      EXPECT_EQ(p.kind, Primitive::Kind::Line);
      EXPECT_EQ(p.colour, j < 4 ? kRPlusColour : kRMinusColour);
      EXPECT_EQ(p.x1, 100 * (generation - 1));
      EXPECT_EQ(p.x2, 100 * generation);
      EXPECT_EQ(p.y1, p.y2);
    }
  }
  // The whole population is R+: the blue curves lie on the top row.
  EXPECT_EQ(drawn.back().y2, 0);
  EXPECT_DOUBLE_EQ(rPlusFreq, 1.0);
}

TEST_F(CurvePlotting, SeveralDemesShowTheMeansOverDemes) {
  model.Demes = 2;
  for (int g = 1; g <= 4; ++g) {
    model.Freq(0, 1, g) = 0.25;  // deme 1 all R+
    model.Freq(3, 1, g) = 0.05;  // mean R+ 0.2
    model.Freq(4, 1, g) = 0.2;   // mean R- 0.8
  }
  EXPECT_DOUBLE_EQ(Plot(1), 0.2);
  EXPECT_NEAR(Drawn()[0].y1, 999 * 0.95, 1e-3);
  EXPECT_NEAR(Drawn()[7].y1, 0, 1e-3);

  model.Demes = 1;
  EXPECT_DOUBLE_EQ(Plot(1), 1.0);
}

TEST_F(CurvePlotting, ThreeLociDrawSixteenCurves) {
  session.SetLoci(3);
  model.Freq(1, 1, 8) = 1;
  const double rPlusFreq = Plot(1);
  ASSERT_EQ(Drawn().size(), 16u);
  EXPECT_EQ(Drawn()[7].colour, kRPlusColour);
  EXPECT_EQ(Drawn()[8].colour, kRMinusColour);
  EXPECT_EQ(Drawn()[14].y1, 999);  // below ABC' the cumulative frequency is 0
  EXPECT_EQ(Drawn()[15].y1, 0);
  EXPECT_EQ(rPlusFreq, 0);
}

}  // namespace
}  // namespace quorvel
