// The window driven through real widget events: layout, clicks, typing and focus changes.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

#include "common/number_text.h"
#include "platform/widgets/twips.h"
#include "tessaline/batch/batch.h"
#include "tessaline/core/tests/test_support.h"
#include "tessaline/window/form1.h"

namespace tessaline {
namespace {

using platform::TwipsToPixels;
using testing::ReadAll;
using testing::ReadLines;
using testing::TempFolder;

QRect Twips(int left, int top, int width, int height) {
  return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
               TwipsToPixels(height));
}

class Window : public ::testing::Test {
 protected:
  Window() {
    platform::SetMessageHook(
        [this](const QString& text) { messages.push_back(text.toStdString()); });
    form.show();
    form.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
  }
  ~Window() override {
    platform::SetMessageHook([](const QString&) {});
  }

  void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
  // Replaces the text of a box by typing, as a user does after selecting it all.
  void Type(QLineEdit* box, const QString& text) {
    Click(box);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
  }
  std::string DefaultFile() const { return platform::JoinPath(folder.Home(), "OutputFile.txt"); }

  TempFolder folder;  // before the window: its default file name comes from HOME
  std::vector<std::string> messages;
  Form1 form;
};

TEST_F(Window, Layout) {
  EXPECT_EQ(form.windowTitle(), "Tessaline - Marbeck");
  EXPECT_EQ(form.minimumSize(), QSize(959, 602));
  EXPECT_EQ(form.maximumSize(), QSize(959, 602));
  EXPECT_EQ(form.FigTitle()->geometry(), Twips(120, 120, 5535, 495));
  EXPECT_EQ(platform::BackColour(form.FigTitle()), common::Rgb(192, 255, 255));
  const char* headings[] = {"Parameter", "Value", "Min.", "Max."};
  const int headingX[] = {960, 2880, 3840, 4800};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(form.Label1(i)->text(), headings[i]);
    EXPECT_EQ(form.Label1(i)->geometry(), Twips(headingX[i], 800, 855, 255));
  }
  for (int i = 1; i <= 15; ++i) {
    SCOPED_TRACE(i);
    const int y = 1200 + 480 * (i - 1);
    EXPECT_EQ(form.lb(i)->geometry(), Twips(120, y, 2655, 375));
    EXPECT_EQ(form.txt(i)->geometry(), Twips(2880, y, 915, 375));
    EXPECT_EQ(form.MinVal(i)->geometry(), Twips(3840, y, 855, 375));
    EXPECT_EQ(form.MaxVal(i)->geometry(), Twips(4800, y, 855, 375));
    EXPECT_EQ(platform::BackColour(form.lb(i)), common::Rgb(255, 255, 192));
    EXPECT_EQ(platform::BackColour(form.txt(i)), common::Rgb(128, 255, 255));
    EXPECT_EQ(platform::BackColour(form.MinVal(i)), common::Rgb(224, 224, 224));
    EXPECT_EQ(platform::BackColour(form.MaxVal(i)), common::Rgb(224, 224, 224));
    EXPECT_TRUE(form.txt(i)->isVisible());
  }
  EXPECT_EQ(form.Frame1()->geometry(), Twips(0, 960, 5775, 7455));
  for (int i = 16; i <= 30; ++i) {
    SCOPED_TRACE(i);
    const int y = 240 + 480 * (i - 16);
    EXPECT_EQ(form.txt(i)->parentWidget(), form.Frame1());
    EXPECT_EQ(form.lb(i)->geometry(), Twips(60, y, 2655, 375));
    EXPECT_EQ(form.txt(i)->geometry(), Twips(2840, y, 915, 375));
    EXPECT_EQ(form.MinVal(i)->geometry(), Twips(3820, y, 915, 375));
    EXPECT_EQ(form.MaxVal(i)->geometry(), Twips(4800, y, 915, 375));
  }
  EXPECT_EQ(form.Label2()->text(), "   Output file name   (null=no output):");
  EXPECT_EQ(form.Label2()->geometry(), Twips(840, 8520, 2655, 495));
  EXPECT_EQ(form.OutputFileName()->geometry(), Twips(3600, 8520, 2100, 375));
  EXPECT_EQ(platform::BackColour(form.OutputFileName()), common::Rgb(192, 255, 255));
  EXPECT_EQ(form.PictBox()->geometry(), Twips(6480, 120, 7695, 5895));
  EXPECT_EQ(form.PictBox()->BackColourValue(), common::Rgb(224, 255, 224));
  const QRect labs[] = {{},
                        Twips(6240, 120, 135, 735),
                        Twips(6240, 960, 135, 4455),
                        Twips(6240, 5760, 135, 255),
                        Twips(6480, 6120, 135, 255),
                        Twips(9360, 6120, 2415, 255),
                        Twips(13680, 6120, 495, 255)};
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(form.lab(i)->geometry(), labs[i]) << i;
    EXPECT_EQ(platform::BackColour(form.lab(i)), common::Rgb(192, 255, 255)) << i;
    if (i <= 4) {
      EXPECT_TRUE(QFontInfo(form.lab(i)->font()).fixedPitch()) << i;
    }
  }
  EXPECT_EQ(form.Label3()->text(), QString(74, ' ') + "Use the preset values:");
  EXPECT_EQ(form.Label3()->geometry(), Twips(6360, 6720, 1695, 1095));
  EXPECT_EQ(form.cmd(1)->text(), "Simulation 1: Spreading of a gene in function of S value");
  EXPECT_EQ(form.cmd(2)->text(), "Simulation 2: Spreading of a gene in function of ML value");
  EXPECT_EQ(form.cmd(3)->text(), "Simulation 3: Advantage of senescence in function of r value");
  for (int i = 1; i <= 3; ++i)
    EXPECT_EQ(form.cmd(i)->geometry(), Twips(8160, 6600 + 480 * (i - 1), 6015, 375));
  EXPECT_EQ(form.Execute()->text(), "Repeat the simulation by using the inserted values");
  EXPECT_EQ(form.Execute()->geometry(), Twips(6400, 8040, 7770, 375));
  EXPECT_EQ(form.EndProgram()->text(), "End");
  EXPECT_EQ(form.EndProgram()->geometry(), Twips(9120, 8520, 1380, 375));
}

