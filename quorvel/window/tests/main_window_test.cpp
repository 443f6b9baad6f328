#include "quorvel/window/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <filesystem>
#include <memory>

#include "platform/system/files.h"
#include "platform/widgets/twips.h"

using quorvel::IsSweep;
using quorvel::MainWindow;
using quorvel::RunMode;

namespace {

constexpr common::Colour kPaleGreen = 0xE0FFC0;
constexpr common::Colour kDarkRed = 0xC0;

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<MainWindow>();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  // Types into an entry as a user does and leaves it for the Start button.
  void Type(int index, const QString& text) {
    platform::FocusLineEdit* box = window->Txt(index);
    ASSERT_TRUE(box->isEnabled()) << index;
    box->setFocus(Qt::TabFocusReason);
    box->selectAll();
    if (text.isEmpty()) QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
    window->StartButton()->setFocus(Qt::TabFocusReason);
  }
  QString Text(int index) const { return window->Txt(index)->text(); }
  bool BothEnabled(int index) const {
    return window->Txt(index)->isEnabled() && window->Labl(index)->isEnabled();
  }
  bool BothDisabled(int index) const {
    return !window->Txt(index)->isEnabled() && !window->Labl(index)->isEnabled();
  }
  void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, 5)); }

  std::unique_ptr<MainWindow> window;
};

}  // namespace

TEST_F(WindowTest, StartsWithTheDefaultsAndTheFirstRunMode) {
  EXPECT_EQ(window->windowTitle(), "Quorvel - Marbeck");
  EXPECT_EQ(window->size(), QSize(961, 559));  // 14415 x 8385 twips

  const char* texts[] = {"1E-05", "1E-05", "0.1", "1",   "1",   "1",   "1",   "0", "100", "6",  "1",
                         "0.1",   "100",   "0.3", "0.2", "0.3", "0.2", "250", "1", "12",  "0.5"};
  for (int i = 0; i <= 20; ++i) EXPECT_EQ(Text(i), texts[i]) << i;
  EXPECT_EQ(Text(30).toStdString(), platform::DefaultFolder());
  EXPECT_EQ(Text(21), "0");
  EXPECT_EQ(Text(22), "1");
  EXPECT_EQ(window->Lab(23)->text(), "250");
  EXPECT_EQ(window->AllelesNumber()->text(), "2");

  const quorvel::CheckBoxes checks = window->CheckValues();
  EXPECT_EQ(checks.GeneticDrift, 0);
  EXPECT_EQ(checks.TotalStochasticity, 1);
  EXPECT_EQ(checks.RecombForR, 1);
  EXPECT_EQ(window->InterdemicDiffusion()->Value(), 0);
  EXPECT_EQ(checks.InversionOfS, 0);
  EXPECT_EQ(checks.SinusoidalOption, 0);
  EXPECT_EQ(checks.LinkageDisequilibrium, 0);

  EXPECT_TRUE(window->Option1(0)->isChecked());
  EXPECT_EQ(window->runState().Mode, RunMode::Single);
  EXPECT_TRUE(window->model().NInfinite);
  EXPECT_EQ(window->model().AllelesNum, 2);
  EXPECT_EQ(window->model().GenotypesNum, 4);

  for (int i : {0, 1, 2, 3, 4, 5, 7, 10, 17, 20}) EXPECT_TRUE(BothEnabled(i)) << i;
  for (int i : {8, 9, 13, 14, 15, 16, 21, 22, 37, 38, 39, 40}) EXPECT_TRUE(BothDisabled(i)) << i;
  for (int i : {6, 11, 12, 18, 19}) EXPECT_FALSE(window->Txt(i)->isEnabled()) << i;
  EXPECT_TRUE(window->Labl(6)->isEnabled());
  EXPECT_TRUE(window->Txt(30)->isEnabled());
  EXPECT_FALSE(window->SinusoidalOption()->isEnabled());
  EXPECT_TRUE(window->LinkageDisequilibrium()->isEnabled());
  for (int i = 0; i < 16; ++i) EXPECT_FALSE(window->Lab4(i)->isVisible()) << i;
  EXPECT_EQ(platform::BackColour(window->Txt(0)), kPaleGreen);
}

