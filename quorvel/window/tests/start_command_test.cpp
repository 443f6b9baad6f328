// Whole Start commands from the window, driven as a user drives it: clicks on the run-mode
// buttons, the check boxes and "Start simulation", text typed into the entries. The report
// files go to a temporary folder typed into the folder entry; the default folder is a
// temporary one too, so that no command ever writes into the user's home.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/number_text.h"
#include "common/testing/test_files.h"
#include "platform/widgets/message_box.h"
#include "platform/widgets/twips.h"
#include "quorvel/run/report_files.h"
#include "quorvel/run/run_driver.h"
#include "quorvel/window/main_window.h"

namespace fs = std::filesystem;
using quorvel::MainWindow;

namespace {

std::string ReadBytes(const fs::path& path) {
  return common::testing::ReadBytes(path.string());
}

// The lines of a report file; every line must end in CR LF.
std::vector<std::string> ReadLines(const fs::path& path) {
  bool wellFormed = false;
  std::vector<std::string> lines = common::testing::ReadLines(path.string(), &wellFormed);
  EXPECT_TRUE(wellFormed) << path << ": a line without CR LF";
  return lines;
}

using common::testing::SplitTabs;

std::set<std::string> FileNames(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

class StartCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("HOME")) oldHome = old;
    ::setenv("HOME", home.c_str(), 1);
    platform::SetMessageHook([this](const QString& text) { shown.push_back(text.toStdString()); });

    window = std::make_unique<MainWindow>();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_EQ(window->DefaultDirectory(), home.string());
    Type(30, QString::fromStdString(folder.string()));
    ASSERT_EQ(Text(30), folder.string());
  }

  void TearDown() override {
    window.reset();
    platform::SetMessageHook([](const QString&) {});
    if (oldHome) {
      ::setenv("HOME", oldHome->c_str(), 1);
    } else {
      ::unsetenv("HOME");
    }
  }

  // Types into an entry as a user does and leaves it for the Start button.
  void Type(int index, const QString& text) {
    platform::FocusLineEdit* box = window->Txt(index);
    ASSERT_TRUE(box->isEnabled()) << index;
    box->setFocus(Qt::TabFocusReason);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
    window->StartButton()->setFocus(Qt::TabFocusReason);
  }
  std::string Text(int index) const { return window->Txt(index)->text().toStdString(); }
  void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, 5)); }
  // Clicks "Start simulation" and waits for the command's end.
  void Start() {
    Click(window->StartButton());
    window->WaitForCommand();
  }
  fs::path Report(int n) const { return folder / ("ReportFile" + std::to_string(n) + ".txt"); }
  const std::vector<common::Primitive>& Drawn() const { return window->PictBox()->Primitives(); }

  // A single-run report: the header of `loci` loci, then one line per generation of
  // 2 x 2^loci cumulative frequencies, each followed by a TAB, rising to 1.
  void ExpectSingleRunReport(int loci, int generations) {
    const std::vector<std::string> lines = ReadLines(Report(1));
    ASSERT_EQ(lines.size(), static_cast<size_t>(generations) + 1);
    EXPECT_EQ(lines[0], quorvel::ReportFile1Header(loci));
    const size_t numbers = loci == 2 ? 8 : 16;
    EXPECT_EQ(SplitTabs(lines[0]).size(), numbers);
    for (size_t i = 1; i < lines.size(); ++i) {
      const std::vector<std::string> fields = SplitTabs(lines[i]);
      ASSERT_EQ(fields.size(), numbers + 1) << lines[i];
      EXPECT_EQ(fields[numbers], "") << lines[i];
      double previous = 0;
      for (size_t k = 0; k < numbers; ++k) {
        const double value = common::ParseLeadingNumber(fields[k]);
        EXPECT_EQ(common::FormatNumber(value), fields[k]) << lines[i];
        EXPECT_GE(value, previous) << lines[i];
        previous = value;
      }
      EXPECT_NEAR(previous, 1, 1e-12) << lines[i];
    }
  }

  // The curves of a single run stay: R+ carriers in dark red first, then R- in blue.
  void ExpectCurvesOnThePicture(int loci, int generations) {
    const size_t curves = loci == 2 ? 8 : 16;
    ASSERT_EQ(Drawn().size(), curves * static_cast<size_t>(generations));
    EXPECT_EQ(Drawn()[0].kind, common::Primitive::Kind::Point);
    EXPECT_EQ(Drawn()[0].colour, quorvel::kRPlusColour);
    EXPECT_EQ(Drawn()[curves - 1].colour, quorvel::kRMinusColour);
    EXPECT_EQ(Drawn().back().kind, common::Primitive::Kind::Line);
    EXPECT_EQ(Drawn().back().colour, quorvel::kRMinusColour);
    EXPECT_EQ(Drawn()[Drawn().size() - curves].colour, quorvel::kRPlusColour);
    EXPECT_FLOAT_EQ(Drawn().back().x2, window->Picture().ScaleWidth());
    // The picture shown holds both colours.
    const QImage picture = window->PictBox()->Snapshot();
    bool red = false, blue = false;
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        const QRgb pixel = picture.pixel(x, y);
        red = red || pixel == qRgb(0xC0, 0, 0);
        blue = blue || pixel == qRgb(0, 0, 0xFF);
      }
    }
    EXPECT_TRUE(red);
    EXPECT_TRUE(blue);
  }

  // After a sweep the picture box shows its back colour only.
  void ExpectBlankPicture() {
    EXPECT_TRUE(Drawn().empty());
    const QImage picture = window->PictBox()->Snapshot();
    const QRgb back = platform::ToQColor(window->PictBox()->BackColourValue()).rgb();
    int others = 0;
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) others += picture.pixel(x, y) != back ? 1 : 0;
    }
    EXPECT_EQ(others, 0);
  }

  common::testing::TempFolder folderOwner{"quorvel_start_"};
  common::testing::TempFolder homeOwner{"quorvel_home_"};
  fs::path folder = folderOwner.Path();
  fs::path home = homeOwner.Path();
  std::optional<std::string> oldHome;
  std::vector<std::string> shown;
  std::unique_ptr<MainWindow> window;
};

}  // namespace

