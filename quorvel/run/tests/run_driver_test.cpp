#include "quorvel/run/run_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "common/number_text.h"
#include "quorvel/run/tests/fake_run_window.h"

namespace quorvel {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::ReadLines;
using testing::Session;
using testing::SplitTabs;
using testing::TempFolder;
using testing::WriteBytes;

class RunCommandTest : public ::testing::Test {
 protected:
  std::string Report(int n) const { return ReportFilePath(folder.Path(), n); }
  std::vector<std::string> Lines(int n) {
    bool wellFormed = false;
    std::vector<std::string> lines = ReadLines(Report(n), &wellFormed);
    EXPECT_TRUE(wellFormed) << "ReportFile" << n << " has a line not ending in CR LF";
    return lines;
  }
  std::vector<std::string>& Shown() { return session.Window.Shown; }
  std::array<std::string, kBoxNumbers>& Entries() { return session.Window.Entries; }

  TempFolder folder;
  Session session{folder.Path()};
};

TEST(OutcomeStatistics, MeanAndDeviationWithTheirLimits) {
  MeanAndDeviation r = OutcomeStatistics(3, 3, 3);  // 1, 1, 1
  EXPECT_EQ(r.Mean, 1);
  EXPECT_EQ(r.Deviation, 0);
  r = OutcomeStatistics(0.1 + 0.2 + 0.3, 0.01 + 0.04 + 0.09, 3);
  EXPECT_DOUBLE_EQ(r.Mean, 0.2);
  EXPECT_NEAR(r.Deviation, 0.1, 1e-12);
  // Three equal outcomes that float64 cannot hold: rounding makes the variance negative.
  double sum = 0, squares = 0;
  for (int i = 0; i < 3; ++i) {
    squares += 0.1 * 0.1;
    sum += 0.1;
  }
  ASSERT_LT(squares - sum * sum / 3, 0);
  EXPECT_EQ(OutcomeStatistics(sum, squares, 3).Deviation, 0);
  r = OutcomeStatistics(0.7, 0.49, 1);
  EXPECT_EQ(r.Mean, 0.7);
  EXPECT_EQ(r.Deviation, 0);
  r = OutcomeStatistics(0, 0, 0);
  EXPECT_EQ(r.Mean, 0);
  EXPECT_EQ(r.Deviation, 0);
}

TEST_F(RunCommandTest, SingleRunWritesHeaderAndOneLinePerGeneration) {
  Entries()[17] = "10";
  session.Window.Recording.SetSize(1000, 1000);
  session.Start();
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(session.Window.Validations, 1);
  const std::vector<std::string> lines = Lines(1);
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[0], "ab\tAb\taB\tAB\tab'\tAb'\taB'\tAB'");
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> fields = SplitTabs(lines[i]);
    ASSERT_EQ(fields.size(), 9u) << lines[i];  // 8 numbers each followed by a TAB
    EXPECT_EQ(fields[8], "");
    double previous = 0;
    for (size_t k = 0; k < 8; ++k) {
      EXPECT_EQ(common::FormatNumber(common::ParseLeadingNumber(fields[k])), fields[k]);
      const double value = common::ParseLeadingNumber(fields[k]);
      EXPECT_GE(value, previous);
      previous = value;
    }
    EXPECT_NEAR(previous, 1, 1e-12);
  }
  // Generation 1 from ab alone: recombination and selection leave it, mutation moves
  // u - u*u of it to Ab and to aB, and u*u to AB.
  const double u = 1e-5, ab = 0.5 * (1 - 2 * (u - u * u) - u * u);
  const std::vector<std::string> first = SplitTabs(lines[1]);
  EXPECT_NEAR(common::ParseLeadingNumber(first[0]), ab, 1e-15);
  EXPECT_NEAR(common::ParseLeadingNumber(first[1]), ab + 0.5 * (u - u * u), 1e-15);
  EXPECT_NEAR(common::ParseLeadingNumber(first[3]), 0.5, 1e-15);
  EXPECT_NEAR(common::ParseLeadingNumber(first[4]), 0.5 + ab, 1e-15);
  // The outcome is the number under AB of the last generation.
  EXPECT_EQ(SplitTabs(lines[10])[3], common::FormatNumber(session.State.RPlusFreq));
  EXPECT_FALSE(Exists(Report(2)));
  EXPECT_FALSE(Exists(Report(3)));

  // The curves stay on the picture box: 8 points, then 9 generations of 8 segments.
  const auto& drawn = session.Window.Recording.Primitives();
  ASSERT_EQ(drawn.size(), 80u);
  EXPECT_EQ(drawn[0].x1, 100);
  EXPECT_EQ(drawn.back().x2, 1000);
  EXPECT_GE(session.Window.Recording.ForcedRefreshes(), 1);
  // The progress displays are emptied.
  ASSERT_EQ(session.Window.Progress.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(session.Window.Progress[static_cast<size_t>(i)].first, 37 + i);
    EXPECT_EQ(session.Window.Progress[static_cast<size_t>(i)].second, "");
  }
}

