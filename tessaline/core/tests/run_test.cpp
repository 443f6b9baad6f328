// The three simulations: the numbers they plot and write, and runs that must stop.
#include <gtest/gtest.h>

#include <cmath>

#include "common/number_text.h"
#include "tessaline/core/tests/test_support.h"

namespace tessaline {
namespace {

using testing::ReadAll;
using testing::ReadLines;

struct Point {
  double time;
  double y;
};
using Curve = std::vector<Point>;

// The output lines split into curves: every curve starts at time 0.
std::vector<Curve> Curves(const std::vector<std::string>& lines) {
  std::vector<Curve> curves;
  for (const std::string& line : lines) {
    const size_t blank = line.find(' ');
    EXPECT_NE(blank, std::string::npos) << line;
    const Point p{common::ParseLeadingNumber(line.substr(0, blank)),
                  common::ParseLeadingNumber(line.substr(blank + 1))};
    if (p.time == 0 || curves.empty()) curves.emplace_back();
    curves.back().push_back(p);
  }
  return curves;
}

// y after g generations of y' = y(1 + S) / (1 + yS), in closed form.
double Spread(double y0, double s, double g) {
  const double grown = y0 * std::pow(1 + s, g);
  return grown / (1 - y0 + grown);
}

size_t CountLines(const common::RecordingSurface& surface) {
  size_t n = 0;
  for (const auto& p : surface.Primitives()) n += p.kind == common::Primitive::Kind::Line;
  return n;
}

class Run : public testing::ProgramTest {
 protected:
  Run() { controls.SetOutputFileName(out); }
  std::vector<std::string> Lines() { return ReadLines(out); }

  std::string out = folder.File("out.txt");
};

TEST_F(Run, SpreadingPresets) {
  program.cmd_Click(1);
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 255u);
  EXPECT_EQ(lines[0], "0 0.05");
  EXPECT_EQ(lines[1], "10 0.063120276515942");
  EXPECT_EQ(lines[2], "20 0.0793956535328362");
  const double s[] = {0.025, 0.0125, 0.01, 0.008333, 0.003333};
  const auto curves = Curves(lines);
  ASSERT_EQ(curves.size(), 5u);
  for (size_t c = 0; c < 5; ++c) {
    ASSERT_EQ(curves[c].size(), 51u);
    for (size_t i = 0; i < 51; ++i) {
      EXPECT_EQ(curves[c][i].time, 10.0 * static_cast<double>(i));
      EXPECT_NEAR(curves[c][i].y, Spread(0.05, s[c], 10.0 * static_cast<double>(i)), 1e-12);
    }
  }
  EXPECT_EQ(CountLines(surface), 510u);  // one "+" of two lines per point
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(controls.AxisCaption(6), "500");
}

TEST_F(Run, SpreadingFollowsTheEditedGrid) {
  program.cmd_Click(1);
  controls.SetValue(1, "1000");
  controls.SetValue(2, "25");
  controls.SetValue(3, "2");
  program.Execute_Click();
  const auto curves = Curves(Lines());
  ASSERT_EQ(curves.size(), 2u);
  ASSERT_EQ(curves[1].size(), 41u);
  EXPECT_EQ(curves[1].back().time, 1000);
  EXPECT_NEAR(curves[1].back().y, Spread(0.05, 0.0125, 1000), 1e-12);
  EXPECT_EQ(controls.AxisCaption(6), "1000");
  // A run of the Execute button draws no curve labels.
  for (const auto& p : surface.Primitives()) EXPECT_NE(p.kind, common::Primitive::Kind::Text);
}

TEST_F(Run, AFrequencyAboveOneIsPlottedAndContinuedAsOne) {
  program.cmd_Click(1);
  controls.SetValue(4, "1.2");
  program.Execute_Click();
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 255u);
  EXPECT_EQ(lines[0], "0 1");
  EXPECT_EQ(lines[1], "10 1");
  EXPECT_EQ(surface.Primitives()[0].y1, 20.0f);  // the top line, 20 units below the edge
}

TEST_F(Run, VelocityPresets) {
  program.cmd_Click(2);
  const auto lines = Lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "0 0.05");
  EXPECT_EQ(lines[1], "3.99999991059303 0.0549436899893293");
  EXPECT_EQ(lines[2], "7.99999982118607 0.06034513214452");
  const auto curves = Curves(lines);
  ASSERT_EQ(curves.size(), 5u);
  const size_t counts[] = {126, 63, 51, 42, 17};
  const double lastTimes[] = {500, 496, 500, 492, 480};
  const double ml[] = {0.4, 0.8, 1, 1.2, 3};
  for (size_t c = 0; c < 5; ++c) {
    SCOPED_TRACE("curve " + std::to_string(c + 1));
    ASSERT_EQ(curves[c].size(), counts[c]);
    EXPECT_NEAR(curves[c].back().time, lastTimes[c], 1e-4);
    for (size_t i = 0; i < counts[c]; ++i) {
      // The time is N * float32(t / N) * ML: the float32 rounding of t / N shows.
      const double t = 10.0 * static_cast<double>(i);
      const double expected = 500.0 * (static_cast<double>(static_cast<float>(t / 500.0)) * ml[c]);
      EXPECT_EQ(common::FormatNumber(curves[c][i].time), common::FormatNumber(expected));
      EXPECT_NEAR(curves[c][i].y, Spread(0.05, 0.01, t), 1e-12);
    }
  }
  EXPECT_EQ(lines.size(), 299u);
}