TEST_F(StartCommandTest, SingleRunWithNInfiniteForTwoAndThreeLoci) {
  Type(17, "20");
  Start();
  EXPECT_TRUE(shown.empty());
  ExpectSingleRunReport(2, 20);
  ExpectCurvesOnThePicture(2, 20);
  EXPECT_EQ(FileNames(folder), std::set<std::string>{"ReportFile1.txt"});
  for (int i = 37; i <= 40; ++i) EXPECT_EQ(Text(i), "") << i;
  EXPECT_EQ(window->runState().Log10N, 0.0f);

  Click(window->ToggleAllelesNumber());
  ASSERT_EQ(window->model().AllelesNum, 3);
  Type(6, "1");
  Type(17, "15");
  Start();
  EXPECT_TRUE(shown.empty());
  ExpectSingleRunReport(3, 15);
  ExpectCurvesOnThePicture(3, 15);
}

TEST_F(StartCommandTest, SingleRunWithNFinite) {
  Click(window->Option1(1));
  ASSERT_EQ(window->GeneticDrift()->Value(), 1);
  Type(9, "3");
  Type(17, "20");
  Start();
  EXPECT_TRUE(shown.empty());
  ExpectSingleRunReport(2, 20);
  ExpectCurvesOnThePicture(2, 20);
  EXPECT_EQ(window->runState().Log10N, 3.0f);
  EXPECT_DOUBLE_EQ(window->model().PopulationN, 1000);
  EXPECT_FALSE(fs::exists(Report(2)));
}

