// The window with its menus: Start and the picture's exports.
#include "tessaline/window/tessaline_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPushButton>

#include "tessaline/core/simulations.h"
#include "tessaline/core/tests/test_support.h"

namespace tessaline {
namespace {

TEST(TessalineWindow, StartRepeatsTheSimulationAndThePictureAndPointsExport) {
  testing::TempFolder folder;
  TessalineWindow window(
      {"Tessaline", "org.marbeck.tessaline", "Draws curves.", "tessaline-the-window"});
  // The packaged icon is the window's.
  EXPECT_FALSE(window.windowIcon().pixmap(32).isNull());
  window.Form().OutputFileName()->setText(QString::fromStdString(folder.File("out.txt")));
  const QString csv = QString::fromStdString(folder.File("points.csv"));
  EXPECT_NE(window.PictureActions().ExportDataTo(csv), "");  // nothing run yet
  EXPECT_FALSE(window.Start()->isEnabled());                 // nothing to repeat yet

  window.Form().cmd(3)->click();
  EXPECT_TRUE(window.Start()->isEnabled());
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

TEST(TessalineWindow, AParameterSetSavedChangedAndReopened) {
  testing::TempFolder folder;
  TessalineWindow window(
      {"Tessaline", "org.example.tessaline", "Draws curves.", "tessaline-the-window"});
  window.Form().cmd_Click(1);
  window.Form().txt(5)->setText("0.5");
  const QString path = QString::fromStdString(folder.File("set.toml"));
  ASSERT_EQ(window.SaveParametersTo(path), "");

  window.Form().cmd_Click(2);
  EXPECT_EQ(window.OpenParametersFrom(path), "");  // nothing to report
  EXPECT_EQ(window.Form().txt(5)->text(), "0.5");
  EXPECT_EQ(window.Form().FigTitle()->text().toStdString(), Simulations()[0].title);
  EXPECT_TRUE(window.Form().PictBox()->Primitives().empty());

  testing::WriteFile(folder.File("other.toml"), "[table]\nkey = 1\n");
  EXPECT_NE(window.OpenParametersFrom(QString::fromStdString(folder.File("other.toml"))), "");
  EXPECT_EQ(window.Form().txt(5)->text(), "0.5");
}

}  // namespace
}  // namespace tessaline