// Every caption must be readable whole in its control.
void ExpectFits(const QLabel* label) {
  SCOPED_TRACE(label->objectName().toStdString());
  const QFontMetrics metrics(label->font());
  const QSize room = label->contentsRect().size();
  if (label->wordWrap()) {
    const QRect needed = metrics.boundingRect(QRect(QPoint(0, 0), QSize(room.width(), 10000)),
                                              Qt::TextWordWrap | label->alignment(), label->text());
    EXPECT_LE(needed.height(), room.height());
    EXPECT_LE(needed.width(), room.width());
    return;
  }
  const QStringList lines = label->text().split('\n');
  int widest = 0;
  for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
  EXPECT_LE(widest, room.width());
  EXPECT_LE(metrics.height() + metrics.lineSpacing() * (lines.size() - 1), room.height());
}

TEST_F(Window, EveryCaptionFits) {
  form.OutputFileName()->setText("");
  for (int simulation = 1; simulation <= 3; ++simulation) {
    Click(form.cmd(simulation));
    ExpectFits(form.FigTitle());
    for (int i = 1; i <= 15; ++i) ExpectFits(form.lb(i));
    for (int i = 1; i <= 6; ++i) ExpectFits(form.lab(i));
  }
  form.lab(6)->setText("99999");
  ExpectFits(form.lab(6));
  for (int i = 0; i < 4; ++i) ExpectFits(form.Label1(i));
  ExpectFits(form.Label2());
  ExpectFits(form.Label3());
  for (QPushButton* button :
       {form.cmd(1), form.cmd(2), form.cmd(3), form.Execute(), form.EndProgram()}) {
    SCOPED_TRACE(button->text().toStdString());
    EXPECT_LE(QFontMetrics(button->font()).horizontalAdvance(button->text()) + 8, button->width());
  }
  // Entries show their longest preset texts.
  Type(form.txt(4), "0.008333");
  EXPECT_LE(QFontMetrics(form.txt(4)->font()).horizontalAdvance("0.008333") + 6,
            form.txt(4)->width());
}