TEST_F(StartCommandTest, SweepOverSAndK) {
  Click(window->Option1(2));
  Type(17, "10");
  Start();
  EXPECT_TRUE(shown.empty());
  const std::vector<std::string> lines = ReadLines(Report(2));
  ASSERT_EQ(lines.size(), 20u * 43u);
  for (size_t block = 0; block < 20; ++block) {
    const size_t top = block * 43;
    EXPECT_EQ(lines[top], "K\tu=1E-05 s=" + common::FormatNumber(common::ParseLeadingNumber(
                                                lines[top].substr(lines[top].find("s=") + 2))));
    EXPECT_NEAR(common::ParseLeadingNumber(lines[top].substr(lines[top].find("s=") + 2)),
                0.01 * static_cast<double>(block + 1), 1e-9);
    for (size_t k = 0; k < 41; ++k) {
      const std::vector<std::string> fields = SplitTabs(lines[top + 1 + k]);
      ASSERT_EQ(fields.size(), 2u) << lines[top + 1 + k];
      EXPECT_NEAR(common::ParseLeadingNumber(fields[0]), 0.8 + 0.01 * static_cast<double>(k), 1e-9);
      const double outcome = common::ParseLeadingNumber(fields[1]);
      EXPECT_GT(outcome, 0);
      EXPECT_LT(outcome, 1);
    }
    EXPECT_EQ(lines[top + 42], " ");
  }
  EXPECT_EQ(lines[0], "K\tu=1E-05 s=0.01");
  EXPECT_EQ(SplitTabs(lines[1])[0], "0.8");
  EXPECT_EQ(Text(37), SplitTabs(lines[19 * 43])[1].substr(std::string("u=1E-05 s=").size()));
  EXPECT_NEAR(common::ParseLeadingNumber(Text(37)), 0.2, 1e-9);
  EXPECT_NEAR(common::ParseLeadingNumber(Text(38)), 1.2, 1e-9);
  EXPECT_EQ(Text(39), "");
  EXPECT_EQ(Text(40), "");
  ExpectBlankPicture();
  EXPECT_EQ(FileNames(folder), std::set<std::string>{"ReportFile2.txt"});
}

TEST_F(StartCommandTest, SweepOverLog10N) {
  Click(window->Option1(3));
  Type(8, "3");
  Type(19, "2");
  Type(18, "1");
  Type(17, "10");
  Start();
  EXPECT_TRUE(shown.empty());
  const std::vector<std::string> two = ReadLines(Report(2));
  ASSERT_EQ(two.size(), 3u * 5u);
  const char* values[] = {"1", "1.5", "2"};
  const std::vector<std::string> three = ReadLines(Report(3));
  ASSERT_EQ(three.size(), 4u);
  EXPECT_EQ(three[0], "N\tMean\tS.D.");
  for (size_t v = 0; v < 3; ++v) {
    EXPECT_EQ(two[v * 5], std::string("N =") + values[v]);
    double sum = 0;
    for (size_t i = 1; i <= 3; ++i) {
      const double outcome = common::ParseLeadingNumber(two[v * 5 + i]);
      EXPECT_GE(outcome, 0);
      EXPECT_LE(outcome, 1);
      sum += outcome;
    }
    EXPECT_EQ(two[v * 5 + 4], " ");
    const std::vector<std::string> fields = SplitTabs(three[v + 1]);
    ASSERT_EQ(fields.size(), 3u) << three[v + 1];
    EXPECT_EQ(fields[0], values[v]);
    EXPECT_NEAR(common::ParseLeadingNumber(fields[1]), sum / 3, 1e-12);
    EXPECT_GE(common::ParseLeadingNumber(fields[2]), 0);
  }
  EXPECT_EQ(Text(37), "");
  EXPECT_EQ(Text(38), "");
  EXPECT_EQ(Text(39), "2");
  EXPECT_EQ(Text(40), "3");
  ExpectBlankPicture();
  EXPECT_EQ(window->runState().Log10N, 2.5f);
  EXPECT_EQ((FileNames(folder)), (std::set<std::string>{"ReportFile2.txt", "ReportFile3.txt"}));
}