TEST_F(RunCommandTest, ASecondSingleRunReplacesTheFirstReport) {
  Entries()[17] = "20";
  session.Start();
  ASSERT_EQ(Lines(1).size(), 21u);
  Entries()[17] = "10";
  session.Start();
  EXPECT_EQ(Lines(1).size(), 11u);
}

TEST_F(RunCommandTest, TheFirstFiniteRunAfterStartUpAlwaysDrawsTheSameNumbers) {
  session.SetMode(RunMode::SingleFinite);
  session.State.Checks.GeneticDrift = 1;
  Entries()[9] = "2";
  Entries()[17] = "50";
  session.Start();
  const std::string first = ReadBytes(Report(1));
  EXPECT_EQ(session.State.Log10N, 2.0f);
  EXPECT_DOUBLE_EQ(session.Model.PopulationN, 100);

  TempFolder otherFolder;
  Session restarted(otherFolder.Path());
  restarted.SetMode(RunMode::SingleFinite);
  restarted.State.Checks.GeneticDrift = 1;
  restarted.Window.Entries = Entries();
  restarted.Window.Entries[30] = otherFolder.Path();
  restarted.Start();
  EXPECT_EQ(ReadBytes(ReportFilePath(otherFolder.Path(), 1)), first);

  // The same session goes on drawing from where its generator stands.
  session.Start();
  EXPECT_NE(ReadBytes(Report(1)), first);
}

TEST_F(RunCommandTest, Log10NIsKeptBetweenCommands) {
  EXPECT_EQ(session.State.Log10N, 0.0f);
  Entries()[17] = "10";
  session.Start();  // N infinite leaves it alone
  EXPECT_EQ(session.State.Log10N, 0.0f);
  session.SetMode(RunMode::SingleFinite);
  Entries()[9] = "3.5";
  session.Start();
  EXPECT_EQ(session.State.Log10N, 3.5f);
  session.SetMode(RunMode::Single);
  Entries()[9] = "5";
  session.Start();
  EXPECT_EQ(session.State.Log10N, 3.5f);
}

TEST_F(RunCommandTest, AnEmptyEssentialEntryStopsTheCommand) {
  for (int i = 0; i <= 8; ++i) {
    Session s(folder.Path());
    // Blanks as the validation pass sees them: spaces and tabs.
    s.Window.Entries[static_cast<size_t>(i)] = i % 2 ? "   " : " \t ";
    s.Start();
    ASSERT_EQ(s.Window.Shown.size(), 1u) << i;
    EXPECT_EQ(s.Window.Shown[0], "One or more value are needed!");
    EXPECT_EQ(s.Window.Validations, 1);
    EXPECT_GE(s.Window.Recording.Clears(), 1);
    EXPECT_TRUE(s.Window.Progress.empty());
    EXPECT_FALSE(Exists(Report(1)));
  }
  // The other entries may be empty.
  Entries()[9] = "";
  Entries()[17] = "10";
  Entries()[18] = "";
  session.Start();
  EXPECT_TRUE(Shown().empty());
  EXPECT_TRUE(Exists(Report(1)));
}

TEST_F(RunCommandTest, RefusedHaplotypesOpenNoFile) {
  WriteBytes(Report(1), "an older report\r\n");
  session.State.Checks.LinkageDisequilibrium = 1;
  Entries()[13] = "0.4";
  session.Start();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0], "ab+Ab+aB+Ab frequencies <> 1!");
  EXPECT_EQ(ReadBytes(Report(1)), "an older report\r\n");
  EXPECT_TRUE(session.Window.Progress.empty());

  Entries()[13] = "0.3";
  Entries()[17] = "10";
  session.Start();
  EXPECT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Lines(1).size(), 11u);
}