TEST_F(Window, StartsEmpty) {
  for (int i = 1; i <= 30; ++i) {
    EXPECT_EQ(form.lb(i)->text(), "");
    EXPECT_EQ(form.txt(i)->text(), "");
    EXPECT_EQ(form.MinVal(i)->text(), "");
    EXPECT_EQ(form.MaxVal(i)->text(), "");
  }
  EXPECT_EQ(form.FigTitle()->text(), "");
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(form.lab(i)->text(), "");
  EXPECT_TRUE(form.PictBox()->Primitives().empty());
  EXPECT_EQ(form.OutputFileName()->text().toStdString(), DefaultFile());
  // Repeating before any selection only clears the picture.
  Click(form.Execute());
  EXPECT_EQ(platform::CheckFile(DefaultFile()), platform::FileCheck::Missing);
}

TEST_F(Window, SimulationButtonFillsTheGridRunsAndWrites) {
  Click(form.cmd(1));
  EXPECT_EQ(form.FigTitle()->text(), "Spreading within a species of a gene with advantage S");
  EXPECT_EQ(form.lb(5)->text(), "S for curve 1");
  EXPECT_EQ(form.txt(5)->text(), "0.025");
  EXPECT_TRUE(form.txt(10)->Locked());
  const auto lines = ReadLines(DefaultFile());
  ASSERT_EQ(lines.size(), 255u);
  EXPECT_EQ(lines[0], "0 0.05");
  EXPECT_EQ(lines[1], "10 0.063120276515942");
  EXPECT_EQ(lines[2], "20 0.0793956535328362");
  EXPECT_EQ(form.PictBox()->Primitives().size(), 510u + 5u);
  EXPECT_GT(form.PictBox()->RepaintCount(), 0);
  // The vertical caption keeps its CRs; the label shows one character per line.
  EXPECT_EQ(form.AxisCaption(2), " \r \r \rF\rr\re\rq\ru\re\rn\rc\ry\r \ro\rf\r \rC");
  EXPECT_EQ(form.lab(2)->text(), " \n \n \nF\nr\ne\nq\nu\ne\nn\nc\ny\n \no\nf\n \nC");
  EXPECT_EQ(form.lab(5)->text(), "G e n e r a t i o n s");
  EXPECT_EQ(form.lab(6)->text(), "500");
  // The marks are black on the green background.
  const QImage picture = form.PictBox()->Snapshot();
  int black = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) black += picture.pixelColor(x, y) == Qt::black;
  EXPECT_GT(black, 1000);
  EXPECT_EQ(picture.pixelColor(picture.width() - 1, picture.height() - 1), QColor(224, 255, 224));
  EXPECT_TRUE(messages.empty());
}

TEST_F(Window, LeavingABoxValidatesIt) {
  Click(form.cmd(1));
  Type(form.txt(3), "5,4");
  QTest::keyClick(form.txt(3), Qt::Key_Tab);
  EXPECT_EQ(form.txt(3)->text(), "5");
  EXPECT_TRUE(form.txt(4)->hasFocus());  // Tab goes on to the next value
  Type(form.txt(4), ",5");
  Click(form.txt(5));
  EXPECT_EQ(form.txt(4)->text(), "0.5");
  Type(form.txt(2), "");
  Click(form.Execute());
  EXPECT_EQ(form.txt(2)->text(), "2");
  const auto lines = ReadLines(DefaultFile());
  ASSERT_EQ(lines.size(), 5u * 251u);
  EXPECT_EQ(lines[0], "0 0.5");
  EXPECT_EQ(lines[1].substr(0, 2), "2 ");
  // The fixed rows cannot be edited.
  Click(form.txt(10));
  QTest::keyClicks(form.txt(10), "7");
  Click(form.txt(4));
  EXPECT_EQ(form.txt(10)->text(), "0");
}