TEST_F(StartCommandTest, AFolderUnderAFileFallsBackToTheDefaultFolder) {
  std::ofstream(folder / "afile.txt", std::ios::binary) << "data\r\n";
  Type(17, "10");
  // Typed and Start clicked at once: leaving the entry and the command's own validation
  // pass both put the default folder in its place.
  platform::FocusLineEdit* box = window->Txt(30);
  box->setFocus(Qt::TabFocusReason);
  box->selectAll();
  QTest::keyClicks(box, QString::fromStdString((folder / "afile.txt" / "sub").string()));
  Start();
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(Text(30), home.string());
  EXPECT_EQ(window->runState().SaveDirectory, home.string());
  EXPECT_EQ(FileNames(folder), std::set<std::string>{"afile.txt"});
  EXPECT_EQ(ReadBytes(folder / "afile.txt"), "data\r\n");
  EXPECT_EQ(ReadLines(home / "ReportFile1.txt").size(), 11u);
}

TEST_F(StartCommandTest, ALongSweepCanBeWatchedAndStopped) {
  Click(window->Option1(3));
  Type(8, "10000");
  Type(17, "2000");
  const auto watchAndStop = [this](const std::function<void()>& stop) {
    Click(window->StartButton());
    ASSERT_TRUE(window->IsRunning());
    EXPECT_EQ(window->StartButton()->text(), "Stop");
    // Nothing the run reads can change under it.
    for (QWidget* input :
         {static_cast<QWidget*>(window->Txt(2)), static_cast<QWidget*>(window->Option1(0)),
          static_cast<QWidget*>(window->GeneticDrift()),
          static_cast<QWidget*>(window->ToggleAllelesNumber())})
      EXPECT_FALSE(input->isEnabled());
    // The window answers: the curves and the count of runs come while the sweep goes on.
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Drawn().empty(); }, 30000));
    EXPECT_TRUE(QTest::qWaitFor([this] { return window->windowTitle().contains("runs"); }, 30000));
    EXPECT_TRUE(window->IsRunning());
    stop();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->IsRunning(); }, 10000));
    EXPECT_TRUE(window->windowTitle().contains("Stopped after"))
        << window->windowTitle().toStdString();
    EXPECT_EQ(window->StartButton()->text(), "Start simulation");
    EXPECT_TRUE(window->Txt(2)->isEnabled());
    EXPECT_FALSE(Drawn().empty());  // the curves drawn so far stay
    EXPECT_TRUE(shown.empty());
    // Whole lines, and no mean for the Log10(N) value whose replicates did not all run.
    const std::vector<std::string> two = ReadLines(Report(2));
    ASSERT_FALSE(two.empty());
    EXPECT_EQ(two[0], "N =1");
    EXPECT_EQ(ReadLines(Report(3)).size(),
              1 + static_cast<size_t>(std::count(two.begin(), two.end(), " ")));
  };
  watchAndStop([this] { QTest::keyClick(window.get(), Qt::Key_Escape); });
  watchAndStop([this] { Click(window->StartButton()); });

  // Closing the window stops the command and closes its files first. The file of the last
  // command goes first, so that what is read is this command's.
  std::filesystem::remove(Report(2));
  Click(window->StartButton());
  // The report's first lines reach the disk a buffer at a time: under a sanitizer on a
  // loaded machine that takes tens of seconds.
  ASSERT_TRUE(QTest::qWaitFor([this] { return !ReadBytes(Report(2)).empty(); }, 120000));
  window->close();
  EXPECT_FALSE(window->IsRunning());
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(ReadBytes(Report(2)).substr(ReadBytes(Report(2)).size() - 2), "\r\n");
}

TEST_F(StartCommandTest, APopulationThatDiesOutIsReported) {
  Type(2, "-0.99");
  Type(3, "1.2");
  Type(4, "0");
  Type(5, "0");
  Type(17, "10");
  Start();
  EXPECT_EQ(window->windowTitle(), "Quorvel - Marbeck - Population extinct at generation 1");
  Click(window->Option1(3));
  Type(8, "2");
  Type(19, "1.5");
  Start();
  EXPECT_EQ(window->windowTitle(),
            "Quorvel - Marbeck - 4 runs done; the population died out in 4 of them");
  EXPECT_TRUE(shown.empty());
}