TEST_F(RunCommandTest, SelectionLoopWritesTwentyBlocksOfFortyOneRuns) {
  session.SetMode(RunMode::SkSweep);
  session.Window.UseNullSurface();
  Entries()[17] = "10";
  session.Start();
  EXPECT_TRUE(Shown().empty());
  const std::vector<std::string> lines = Lines(2);
  ASSERT_EQ(lines.size(), 20u * 43u);
  for (int block = 0; block < 20; ++block) {
    const size_t first = static_cast<size_t>(block) * 43;
    const double s = common::ParseLeadingNumber(lines[first].substr(lines[first].find(" s=") + 3));
    EXPECT_EQ(lines[first].substr(0, 9), "K\tu=1E-05") << lines[first];
    EXPECT_NEAR(s, 0.01 * (block + 1), 1e-9);
    EXPECT_EQ(SplitTabs(lines[first + 1])[0], "0.8");
    EXPECT_NEAR(common::ParseLeadingNumber(SplitTabs(lines[first + 41])[0]), 1.2, 1e-9);
    for (size_t k = 1; k <= 41; ++k) EXPECT_EQ(SplitTabs(lines[first + k]).size(), 2u);
    EXPECT_EQ(lines[first + 42], " ");
  }
  EXPECT_EQ(lines[0], "K\tu=1E-05 s=0.01");
  EXPECT_FALSE(Exists(Report(1)));
  EXPECT_FALSE(Exists(Report(3)));
  // 20 values of S, 820 of K, shown as they change.
  int sShown = 0, kShown = 0;
  for (const auto& [box, text] : session.Window.Progress) {
    sShown += box == kShowS && !text.empty();
    kShown += box == kShowK && !text.empty();
  }
  EXPECT_EQ(sShown, 20);
  EXPECT_EQ(kShown, 820);
}

TEST_F(RunCommandTest, SelectionLoopKeepsTwentyBlocksWithAnOddNumberOfInversions) {
  session.SetMode(RunMode::SkSweep);
  session.Window.UseNullSurface();
  session.State.Checks.InversionOfS = 1;
  Entries()[12] = "10";
  Entries()[17] = "10";
  session.Start();
  const std::vector<std::string> lines = Lines(2);
  ASSERT_EQ(lines.size(), 20u * 43u);
  EXPECT_EQ(lines[43], "K\tu=1E-05 s=0.02");
}

TEST_F(RunCommandTest, SelectionLoopOutcomesFollowTheEpistasis) {
  session.SetMode(RunMode::SkSweep);
  session.Window.UseNullSurface();
  session.Start();
  const std::vector<std::string> lines = Lines(2);
  ASSERT_EQ(lines.size(), 860u);
  // S = 0.1 (block 10): K = 0.8 favours R+, K = 1.2 disfavours it.
  const double low = common::ParseLeadingNumber(SplitTabs(lines[9 * 43 + 1])[1]);
  const double high = common::ParseLeadingNumber(SplitTabs(lines[9 * 43 + 41])[1]);
  EXPECT_GT(low, 0.6);
  EXPECT_LT(high, 0.4);
  // After the loop the picture box is blank.
  EXPECT_TRUE(session.Window.Recording.Primitives().empty());
}