TEST_F(Window, LeavingThePresetSOfTheVelocitySimulationCapsIt) {
  Click(form.cmd(2));
  EXPECT_EQ(ReadLines(DefaultFile())[1], "3.99999991059303 0.0549436899893293");
  Click(form.txt(5));
  Click(form.Execute());
  EXPECT_EQ(form.txt(5)->text(), "0.001");
  const auto lines = ReadLines(DefaultFile());
  ASSERT_EQ(lines.size(), 299u);
  const double y = common::ParseLeadingNumber(lines[1].substr(lines[1].find(' ') + 1));
  const double grown = 0.05 * std::pow(1.001, 10);
  EXPECT_NEAR(y, grown / (0.95 + grown), 1e-14);
  // A repeated run draws no curve labels.
  for (const auto& p : form.PictBox()->Primitives())
    EXPECT_NE(p.kind, common::Primitive::Kind::Text);
}

TEST_F(Window, AWrongFileNameIsReplacedByTheDefault) {
  Type(form.OutputFileName(), QString::fromStdString(folder.File("missing/out.txt")));
  Click(form.cmd(3));
  EXPECT_EQ(messages, std::vector<std::string>{"Wrong Output file name. Default name restored"});
  EXPECT_EQ(form.OutputFileName()->text().toStdString(), DefaultFile());
  const auto lines = ReadLines(DefaultFile());
  ASSERT_EQ(lines.size(), 104u);
  EXPECT_EQ(lines[0], "0 0.1");
}

TEST_F(Window, AnEmptyFileNameWritesNoFile) {
  Type(form.OutputFileName(), "");
  Click(form.cmd(3));
  EXPECT_EQ(form.OutputFileName()->text(), "");
  EXPECT_EQ(platform::CheckFile(DefaultFile()), platform::FileCheck::Missing);
  EXPECT_EQ(form.PictBox()->Primitives().size(), 208u + 4u);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Window, TheBatchProgramWritesTheSameFileForTheSameGrid) {
  // The batch program plots on a surface of the picture's size.
  EXPECT_EQ(form.PictBox()->ScaleWidth(), kPictureWidth);
  EXPECT_EQ(form.PictBox()->ScaleHeight(), kPictureHeight);
  const std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>>
      edits = {
          {"spreading", {{"Number of generations", "777"}, {"Step", "7,6"}, {"Y(0)", "2"}}},
          {"velocity", {{"ML of curve 1", "0.25"}, {"Number of curves", "3"}, {"step", "9"}}},
          {"senescence", {{"m", "40000"}, {"r4", "0.5"}, {"Step", " 3"}}},
      };
  for (const auto& [name, typed] : edits) {
    SCOPED_TRACE(name);
    const Simulation& simulation = *FindSimulationByName(name);
    const std::vector<RowDescription> rows = GridRows(simulation);
    Click(form.cmd(simulation.number));
    std::vector<std::string> arguments = {"tessaline-batch", "--sim", name, "--out",
                                          folder.File("batch.txt")};
    for (const auto& [row, text] : typed) {
      // A structured binding cannot be captured by every compiler the suite is built with.
      const std::string& typedName = row;
      auto described = std::find_if(rows.begin(), rows.end(), [&](const RowDescription& d) {
        return typedName == d.name || typedName == d.alias;
      });
      ASSERT_NE(described, rows.end());
      Type(form.txt(described->row), QString::fromStdString(text));
      arguments.push_back("--set");
      arguments.push_back(row + "=" + text);
    }
    Click(form.Execute());
    std::vector<const char*> argv;
    for (const std::string& a : arguments) argv.push_back(a.c_str());
    std::ostringstream out, err;
    ASSERT_EQ(batch::Main(static_cast<int>(argv.size()), argv.data(), out, err), batch::kDone);
    const std::string windowFile = ReadAll(DefaultFile());
    EXPECT_GT(windowFile.size(), 1000u);
    EXPECT_EQ(ReadAll(folder.File("batch.txt")), windowFile);
  }
}

TEST_F(Window, EndClosesTheWindow) {
  Click(form.EndProgram());
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace tessaline
