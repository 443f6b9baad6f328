// Studies in the window: the dialog's checks as the user types, a study file opened into
// it, a study started with Return, stopped, and its results exported.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "common/testing/test_files.h"
#include "platform/widgets/message_box.h"
#include "quorvel/params/entries.h"
#include "quorvel/window/quorvel_window.h"

namespace {

using common::testing::ReadBytes;

class StudyWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetMessageHook([this](const QString& text) { messages << text; });
    window.Form().SetEntryText(quorvel::kEntryMaxGen, "10");
  }
  void TearDown() override { platform::SetMessageHook({}); }

  quorvel::StudyDialog& Dialog() {
    if (!window.Study()) window.StudyAction()->trigger();
    return *window.Study();
  }
  void Vary(int row, const std::string& name, const QString& values) {
    Dialog().ChooseParameter(row, name);
    Dialog().Values(row)->setText(values);
  }
  std::string Write(const std::string& name, const std::string& text) {
    common::testing::WriteBytes(folder.File(name), text);
    return folder.File(name);
  }

  common::testing::TempFolder folder;
  QStringList messages;
  quorvel::QuorvelWindow window{{"Quorvel", "org.example.quorvel", "Runs.", "quorvel-the-window"}};
};

TEST_F(StudyWindowTest, AWrongRowSaysWhatIsWrongAndKeepsStartDisabled) {
  quorvel::StudyDialog& dialog = Dialog();
  EXPECT_EQ(dialog.windowTitle(), "Study");
  EXPECT_TRUE(dialog.StartButton()->isDefault());
  EXPECT_FALSE(dialog.StartButton()->isEnabled());  // nothing varied yet

  Vary(0, "S", "0.01:0.05:0.01");
  Vary(1, "K", "0.9, 1");
  EXPECT_TRUE(dialog.StartButton()->isEnabled());
  EXPECT_EQ(dialog.RunCount()->text(), "Runs: 10");
  dialog.Replicates()->setValue(3);  // replicates need a finite population
  EXPECT_FALSE(dialog.Message()->text().isEmpty());
  EXPECT_FALSE(dialog.StartButton()->isEnabled());
  dialog.Finite()->setChecked(true);
  EXPECT_EQ(dialog.RunCount()->text(), "Runs: 30");
  EXPECT_TRUE(dialog.StartButton()->isEnabled());

  const std::pair<std::string, QString> wrong[] = {
      {"S", "0.1:0.05:0"}, {"K", "fast"}, {"drift", "maybe"}, {"S", "0.1"}, {"", "1, 2"}};
  for (const auto& [name, values] : wrong) {
    Vary(1, name, values);
    EXPECT_FALSE(dialog.RowMessage(1)->text().isEmpty()) << name << " " << values.toStdString();
    EXPECT_TRUE(dialog.RowMessage(0)->text().isEmpty());
    EXPECT_FALSE(dialog.StartButton()->isEnabled());
  }
  Vary(1, "", "");
  EXPECT_TRUE(dialog.StartButton()->isEnabled());
  dialog.Seed()->setText("-1");
  EXPECT_FALSE(dialog.SeedMessage()->text().isEmpty());
  EXPECT_FALSE(dialog.StartButton()->isEnabled());
}

TEST_F(StudyWindowTest, AStudyFileOpensTheDialogAndItsExportIsTheBatchProgramsTables) {
  // A file that cannot be read changes nothing and says so, as the menu does.
  window.OpenParametersFile(QString::fromStdString(folder.File("missing.toml")));
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages.front().startsWith("Cannot read")) << messages.front().toStdString();
  EXPECT_EQ(window.Study(), nullptr);

  const std::string study = Write("study.toml",
                                  "maxgen = 20\ndemes = 2\n[study]\n"
                                  "vary = [\"z=0:1:0.5\", \"drift=on,off\"]\n"
                                  "replicates = 2\npopulation = \"finite\"\nseed = 42\n");
  window.OpenParametersFile(QString::fromStdString(study));
  ASSERT_NE(window.Study(), nullptr);
  quorvel::StudyDialog& dialog = *window.Study();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.Values(0)->text(), "0:1:0.5");
  EXPECT_EQ(dialog.Seed()->text(), "42");
  EXPECT_EQ(dialog.RunCount()->text(), "Runs: 12");
  EXPECT_EQ(window.Form().EntryText(quorvel::kEntryMaxGen), "20");

  QTest::keyClick(&dialog, Qt::Key_Return);
  ASSERT_NE(window.RunningStudy(), nullptr);
  EXPECT_FALSE(window.Start()->isEnabled());
  EXPECT_FALSE(window.StudyAction()->isEnabled());
  window.RunningStudy()->Wait();
  quorvel::StudyResultsWindow* results = window.StudyWindow();
  ASSERT_NE(results, nullptr);
  EXPECT_TRUE(results->isVisible());
  EXPECT_TRUE(results->HasFigure());
  EXPECT_EQ(results->Summary()->rowCount(), 6);
  EXPECT_TRUE(window.StudyAction()->isEnabled());

  const QString exported = QString::fromStdString(folder.File("mine.csv"));
  ASSERT_EQ(results->Actions().ExportDataTo(exported), "");
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
  // ThreadSanitizer's runtime cannot follow a fork from a process that has had threads;
  // the other builds compare with the batch program.
  GTEST_SKIP() << "no child process under ThreadSanitizer";
#endif
#endif
  QProcess batch;
  batch.start(QUORVEL_BATCH, {"study", "--params", QString::fromStdString(study), "--quiet",
                              "--out", QString::fromStdString(folder.File("batch"))});
  ASSERT_TRUE(batch.waitForFinished(60000));
  ASSERT_EQ(batch.exitCode(), 0) << batch.readAllStandardError().toStdString();
  EXPECT_EQ(ReadBytes(folder.File("mine.csv")), ReadBytes(folder.File("batch/runs.csv")));
  EXPECT_EQ(ReadBytes(folder.File("mine-summary.csv")),
            ReadBytes(folder.File("batch/summary.csv")));
}

TEST_F(StudyWindowTest, StopEndsTheStudyWithWholeRunsOnly) {
  window.Form().SetEntryText(quorvel::kEntryMaxGen, "10000");
  Vary(0, "log10n", "3:6:0.5");
  Dialog().Replicates()->setValue(50);
  Dialog().StartButton()->click();
  ASSERT_NE(window.RunningStudy(), nullptr);
  EXPECT_TRUE(window.Form().windowTitle().contains("Study: 0 / 350 runs"))
      << window.Form().windowTitle().toStdString();
  EXPECT_FALSE(Dialog().Seed()->text().isEmpty());  // drawn, and shown
  window.Stop()->trigger();
  window.RunningStudy()->Wait();
  quorvel::StudyResultsWindow* results = window.StudyWindow();
  ASSERT_NE(results, nullptr);
  EXPECT_TRUE(results->Heading()->text().startsWith("Stopped after"));
  EXPECT_TRUE(window.Form().windowTitle().contains("Study stopped after"));
  EXPECT_TRUE(window.Start()->isEnabled());
}

}  // namespace
