#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <atomic>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "common/testing/test_files.h"
#include "platform/figures/figure.h"
#include "quorvel/batch/batch_command.h"

namespace quorvel::batch {
namespace {

int Batch(std::vector<std::string> args, std::string* err = nullptr) {
  std::ostringstream out;
  std::ostringstream errors;
  std::atomic<bool> stop{false};
  const int status = RunBatchCommand(args, out, errors, stop, false);
  if (err) *err = errors.str();
  return status;
}

// Pixels that differ from the background of the figure's corner.
int Painted(const QImage& image) {
  const QRgb background = image.pixel(0, 0);
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) != background;
  return n;
}

TEST(BatchPlot, EachSweepDrawsItsChartInTheFormatNamedAndOtherNamesAreRefused) {
  const platform::GuiForFigures gui;
  common::testing::TempFolder temp;
  const std::string sk = temp.File("sk.png");
  ASSERT_EQ(Batch({"sk-sweep", "--set", "maxgen=5", "--out", temp.File("sk"), "--plot", sk}),
            kExitOk);
  const QImage heatMap(QString::fromStdString(sk));
  ASSERT_FALSE(heatMap.isNull());
  // The cells of the heat map cover much of the figure.
  EXPECT_GT(Painted(heatMap), heatMap.width() * heatMap.height() / 4);

  const std::vector<std::string> nSweep = {
      "--set",        "from=1.5", "--set",     "to=2",   "--set",
      "iterations=4", "--set",    "maxgen=20", "--seed", "3"};
  std::vector<std::string> whole = {"n-sweep", "--out", temp.File("n"), "--plot",
                                    temp.File("n.svg")};
  whole.insert(whole.end(), nSweep.begin(), nSweep.end());
  ASSERT_EQ(Batch(whole), kExitOk);
  QSvgRenderer svg(QString::fromStdString(temp.File("n.svg")));
  ASSERT_TRUE(svg.isValid());
  QImage rendered(svg.defaultSize(), QImage::Format_ARGB32);
  rendered.fill(Qt::white);
  QPainter painter(&rendered);
  svg.render(&painter);
  painter.end();
  EXPECT_GT(Painted(rendered), 1000);

  std::vector<std::string> merge = {"merge", "--out", temp.File("merged"), "--plot",
                                    temp.File("merged.pdf")};
  for (const char* shard : {"1/2", "2/2"}) {
    std::vector<std::string> args = {"n-sweep", "--out", temp.File("shards"), "--shard", shard};
    args.insert(args.end(), nSweep.begin(), nSweep.end());
    ASSERT_EQ(Batch(args), kExitOk);
    merge.push_back(temp.File("shards") + "/shard-" + shard[0] + "-of-2.json");
  }
  ASSERT_EQ(Batch(merge), kExitOk);
  const std::string pdf = common::testing::ReadBytes(temp.File("merged.pdf"));
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
  EXPECT_NE(pdf.find("%%EOF"), std::string::npos);

  std::string err;
  EXPECT_EQ(Batch({"sk-sweep", "--out", temp.File("refused"), "--plot", temp.File("x.gif")}, &err),
            kExitRefused);
  EXPECT_NE(err.find(".svg, .png or .pdf"), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(temp.File("refused")));
  EXPECT_FALSE(std::filesystem::exists(temp.File("x.gif")));
}

}  // namespace
}  // namespace quorvel::batch