TEST_F(Run, VelocityUsesSAsValidated) {
  program.cmd_Click(2);
  program.txt_LostFocus(5);
  ASSERT_EQ(controls.Value(5), "0.001");
  program.Execute_Click();
  const auto curves = Curves(Lines());
  ASSERT_EQ(curves.size(), 5u);
  EXPECT_NEAR(curves[0][1].y, Spread(0.05, 0.001, 10), 1e-14);
}

TEST_F(Run, SenescencePresets) {
  program.cmd_Click(3);
  const auto curves = Curves(Lines());
  ASSERT_EQ(curves.size(), 4u);
  // Known values, each to half a unit of its last digit.
  const double after10[] = {0.2224, 0.1527, 0.1241, 0.01139};
  const double within10[] = {5e-5, 5e-5, 5e-5, 5e-6};
  const double after250[] = {0.9988, 0.7361, 0.4475, 6.3e-26};
  const double within250[] = {5e-5, 5e-5, 5e-5, 5e-28};
  for (size_t c = 0; c < 4; ++c) {
    SCOPED_TRACE("curve " + std::to_string(c + 1));
    ASSERT_EQ(curves[c].size(), 26u);
    EXPECT_EQ(curves[c][0].y, 0.1);
    EXPECT_EQ(curves[c][1].time, 10);
    EXPECT_EQ(curves[c][25].time, 250);
    EXPECT_NEAR(curves[c][1].y, after10[c], within10[c]);
    EXPECT_NEAR(curves[c][25].y, after250[c], within250[c]);
  }
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(Run, SenescenceAlwaysDraws250Generations) {
  program.cmd_Click(3);
  controls.SetValue(1, "400");
  program.Execute_Click();
  EXPECT_EQ(controls.Value(1), "250");
  EXPECT_EQ(controls.AxisCaption(6), "250");
  EXPECT_EQ(Lines().size(), 104u);
}

TEST_F(Run, SenescenceHoldsMBeyondSixteenBits) {
  program.cmd_Click(3);
  controls.SetValue(2, "2");
  controls.SetValue(9, "0.0001");
  auto secondPoint = [&](const std::string& m) {
    controls.SetValue(8, m);
    program.Execute_Click();
    return Lines().at(1);
  };
  const std::string at32767 = secondPoint("32767");
  const std::string at40000 = secondPoint("40000");
  const std::string at100000 = secondPoint("100000");
  EXPECT_NE(at32767, at40000);
  EXPECT_NE(at40000, at100000);
  // m is rounded to a whole number, halves to the even neighbour.
  EXPECT_EQ(secondPoint("40000.5"), at40000);
  EXPECT_EQ(secondPoint("600.5"), secondPoint("600"));
  EXPECT_EQ(secondPoint("601.5"), secondPoint("602"));
  EXPECT_TRUE(sink.messages.empty());
}

// Runs whose values leave the computable range stop with a message and write nothing
// that is not a number.
class StoppedRun : public Run {
 protected:
  void ExpectStopped(size_t lines) {
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], kRunStoppedMessage);
    const std::string text = ReadAll(out);
    EXPECT_EQ(text.find("N"), std::string::npos) << text;  // NaN
    EXPECT_EQ(text.find("I"), std::string::npos) << text;  // Infinity
    EXPECT_EQ(Lines().size(), lines);
    EXPECT_EQ(CountLines(surface), 2 * lines);  // the points drawn so far stay
    // The file was closed: it can be removed and written again.
    EXPECT_TRUE(platform::DeleteFile(out));
  }
};

TEST_F(StoppedRun, InfiniteAdvantage) {
  program.cmd_Click(1);
  controls.SetValue(6, "1e999");
  program.Execute_Click();
  ExpectStopped(52);  // curve 1 complete, the first point of curve 2
}

TEST_F(StoppedRun, ZeroViability) {
  program.cmd_Click(3);
  controls.SetValue(6, "0");
  program.Execute_Click();
  ExpectStopped(1);
}

TEST_F(StoppedRun, ZeroStepWouldNeverEnd) {
  program.cmd_Click(1);
  controls.SetValue(2, "0");
  program.Execute_Click();
  ExpectStopped(1);
}

TEST_F(StoppedRun, GenerationsBeyondFloat32) {
  program.cmd_Click(1);
  controls.SetValue(1, "1e39");
  program.Execute_Click();
  ExpectStopped(0);
}

TEST_F(StoppedRun, ZeroGenerationLength) {
  program.cmd_Click(2);
  controls.SetValue(6, "0");
  program.Execute_Click();
  ExpectStopped(0);
}

TEST_F(Run, RowOneWithTextButNoSelectionCreatesAnEmptyFile) {
  controls.SetValue(1, "0");
  program.Execute_Click();
  EXPECT_EQ(platform::CheckFile(out), platform::FileCheck::Exists);
  EXPECT_EQ(ReadAll(out), "");
  EXPECT_TRUE(surface.Primitives().empty());
}

}  // namespace
}  // namespace tessaline