TEST_F(WindowTest, ControlsStandAtTheirPlaces) {
  auto twips = [](int l, int t, int w, int h) {
    return QRect(platform::TwipsToPixels(l), platform::TwipsToPixels(t), platform::TwipsToPixels(w),
                 platform::TwipsToPixels(h));
  };
  EXPECT_EQ(window->Txt(30)->geometry(), twips(7560, 6240, 2715, 285));
  EXPECT_EQ(window->Txt(37)->geometry(), twips(9525, 7170, 675, 285));
  EXPECT_EQ(window->Labl(3)->geometry(), twips(150, 1200, 3225, 255));
  EXPECT_EQ(window->PictBox()->geometry(), twips(5040, 240, 9165, 4515));
  EXPECT_EQ(window->Option1(3)->geometry(), twips(120, 7680, 4935, 375));
  EXPECT_EQ(window->InversionOfS()->geometry(), twips(120, 4440, 3255, 195));
  EXPECT_EQ(window->StartButton()->geometry(), twips(11040, 6120, 1695, 495));
  EXPECT_EQ(window->Lab4(15)->geometry(), twips(4600, 3870, 375, 195));
  EXPECT_EQ(window->Option1(3)->text(),
            "Loop with Log10(N)=" + QString(24, ' ') + "to" + QString(27, ' ') + "step .5");
  EXPECT_EQ(window->Lab(20)->text(), "   F r e q u e n c i e s");
  EXPECT_EQ(window->PictBox()->BackColourValue(), 0xE0FFE0u);
  EXPECT_EQ(platform::BackColour(window->Txt(40)), 0xC0FFFFu);
  EXPECT_EQ(platform::BackColour(window->AllelesNumber()), 0xC0E0FFu);
  EXPECT_EQ(platform::ToQColor(0xFF0000), window->Lab(3)->palette().color(QPalette::WindowText));
  EXPECT_EQ(platform::ToQColor(0xFF), window->Lab(8)->palette().color(QPalette::WindowText));
  // The report files named in the captions are in the default folder.
  EXPECT_TRUE(window->Option1(0)->text().contains(
      QString::fromStdString(platform::JoinPath(platform::DefaultFolder(), "ReportFile1.txt"))));
}

TEST_F(WindowTest, EveryCaptionFitsItsControl) {
  for (QLabel* label : window->findChildren<QLabel*>()) {
    if (label->wordWrap() || label->text().isEmpty()) continue;
    const QFontMetrics metrics(label->font());
    EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width())
        << label->objectName().toStdString();
    EXPECT_LE(metrics.height(), label->height()) << label->objectName().toStdString();
    EXPECT_GE(label->font().pixelSize(), 9);
  }
  for (QCheckBox* box : window->findChildren<QCheckBox*>()) {
    const int indicator = box->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) +
                          box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box);
    EXPECT_LE(QFontMetrics(box->font()).horizontalAdvance(box->text()), box->width() - indicator)
        << box->objectName().toStdString();
  }
  for (int i = 0; i < 3; ++i) {
    quorvel::OptionButton* button = window->Option1(i);
    const QRect needed = QFontMetrics(button->font())
                             .boundingRect(button->CaptionRect(), Qt::TextWordWrap, button->text());
    EXPECT_LE(needed.height(), button->height()) << i;
  }
}

TEST_F(WindowTest, LeavingAnEntryCleansAndBoundsIt) {
  // Leaving entries 1 to 19 normalises them before the validation pass, which normalises
  // only once: "1,2,3" reads 1.2 in K, but 1.2 with a comma left (above its bound) in u.
  Type(3, "1,2,3");
  EXPECT_EQ(Text(3), "1.2.3");
  Type(0, "1,2,3");
  EXPECT_EQ(Text(0), "0.0001");
  Type(2, "-1");
  EXPECT_EQ(Text(2), "-0.99");
  Type(5, "   ");
  EXPECT_EQ(Text(5), "   ");  // blank entries stay for the run to refuse
  Type(17, "300");
  EXPECT_EQ(window->Lab(23)->text(), "300");
  Type(17, "99999");
  EXPECT_EQ(window->Lab(23)->text(), "10000");
  EXPECT_LE(QFontMetrics(window->Lab(23)->font()).horizontalAdvance("10000"),
            window->Lab(23)->width());
}