TEST_F(RunCommandTest, PopulationLoopWritesBlocksAndStatistics) {
  session.SetMode(RunMode::NSweep);
  session.State.Checks.GeneticDrift = 1;
  Entries()[8] = "3";
  Entries()[18] = "1";
  Entries()[19] = "2";
  Entries()[17] = "100";
  session.Start();
  EXPECT_TRUE(Shown().empty());
  const std::vector<std::string> two = Lines(2);
  ASSERT_EQ(two.size(), 15u);
  const char* heads[] = {"N =1", "N =1.5", "N =2"};
  for (size_t block = 0; block < 3; ++block) {
    EXPECT_EQ(two[block * 5], heads[block]);
    for (size_t k = 1; k <= 3; ++k) EXPECT_EQ(SplitTabs(two[block * 5 + k]).size(), 1u);
    EXPECT_EQ(two[block * 5 + 4], " ");
  }
  const std::vector<std::string> three = Lines(3);
  ASSERT_EQ(three.size(), 4u);
  EXPECT_EQ(three[0], "N\tMean\tS.D.");
  for (size_t row = 1; row <= 3; ++row) {
    const std::vector<std::string> fields = SplitTabs(three[row]);
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0], heads[row - 1] + 3);
    double sum = 0, squares = 0;
    for (size_t k = 1; k <= 3; ++k) {
      const double x = common::ParseLeadingNumber(two[(row - 1) * 5 + k]);
      squares += x * x;
      sum += x;
    }
    const MeanAndDeviation expected = OutcomeStatistics(sum, squares, 3);
    // The outcomes were read back from their 15-digit texts.
    EXPECT_NEAR(common::ParseLeadingNumber(fields[1]), expected.Mean, 1e-13);
    EXPECT_NEAR(common::ParseLeadingNumber(fields[2]), expected.Deviation, 1e-12);
  }
  // With drift in populations of 10 to 100 the replicates differ.
  double largest = 0;
  for (size_t row = 1; row <= 3; ++row)
    largest = std::max(largest, common::ParseLeadingNumber(SplitTabs(three[row])[2]));
  EXPECT_GT(largest, 0) << ReadBytes(Report(2));
  EXPECT_EQ(session.State.Log10N, 2.5f);
  EXPECT_FALSE(Exists(Report(1)));
  EXPECT_TRUE(session.Window.Recording.Primitives().empty());
  // Progress: Log10(N) three times, the iteration nine times.
  std::vector<std::string> shownN, shownI;
  for (const auto& [box, text] : session.Window.Progress) {
    if (box == kShowLog10N && !text.empty()) shownN.push_back(text);
    if (box == kShowIteration && !text.empty()) shownI.push_back(text);
  }
  EXPECT_EQ(shownN, (std::vector<std::string>{"1", "1.5", "2"}));
  EXPECT_EQ(shownI.size(), 9u);
  EXPECT_EQ(shownI[2], "3");
}

TEST_F(RunCommandTest, PopulationLoopIterationCountsAreRounded) {
  session.SetMode(RunMode::NSweep);
  session.Window.UseNullSurface();
  Entries()[18] = "1";
  Entries()[19] = "1";
  Entries()[17] = "10";
  const struct {
    const char* text;
    size_t runs;
  } cases[] = {{"1", 1}, {"1.5", 2}, {"2", 2}, {"2.5", 2}, {"3", 3}};
  for (const auto& c : cases) {
    Entries()[8] = c.text;
    session.Start();
    EXPECT_EQ(Lines(2).size(), c.runs + 2) << c.text;
    const std::vector<std::string> three = Lines(3);
    ASSERT_EQ(three.size(), 2u);
    if (c.runs == 1) {
      EXPECT_EQ(SplitTabs(three[1])[2], "0");
    }
  }
}

TEST_F(RunCommandTest, PopulationLoopWithStartAboveEndRunsNothing) {
  session.SetMode(RunMode::NSweep);
  Entries()[18] = "3";
  Entries()[19] = "2";
  session.Start();
  EXPECT_EQ(ReadBytes(Report(2)), "");
  EXPECT_EQ(ReadBytes(Report(3)), "N\tMean\tS.D.\r\n");
  EXPECT_EQ(session.State.Log10N, 3.0f);
}

TEST_F(RunCommandTest, AReportFileThatCannotBeCreatedEndsTheCommandWithAMessage) {
  Entries()[30] = folder.File("missing");
  Entries()[17] = "10";
  session.Start();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0], ReportFileFailedMessage(ReportFilePath(folder.File("missing"), 1)));
  EXPECT_NE(Shown()[0].find("ReportFile1.txt"), std::string::npos);
  EXPECT_TRUE(session.Window.Recording.Primitives().empty());

  // ReportFile2 is created, ReportFile3 cannot be: neither stays behind.
  Shown().clear();
  Entries()[30] = folder.Path();
  std::filesystem::create_directory(Report(3));
  session.SetMode(RunMode::NSweep);
  session.Start();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_NE(Shown()[0].find(Report(3)), std::string::npos);
  EXPECT_FALSE(Exists(Report(2)));
}

