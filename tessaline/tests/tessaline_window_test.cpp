// The window with its menus: Start and the picture's exports.
#include "tessaline/window/tessaline_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QImage>

#include "tessaline/tests/test_support.h"

namespace tessaline {
namespace {

TEST(TessalineWindow, StartRepeatsTheSimulationAndThePictureAndPointsExport) {
  testing::TempFolder folder;
  TessalineWindow window({"Tessaline", "org.example.tessaline", "Draws curves."});
  window.Form().OutputFileName()->setText(QString::fromStdString(folder.File("out.txt")));
  const QString csv = QString::fromStdString(folder.File("points.csv"));
  EXPECT_NE(window.PictureActions().ExportDataTo(csv), "");  // nothing run yet

  window.Form().cmd_Click(3);
  window.Form().txt(3)->setText("2");  // two curves, then Start as from the menu
  window.Start()->trigger();
  ASSERT_EQ(window.PictureActions().ExportDataTo(csv), "");
  const std::optional<platform::CsvTable> table =
      platform::ReadCsvText(testing::ReadAll(csv.toStdString()));
  ASSERT_TRUE(table);
  EXPECT_EQ(table->rows.size(), testing::ReadLines(folder.File("out.txt")).size());
  EXPECT_EQ(table->rows.back()[0], "r for curve 2 = 0.1");

  const QString png = QString::fromStdString(folder.File("picture.png"));
  ASSERT_EQ(window.PictureActions().ExportPictureTo(png), "");
  EXPECT_EQ(QImage(png).size(), window.Picture()->Size() * window.devicePixelRatioF());
}

}  // namespace
}  // namespace tessaline