TEST_F(WindowTest, DemesDecideTheDiffusionBox) {
  Type(10, "2");
  EXPECT_EQ(window->InterdemicDiffusion()->Value(), 1);
  EXPECT_TRUE(window->Txt(11)->isEnabled());
  Type(10, "1");
  EXPECT_EQ(window->InterdemicDiffusion()->Value(), 0);
  EXPECT_FALSE(window->Txt(11)->isEnabled());
  // A hand-made tick lasts until the next validation pass.
  Click(window->InterdemicDiffusion());
  EXPECT_EQ(window->InterdemicDiffusion()->Value(), 1);
  EXPECT_TRUE(window->Txt(11)->isEnabled());
  Type(0, "1E-05");
  EXPECT_EQ(window->InterdemicDiffusion()->Value(), 0);
  EXPECT_FALSE(window->Txt(11)->isEnabled());
}

TEST_F(WindowTest, OptionButtonsSetTheRunMode) {
  Click(window->Option1(3));
  EXPECT_TRUE(window->Option1(3)->isChecked());
  EXPECT_EQ(window->runState().Mode, RunMode::NSweep);
  EXPECT_FALSE(window->model().NInfinite);
  for (int i : {8, 39, 40}) EXPECT_TRUE(BothEnabled(i)) << i;
  EXPECT_TRUE(window->Txt(18)->isEnabled());
  EXPECT_TRUE(window->Txt(19)->isEnabled());
  EXPECT_EQ(window->GeneticDrift()->Value(), 1);

  Click(window->Option1(1));
  for (int i : {8, 39, 40}) EXPECT_TRUE(BothDisabled(i)) << i;
  EXPECT_FALSE(window->Txt(18)->isEnabled());
  EXPECT_FALSE(window->Txt(19)->isEnabled());
  EXPECT_TRUE(BothEnabled(9));
  EXPECT_FALSE(IsSweep(window->runState().Mode));
  EXPECT_FALSE(window->model().NInfinite);
  EXPECT_EQ(window->GeneticDrift()->Value(), 1);

  // The user may change the tick; it holds until the next choice of a mode.
  Click(window->GeneticDrift());
  EXPECT_EQ(window->GeneticDrift()->Value(), 0);

  // Coming back to a mode by the keyboard chooses it again.
  window->Option1(1)->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(window->GeneticDrift()->Value(), 1);
  // Arrow keys within the group move the focus and the choice.
  QTest::keyClick(window->Option1(1), Qt::Key_Down);
  EXPECT_TRUE(window->Option1(2)->hasFocus());
  EXPECT_EQ(window->runState().Mode, RunMode::SkSweep);
  EXPECT_TRUE(window->model().NInfinite);
  EXPECT_TRUE(BothEnabled(37));
  EXPECT_TRUE(BothEnabled(38));
  EXPECT_TRUE(BothDisabled(9));
  EXPECT_EQ(window->GeneticDrift()->Value(), 0);

  // The focus coming back with the whole window is no choice of the user.
  QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(window->Option1(3), &back);
  EXPECT_EQ(window->runState().Mode, RunMode::SkSweep);

  // Choosing from code does not run the reaction.
  window->Option1(3)->setChecked(true);
  EXPECT_EQ(window->runState().Mode, RunMode::SkSweep);

  Click(window->Option1(0));
  EXPECT_FALSE(IsSweep(window->runState().Mode));
  EXPECT_TRUE(window->model().NInfinite);
  EXPECT_TRUE(BothDisabled(37));
  EXPECT_EQ(window->GeneticDrift()->Value(), 0);
}