TEST_F(RunCommandTest, SeveralDemesDrawTheirMeans) {
  Entries()[10] = "3";
  Entries()[17] = "10";
  session.SetMode(RunMode::SingleFinite);
  Entries()[9] = "2";
  session.State.Checks.GeneticDrift = 1;
  session.Start();
  EXPECT_EQ(session.Model.Demes, 3);
  // The curves show slots 3 and 4 of deme 1: the means written by the diffusion step.
  const std::vector<std::string> lines = Lines(1);
  double mean = 0;
  for (int g = 1; g <= 4; ++g) mean += session.Model.Freq(3, 1, g);
  EXPECT_EQ(SplitTabs(lines[10])[3], common::FormatNumber(mean));
  double deme1 = 0;
  for (int g = 1; g <= 4; ++g) deme1 += session.Model.Freq(0, 1, g);
  EXPECT_NE(mean, deme1);
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

TEST_F(RunCommandTest, AStoppedSweepKeepsWholeLinesAndNoUnfinishedStatistics) {
  session.SetMode(RunMode::NSweep);
  Entries()[8] = "3";
  Entries()[18] = "1";
  Entries()[19] = "2";
  Entries()[17] = "100";
  // The user stops while the second iteration of Log10(N) = 1.5 runs.
  auto& progress = session.Window.Progress;
  session.Window.Stop = [&progress] {
    return std::count(progress.begin(), progress.end(), std::pair<int, std::string>(39, "1.5")) &&
           progress.back() == std::pair<int, std::string>(40, "2");
  };
  RunDriver driver(session.Model, session.State, session.Window);
  driver.StartCommand();
  EXPECT_TRUE(driver.Stopped());
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(session.State.Generation, 1);  // the stopped run ended after one generation
  const std::vector<std::string> two = Lines(2);
  ASSERT_EQ(two.size(), 7u);  // one whole block, then the head and one outcome of the next
  EXPECT_EQ(two[4], " ");
  EXPECT_EQ(two[5], "N =1.5");
  const std::vector<std::string> three = Lines(3);
  ASSERT_EQ(three.size(), 2u);
  EXPECT_EQ(SplitTabs(three[1])[0], "1");
  // The curves of the run it stopped in stay.
  EXPECT_EQ(session.Window.Recording.Primitives().size(), 8u);
}

TEST_F(RunCommandTest, AStoppedSingleRunKeepsTheGenerationsRun) {
  Entries()[17] = "100";
  // Five generations drawn, eight curves each.
  session.Window.Stop = [this] { return session.Window.Recording.Primitives().size() >= 40; };
  RunDriver driver(session.Model, session.State, session.Window);
  driver.StartCommand();
  EXPECT_TRUE(driver.Stopped());
  EXPECT_EQ(Lines(1).size(), 6u);
  EXPECT_EQ(session.Window.Recording.Primitives().size(), 5u * 8u);
  EXPECT_EQ(session.State.Generation, 5);
}

TEST_F(RunCommandTest, APopulationThatDiesOutIsToldApart) {
  // Selection against AB strong enough to leave no individual at all.
  Entries()[2] = "-0.99";
  Entries()[3] = "1.2";
  Entries()[4] = "0";
  Entries()[5] = "0";
  Entries()[17] = "10";
  session.Start();
  EXPECT_EQ(session.State.ExtinctAt, 1);
  EXPECT_EQ(SplitTabs(Lines(1).back())[7], "0");  // the file stays as it was

  session.SetMode(RunMode::NSweep);
  session.State.Checks.GeneticDrift = 1;
  Entries()[8] = "2";
  Entries()[18] = "1";
  Entries()[19] = "1.5";
  RunDriver driver(session.Model, session.State, session.Window);
  driver.StartCommand();
  EXPECT_EQ(driver.ExtinctRuns(), 4);
  // A run stopped after its population died out did not end: it is not counted.
  int asked = 0;
  session.Window.Stop = [&asked] { return ++asked > 3; };
  RunDriver stopped(session.Model, session.State, session.Window);
  stopped.StartCommand();
  EXPECT_TRUE(stopped.Stopped());
  EXPECT_GT(session.State.ExtinctAt, 0);
  EXPECT_EQ(stopped.ExtinctRuns(), 0);
  session.Window.Stop = nullptr;

  Entries()[2] = "0.1";
  RunDriver living(session.Model, session.State, session.Window);
  living.StartCommand();
  EXPECT_EQ(living.ExtinctRuns(), 0);
  EXPECT_EQ(session.State.ExtinctAt, 0);
}

}  // namespace
}  // namespace quorvel
