// The window with its menus: the results of a sweep and the rows of a single run.
#include "quorvel/window/quorvel_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <sstream>

#include "platform/widgets/message_box.h"
#include "quorvel/params/entries.h"

namespace {

std::string ReadAll(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class QuorvelWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    window.Form().SetEntryText(30, folder.path().toStdString());
    window.Form().SetEntryText(17, "10");
  }
  void Choose(int mode) {
    window.Form().Option1(mode)->setChecked(true);
    window.Form().Option1_GotFocus(mode);
  }
  std::optional<platform::CsvTable> Exported(platform::FigureActions& actions) {
    const QString path = folder.filePath("table.csv");
    if (!actions.ExportDataTo(path).isEmpty()) return std::nullopt;
    return platform::ReadCsvText(ReadAll(path));
  }

  QTemporaryDir folder;
  quorvel::QuorvelWindow window{{"Quorvel", "org.example.quorvel", "Runs.", "quorvel-the-window"}};
};

TEST_F(QuorvelWindowTest, ASweepOpensItsResultsWithTheValuesItReported) {
  EXPECT_FALSE(window.ShowSweepResults()->isEnabled());
  Choose(3);
  window.Form().SetEntryText(8, "2");
  window.Form().SetEntryText(18, "1");
  window.Form().SetEntryText(19, "1.5");
  window.Start()->trigger();
  // During the command: Stop in the menu, no Start, no Open parameters.
  EXPECT_TRUE(window.Stop()->isEnabled());
  EXPECT_FALSE(window.Start()->isEnabled());
  EXPECT_FALSE(window.OpenParameters()->isEnabled());
  window.Form().WaitForCommand();
  EXPECT_FALSE(window.Stop()->isEnabled());
  EXPECT_TRUE(window.Start()->isEnabled());
  ASSERT_NE(window.Results(), nullptr);
  EXPECT_TRUE(window.Results()->isVisible());
  EXPECT_TRUE(window.ShowSweepResults()->isEnabled());
  const std::optional<platform::CsvTable> table = Exported(window.Results()->Actions());
  ASSERT_TRUE(table);
  ASSERT_EQ(table->rows.size(), 2u);
  // Log10(N), mean and S.D. as ReportFile3 has them.
  std::istringstream report(ReadAll(folder.filePath("ReportFile3.txt")));
  std::string line;
  std::getline(report, line);
  for (const std::vector<std::string>& row : table->rows) {
    std::getline(report, line);
    EXPECT_EQ(row[0] + "\t" + row[1] + "\t" + row[2] + "\r", line);
  }
}

TEST_F(QuorvelWindowTest, AStoppedSweepKeepsItsResultsInTheMenu) {
  Choose(3);
  window.Form().SetEntryText(8, "10000");
  window.Start()->trigger();
  window.Stop()->trigger();
  window.Form().WaitForCommand();
  ASSERT_NE(window.Results(), nullptr);
  EXPECT_FALSE(window.Results()->isVisible());
  EXPECT_TRUE(window.ShowSweepResults()->isEnabled());
  EXPECT_EQ(window.Results()->windowTitle(), "Quorvel - Sweep results");
}

TEST_F(QuorvelWindowTest, ASingleRunExportsOneRowPerGeneration) {
  EXPECT_FALSE(Exported(window.PictureActions()));
  window.Start()->trigger();
  window.Form().WaitForCommand();
  const std::optional<platform::CsvTable> table = Exported(window.PictureActions());
  ASSERT_TRUE(table);
  EXPECT_EQ(table->rows.size(), 10u);
  EXPECT_EQ(table->columns.size(), 9u);
  EXPECT_EQ(table->rows.back().back(), "1");  // the last curve totals every genotype
  EXPECT_EQ(window.Results(), nullptr);
}

TEST_F(QuorvelWindowTest, AParameterSetSavedChangedAndOpenedGivesTheValuesBack) {
  quorvel::MainWindow& form = window.Form();
  auto state = [&] {
    std::vector<std::string> values;
    for (int i : quorvel::kParameterEntries) values.push_back(form.EntryText(i));
    const quorvel::CheckBoxes c = form.CheckValues();
    for (int value : {c.InversionOfS, c.SinusoidalOption, c.GeneticDrift, c.RecombForR,
                      c.InterdemicDiffusion, c.LinkageDisequilibrium})
      values.push_back(std::to_string(value));
    values.push_back(form.AllelesNumber()->text().toStdString());
    for (int mode = 0; mode < 4; ++mode)
      values.push_back(form.Option1(mode)->isChecked() ? "x" : "");
    return values;
  };
  Choose(3);
  form.ToggleAllelesNumber_Click();
  form.SetEntryText(quorvel::kEntryK, "1.1");
  form.SetEntryText(quorvel::kEntryDemes, "3");
  form.InversionOfS()->SetValue(1);
  form.SinusoidalOption()->SetValue(1);
  form.RecombForR()->SetValue(0);
  form.ValidateEntries();
  const std::vector<std::string> saved = state();
  const QString path = folder.filePath("set.toml");
  ASSERT_EQ(window.SaveParametersTo(path), "");

  Choose(0);
  form.ToggleAllelesNumber_Click();
  form.SetEntryText(quorvel::kEntryK, "0.9");
  form.SetEntryText(quorvel::kEntryDemes, "1");
  form.InversionOfS()->SetValue(0);
  form.RecombForR()->SetValue(1);
  form.ValidateEntries();
  ASSERT_NE(state(), saved);
  EXPECT_EQ(window.OpenParametersFrom(path), "");  // nothing to correct, nothing unknown
  EXPECT_EQ(state(), saved);

  // One report of what was corrected and what was not understood.
  std::ofstream(folder.filePath("corrected.toml").toStdString()) << "K = 1.5\nspeed = 3\n";
  const QString report = window.OpenParametersFrom(folder.filePath("corrected.toml"));
  EXPECT_TRUE(report.contains("K: 1.5 -> 1.4")) << report.toStdString();
  EXPECT_TRUE(report.contains("Unknown names, ignored:\n  speed")) << report.toStdString();
  EXPECT_EQ(form.EntryText(quorvel::kEntryK), "1.4");

  // A file that is not a parameter set changes nothing.
  const std::vector<std::string> before = state();
  for (const char* text : {"<html><body>K = 1</body></html>\n", "speed = 3\n", "K = \"fast\"\n"}) {
    std::ofstream(folder.filePath("other.toml").toStdString()) << text;
    EXPECT_TRUE(
        window.OpenParametersFrom(folder.filePath("other.toml")).contains("Nothing was changed"))
        << text;
    EXPECT_EQ(state(), before);
  }
}

}  // namespace