TEST_F(WindowTest, AClickThatActivatesTheWindowStillChoosesTheMode) {
  // Without a window manager the first click reaches an inactive window: the press comes
  // first, the focus follows with the window's activation.
  quorvel::OptionButton* button = window->Option1(2);
  ASSERT_FALSE(button->hasFocus());
  const QPoint at = button->rect().center();
  QMouseEvent press(QEvent::MouseButtonPress, at, button->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(button, &press);
  QFocusEvent activated(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(button, &activated);
  EXPECT_EQ(window->runState().Mode, RunMode::SkSweep);
  EXPECT_TRUE(window->model().NInfinite);
}

TEST_F(WindowTest, LeavingAnEntryForAnOptionButtonValidatesFirst) {
  platform::FocusLineEdit* box = window->Txt(3);
  box->setFocus(Qt::TabFocusReason);
  box->selectAll();
  QTest::keyClicks(box, "9");
  Click(window->Option1(1));
  EXPECT_EQ(Text(3), "1.4");
  EXPECT_TRUE(window->Option1(1)->isChecked());
  EXPECT_TRUE(BothEnabled(9));
}

TEST_F(WindowTest, InversionOfSGovernsTheSinusoidalOption) {
  Click(window->InversionOfS());
  EXPECT_TRUE(window->Txt(12)->isEnabled());
  EXPECT_TRUE(window->SinusoidalOption()->isEnabled());
  EXPECT_EQ(window->SinusoidalOption()->Value(), 0);
  Click(window->SinusoidalOption());
  EXPECT_EQ(window->SinusoidalOption()->Value(), 1);
  Click(window->InversionOfS());
  EXPECT_FALSE(window->Txt(12)->isEnabled());
  EXPECT_FALSE(window->SinusoidalOption()->isEnabled());
  EXPECT_EQ(window->SinusoidalOption()->Value(), 0);
  Click(window->InversionOfS());
  EXPECT_TRUE(window->SinusoidalOption()->isEnabled());
  EXPECT_EQ(window->SinusoidalOption()->Value(), 0);
}

TEST_F(WindowTest, CheckBoxValuesAreZeroOneAndTwo) {
  quorvel::CheckBox* box = window->InversionOfS();
  // Greyed is not "ticked", but it is not 0: the entry opens.
  EXPECT_TRUE(box->SetValue(2));
  EXPECT_EQ(box->checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(window->CheckValues().InversionOfS, 2);
  EXPECT_TRUE(window->Txt(12)->isEnabled());
  // A click on a greyed box clears it.
  Click(box);
  EXPECT_EQ(box->Value(), 0);
  EXPECT_FALSE(window->Txt(12)->isEnabled());
  // Setting the value the box already has runs no reaction.
  box->SetValue(1);
  window->Txt(12)->setEnabled(false);
  EXPECT_FALSE(box->SetValue(1));
  EXPECT_FALSE(window->Txt(12)->isEnabled());
}

TEST_F(WindowTest, HaplotypeDisplaysFollowTheLinkageDisequilibriumEntries) {
  Click(window->LinkageDisequilibrium());
  for (int i : {13, 14, 15, 16}) EXPECT_TRUE(BothEnabled(i)) << i;
  EXPECT_TRUE(window->Labl(21)->isEnabled());
  EXPECT_TRUE(window->Labl(22)->isEnabled());
  EXPECT_FALSE(window->Txt(21)->isEnabled());  // displays only
  EXPECT_FALSE(window->Txt(22)->isEnabled());

  Type(13, "0.4");
  EXPECT_EQ(Text(22), "1.1");
  EXPECT_EQ(platform::BackColour(window->Txt(22)), kDarkRed);
  EXPECT_EQ(Text(21), "0.02");
  Type(13, "0.1");
  Type(14, "0.1");
  Type(15, "0.7");
  Type(16, "0.1");
  EXPECT_EQ(Text(22), "1");
  EXPECT_EQ(platform::BackColour(window->Txt(22)), kPaleGreen);
  EXPECT_EQ(Text(21), "-0.06");

  // Without the tick the displays keep what they showed.
  Click(window->LinkageDisequilibrium());
  Type(2, "0.5");
  EXPECT_EQ(Text(22), "1");
  EXPECT_EQ(Text(21), "-0.06");
  for (int i : {13, 14, 15, 16, 21, 22}) EXPECT_TRUE(BothDisabled(i)) << i;
}

TEST_F(WindowTest, TheAllelesToggleSwitchesTheModelSize) {
  Click(window->LinkageDisequilibrium());
  window->Picture().Line(0, 0, 10, 10);
  Click(window->ToggleAllelesNumber());
  EXPECT_EQ(window->AllelesNumber()->text(), "3");
  EXPECT_EQ(window->model().AllelesNum, 3);
  EXPECT_EQ(window->model().GenotypesNum, 8);
  EXPECT_EQ(window->LinkageDisequilibrium()->Value(), 0);
  EXPECT_FALSE(window->LinkageDisequilibrium()->isEnabled());
  for (int i : {13, 14, 15, 16}) EXPECT_TRUE(BothDisabled(i)) << i;
  EXPECT_FALSE(window->Labl(21)->isEnabled());
  EXPECT_FALSE(window->Labl(22)->isEnabled());
  EXPECT_TRUE(window->Txt(6)->isEnabled());
  for (int i = 0; i < 16; ++i) EXPECT_TRUE(window->Lab4(i)->isVisible()) << i;
  EXPECT_TRUE(window->Lab(3)->isVisible());
  EXPECT_TRUE(window->PictBox()->Primitives().empty());

  window->Picture().Line(0, 0, 10, 10);
  Click(window->ToggleAllelesNumber());
  EXPECT_EQ(window->AllelesNumber()->text(), "2");
  EXPECT_EQ(window->model().GenotypesNum, 4);
  EXPECT_TRUE(window->LinkageDisequilibrium()->isEnabled());
  EXPECT_EQ(window->LinkageDisequilibrium()->Value(), 0);
  EXPECT_FALSE(window->Txt(6)->isEnabled());
  EXPECT_TRUE(window->Labl(6)->isEnabled());
  for (int i = 0; i < 16; ++i) EXPECT_FALSE(window->Lab4(i)->isVisible()) << i;
  EXPECT_TRUE(window->PictBox()->Primitives().empty());
}

TEST_F(WindowTest, ValidationClearsThePicture) {
  window->Picture().Line(0, 0, 10, 10);
  window->Picture().SetCurrentPosition(5, 5);
  ASSERT_FALSE(window->PictBox()->Primitives().empty());
  window->ValidateEntries();
  EXPECT_TRUE(window->PictBox()->Primitives().empty());
  window->Picture().Print("x");
  EXPECT_EQ(window->PictBox()->Primitives().back().x1, 0.0f);
  // Pixels: the inner size of the box.
  EXPECT_EQ(window->Picture().ScaleWidth(),
            static_cast<float>(window->PictBox()->contentsRect().width()));
}

TEST_F(WindowTest, TheRunReadsAndWritesTheBoxes) {
  EXPECT_EQ(window->EntryText(17), "250");
  EXPECT_EQ(window->EntryText(99), "");
  window->SetEntryText(2, "0.2");
  EXPECT_EQ(Text(2), "0.2");
  window->ShowProgress(37, "0.01");
  EXPECT_EQ(Text(37), "0.01");
  EXPECT_TRUE(window->Txt(37)->Locked());
}

TEST_F(WindowTest, ProgressTextsAreSetAtOnceAndPaintedWithTheNextRepaint) {
  struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++paints;
      return false;
    }
  } counter;
  window->Txt(40)->installEventFilter(&counter);
  window->SetProgressRepaintInterval(60000);
  window->ShowProgress(39, "1.5");
  window->ShowProgress(40, "1");  // within a frame of the repaint of box 39
  EXPECT_EQ(Text(40), "1");
  EXPECT_EQ(counter.paints, 0);
  emit window->PictBox()->repainting();
  EXPECT_EQ(counter.paints, 1);
}

TEST_F(WindowTest, EndClosesTheWindow) {
  Click(window->EndProgram(0));
  EXPECT_FALSE(window->isVisible());
}
