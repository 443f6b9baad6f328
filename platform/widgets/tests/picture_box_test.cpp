#include "platform/widgets/picture_box.h"

#include <gtest/gtest.h>

#include <QApplication>

using common::Primitive;
using platform::PictureBox;

TEST(PictureBox, ScaleIsTwipsOrPixelsOfTheInterior) {
  PictureBox twips(PictureBox::Scale::Twips);
  twips.resize(104, 54);  // a 2-pixel border on every side
  EXPECT_FLOAT_EQ(twips.ScaleWidth(), 100 * 15.0f);
  EXPECT_FLOAT_EQ(twips.ScaleHeight(), 50 * 15.0f);
  PictureBox pixels(PictureBox::Scale::Pixels);
  pixels.resize(104, 54);
  EXPECT_FLOAT_EQ(pixels.ScaleWidth(), 100.0f);
  EXPECT_FLOAT_EQ(pixels.ScaleHeight(), 50.0f);
}

TEST(PictureBox, RecordsPrimitivesInScaleUnitsUntilCleared) {
  PictureBox box(PictureBox::Scale::Twips);
  box.resize(200, 200);
  box.SetForeColour(0xC0);
  box.Line(10, 20, 30, 40);
  box.SetForeColour(0xFF0000);
  box.Circle(100, 100, 20);
  box.SetCurrentPosition(150, 300);
  box.Print("S=.025");
  ASSERT_EQ(box.Primitives().size(), 3u);
  EXPECT_EQ(box.Primitives()[0].kind, Primitive::Kind::Line);
  EXPECT_EQ(box.Primitives()[0].colour, 0xC0u);
  EXPECT_FLOAT_EQ(box.Primitives()[0].y2, 40);
  EXPECT_EQ(box.Primitives()[1].colour, 0xFF0000u);
  EXPECT_EQ(box.Primitives()[2].text, "S=.025");
  EXPECT_FLOAT_EQ(box.Primitives()[2].x1, 150);
  box.Clear();
  EXPECT_TRUE(box.Primitives().empty());
}

TEST(PictureBox, RasterisesInTheForeColourOnTheBackground) {
  PictureBox box(PictureBox::Scale::Pixels);
  box.resize(54, 54);
  box.SetBackColour(common::Rgb(224, 255, 224));
  box.SetForeColour(0xC0);  // dark red
  box.Line(0, 10, 49, 10);
  box.Point(5, 30);
  QImage image = box.Snapshot();
  EXPECT_EQ(image.pixelColor(20, 10), QColor(192, 0, 0));
  EXPECT_EQ(image.pixelColor(5, 30), QColor(192, 0, 0));
  EXPECT_EQ(image.pixelColor(20, 20), QColor(224, 255, 224));
  box.Clear();
  EXPECT_EQ(box.Snapshot().pixelColor(20, 10), QColor(224, 255, 224));
}

TEST(PictureBox, DrawingSurvivesAResize) {
  PictureBox box(PictureBox::Scale::Pixels);
  box.resize(54, 54);
  box.SetBackColour(common::Rgb(255, 255, 255));
  box.Line(0, 10, 40, 10);
  box.Snapshot();
  box.resize(84, 84);
  EXPECT_EQ(box.Snapshot().pixelColor(20, 10), QColor(0, 0, 0));
}

TEST(PictureBox, RepaintsAreThrottledUnlessForced) {
  PictureBox box(PictureBox::Scale::Pixels);
  box.resize(54, 54);
  box.SetRepaintInterval(60000);
  box.Refresh(true);
  int after = box.RepaintCount();
  for (int i = 0; i < 5000; ++i) box.Line(0, 0, 10, 10);
  box.Refresh(false);
  EXPECT_EQ(box.RepaintCount(), after);
  box.Refresh(true);
  EXPECT_EQ(box.RepaintCount(), after + 1);
}
