// The drawing surface: the mapping of a point, the marks, axis and curve labels.
#include <gtest/gtest.h>

#include "tessaline/core/plotting.h"
#include "tessaline/core/tests/test_support.h"

namespace tessaline {
namespace {

using common::Primitive;
class Plotting : public testing::ProgramTest {
 protected:
  OutputFile outputFile;  // not opened: nothing is written
  Plotter plotter{controls, surface, outputFile};
};

void ExpectLine(const Primitive& p, float x1, float y1, float x2, float y2) {
  EXPECT_EQ(p.kind, Primitive::Kind::Line);
  EXPECT_FLOAT_EQ(p.x1, x1);
  EXPECT_FLOAT_EQ(p.y1, y1);
  EXPECT_FLOAT_EQ(p.x2, x2);
  EXPECT_FLOAT_EQ(p.y2, y2);
}

TEST_F(Plotting, PointsAreClampedAndMapped) {
  double x = 0.5, y = 1.2;
  ASSERT_TRUE(plotter.PlotPoint("+", x, y));
  EXPECT_EQ(y, 1.0);  // written back
  const double bottom = 5835.0 * 0.99 + 20;
  double x0 = 0.0, y0 = -0.3;
  ASSERT_TRUE(plotter.PlotPoint("+", x0, y0));
  EXPECT_EQ(y0, 0.0);
  double x1 = 1.0, yMid = 0.5;
  ASSERT_TRUE(plotter.PlotPoint("+", x1, yMid));
  const auto& p = surface.Primitives();
  ASSERT_EQ(p.size(), 6u);
  ExpectLine(p[0], 3777.5f, 20, 3857.5f, 20);
  ExpectLine(p[1], 3817.5f, -20, 3817.5f, 60);
  ExpectLine(p[2], -40, static_cast<float>(bottom), 40, static_cast<float>(bottom));
  const float mid = static_cast<float>(5835.0 * 0.99 * 0.5 + 20);
  ExpectLine(p[4], 7595, mid, 7675, mid);
}

TEST_F(Plotting, MarkShapes) {
  double x = 0.2, y = 0.5;
  const float px = 7635 * 0.2f, py = static_cast<float>(5835.0 * 0.99 * 0.5 + 20);
  plotter.PlotPoint("x", x, y);
  plotter.PlotPoint("o", x, y);
  plotter.PlotPoint("*", x, y);  // an unknown mark draws nothing
  const auto& p = surface.Primitives();
  ASSERT_EQ(p.size(), 3u);
  ExpectLine(p[0], px - 40, py - 40, px + 40, py + 40);
  ExpectLine(p[1], px + 40, py - 40, px - 40, py + 40);
  EXPECT_EQ(p[2].kind, Primitive::Kind::Circle);
  EXPECT_FLOAT_EQ(p[2].x1, px);
  EXPECT_FLOAT_EQ(p[2].y1, py);
  EXPECT_EQ(p[2].x2, 20.0f);
}

TEST_F(Plotting, UncomputablePointsAreNotDrawn) {
  double x = std::numeric_limits<double>::quiet_NaN(), y = 0.5;
  EXPECT_FALSE(plotter.PlotPoint("+", x, y));
  double x2 = 0.5, y2 = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(plotter.PlotPoint("+", x2, y2));
  EXPECT_TRUE(surface.Primitives().empty());
}

TEST_F(Plotting, AxisLabels) {
  SetAxisLabel(controls, 2, "ab", 1);
  EXPECT_EQ(controls.AxisCaption(2), "a\rb");
  SetAxisLabel(controls, 5, "ab", 1);
  EXPECT_EQ(controls.AxisCaption(5), "ab");
  SetAxisLabel(controls, 1, "", 1);
  EXPECT_EQ(controls.AxisCaption(1), "");
  SetAxisLabel(controls, 3, "0", 0);
  EXPECT_EQ(controls.AxisCaption(3), "0");
  EXPECT_FALSE(controls.AxisVisible(3));
  SetAxisLabel(controls, 3, "1", 2);  // leaves the visibility as it was
  EXPECT_FALSE(controls.AxisVisible(3));
  SetAxisLabel(controls, 3, "1", 1);
  EXPECT_TRUE(controls.AxisVisible(3));
}

TEST_F(Plotting, SelectionSetsTheAxisLabels) {
  controls.SetOutputFileName("");
  program.cmd_Click(1);
  EXPECT_EQ(controls.AxisCaption(1), "1");
  EXPECT_EQ(controls.AxisCaption(2), " \r \r \rF\rr\re\rq\ru\re\rn\rc\ry\r \ro\rf\r \rC");
  EXPECT_EQ(controls.AxisCaption(3), "0");
  EXPECT_EQ(controls.AxisCaption(4), "0");
  EXPECT_EQ(controls.AxisCaption(5), "G e n e r a t i o n s");
  EXPECT_EQ(controls.AxisCaption(6), "500");
  for (int i = 1; i <= 6; ++i) EXPECT_TRUE(controls.AxisVisible(i));
}

TEST_F(Plotting, PrintAtPercent) {
  plotter.PrintAtPercent("S=.025", 45, 10);
  ASSERT_EQ(surface.Primitives().size(), 1u);
  const Primitive& p = surface.Primitives()[0];
  EXPECT_EQ(p.kind, Primitive::Kind::Text);
  EXPECT_EQ(p.text, "S=.025");
  EXPECT_EQ(p.x1, 45.0f * 7635.0f / 100.0f);
  EXPECT_EQ(p.y1, 10.0f * 5835.0f / 100.0f);
}

std::vector<std::string> Texts(const common::RecordingSurface& surface) {
  std::vector<std::string> texts;
  for (const auto& p : surface.Primitives())
    if (p.kind == Primitive::Kind::Text) texts.push_back(p.text);
  return texts;
}

TEST_F(Plotting, CurveLabelsFollowTheSelection) {
  controls.SetOutputFileName("");
  plotter.DrawCurveLabels();
  EXPECT_TRUE(surface.Primitives().empty());
  program.cmd_Click(1);
  EXPECT_EQ(Texts(surface),
            (std::vector<std::string>{"S=.025", "S=.0125", "S=.01", "S=.008333", "S=.003333"}));
  program.cmd_Click(2);
  EXPECT_EQ(Texts(surface), (std::vector<std::string>{"ML=.4", "ML=.8", "ML=1", "ML=1.2", "ML=3"}));
  const auto& last = surface.Primitives().back();
  EXPECT_EQ(last.x1, 65.0f * 7635.0f / 100.0f);
  EXPECT_EQ(last.y1, 80.0f * 5835.0f / 100.0f);
  program.cmd_Click(3);
  EXPECT_EQ(Texts(surface), (std::vector<std::string>{"r=.12", "r=.1", "r=.09", "r=0"}));
  // A repeated run clears them.
  program.Execute_Click();
  EXPECT_TRUE(Texts(surface).empty());
  EXPECT_GT(surface.ForcedRefreshes(), 0);
}

}  // namespace
}  // namespace tessaline
