#include "quorvel/charts/sweep_charts.h"
#include "quorvel/charts/n_sweep_chart.h"
#include "quorvel/charts/sk_heat_map.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

using namespace quorvel;
using namespace quorvel::charts;

namespace {

int CountColour(const QImage& image, QColor colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == colour;
  return n;
}

SKSweepResults TwoBlocks() {
  SKSweepResults results;
  results.Blocks = {{0.01, {0.8, 0.81, 0.82}, {0.0, 0.0, 0.0}},
                    {0.02, {0.8, 0.81, 0.82}, {1.0, 1.0, std::nan("")}}};
  return results;
}

}  // namespace

TEST(SweepCharts, HeatMapColoursEveryRunByItsFrequency) {
  SKHeatMap map(TwoBlocks());
  const QImage image = platform::FigureImage(map, 1.0);
  ASSERT_EQ(image.size(), map.Size());
  // Three cells of 0, two of 1: the cells fill most of the figure.
  const int low = CountColour(image, FrequencyColour(0));
  const int high = CountColour(image, FrequencyColour(1));
  EXPECT_GT(low, image.width() * image.height() / 6);
  EXPECT_NEAR(high, low * 2 / 3, low / 10);
  EXPECT_NE(FrequencyColour(0), FrequencyColour(1));
  EXPECT_NE(FrequencyColour(std::nan("")), FrequencyColour(0.5));
}

TEST(SweepCharts, NChartMarksTheMeansAndSurvivesNoValues) {
  NSweepResults results;
  results.Points = {{1.0f, {0.1, 0.3}, 0.2, 0.14}, {1.5f, {0.6, 0.8}, 0.7, 0.14}};
  NSweepChart chart(results);
  chart.Fit(QSize(400, 300));
  const QImage image = platform::FigureImage(chart, 1.0);
  EXPECT_EQ(image.size(), QSize(400, 300));
  EXPECT_GT(CountColour(image, QColor(192, 0, 0)), 40);

  NSweepChart empty{NSweepResults{}};
  EXPECT_EQ(platform::FigureImage(empty, 1.0).size(), empty.Size());
}

TEST(SweepCharts, AStudyOfOneParameterGetsAMeanChartOfTwoAHeatMapOfMoreNone) {
  quorvel::StudyResults study;
  study.Parameters = {"demes", "diffusion"};
  for (double demes : {1.0, 2.0})
    for (double diffusion : {0.0, 0.1, 0.5})
      study.Points.push_back({{demes, diffusion}, {0.2, 0.4}, demes / 4, 0.1});
  const std::optional<SweepFigure> map = MakeStudyFigure(study);
  ASSERT_TRUE(map);
  // The first parameter down the side, its rows holding the means over the second.
  EXPECT_EQ(map->Numbers.columns[0], "demes");
  EXPECT_EQ(map->Numbers.rows.size(), 6u);
  EXPECT_EQ(map->Numbers.rows[3][0], "2");
  EXPECT_EQ(map->Numbers.rows[3][2], "0.5");

  study.Parameters = {"z"};
  study.Points.resize(2);
  for (quorvel::StudyPointResults& p : study.Points) p.Values.resize(1);
  const std::optional<SweepFigure> chart = MakeStudyFigure(study);
  ASSERT_TRUE(chart);
  EXPECT_EQ(chart->Numbers.columns[0], "z");

  study.Parameters = {"S", "K", "z"};
  EXPECT_FALSE(MakeStudyFigure(study));
}
