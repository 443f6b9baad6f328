// A sweep's runs shared by several threads: the files, the record and the program's
// generator come out as on one thread, the runs are drawn in their order, and a stop
// leaves whole runs only.
#include <gtest/gtest.h>

#include "quorvel/run/run_driver.h"
#include "quorvel/run/tests/fake_run_window.h"

namespace quorvel {
namespace {

using testing::ReadBytes;
using testing::ReadLines;
using testing::Session;
using testing::TempFolder;

struct SweepResult {
  std::string Files;
  std::vector<std::pair<int, std::string>> Progress;
  std::vector<double> Outcomes;
  UniformGenerator Generator;
  float Log10N = 0;
  int ExtinctRuns = 0;
};

// The S-K sweep (option 2) or the N sweep (option 3) at small sizes on `threads` threads.
// With `dying`, selection against AB strong enough to leave no individual at all.
SweepResult Sweep(int option, unsigned threads, bool dying = false) {
  TempFolder folder;
  Session session(folder.Path());
  session.SetMode(RunModeOfOption(option));
  if (dying) {
    session.Window.Entries[kEntryS] = "-0.99";
    session.Window.Entries[kEntryK] = "1.2";
    session.Window.Entries[kEntryStartA] = "0";
    session.Window.Entries[kEntryStartB] = "0";
  }
  session.Window.Entries[kEntryMaxGen] = "20";
  if (option == 3) {
    session.State.Checks.GeneticDrift = 1;
    session.Window.Entries[kEntryIterations] = "3";
    session.Window.Entries[kEntryLoopFrom] = "1";
    session.Window.Entries[kEntryLoopTo] = "2";
  }
  RunDriver driver(session.Model, session.State, session.Window);
  driver.SetClock([] { return 4321.5f; });
  driver.SetThreads(threads);
  driver.StartCommand();
  EXPECT_TRUE(session.Window.Shown.empty());
  SweepResult result;
  for (int n : {2, 3}) result.Files += ReadBytes(ReportFilePath(folder.Path(), n));
  result.Progress = session.Window.Progress;
  result.Outcomes = session.State.Last.Outcomes;
  result.Generator = session.Generator;
  result.Log10N = session.State.Log10N;
  result.ExtinctRuns = driver.ExtinctRuns();
  return result;
}

TEST(ParallelSweep, EveryNumberOfThreadsGivesWhatOneGives) {
  for (int option : {2, 3}) {
    const SweepResult one = Sweep(option, 1);
    const SweepResult three = Sweep(option, 3);
    EXPECT_FALSE(one.Files.empty());
    EXPECT_EQ(three.Files, one.Files) << "option " << option;
    // The progress displays follow the runs on view, in run order.
    EXPECT_EQ(three.Progress, one.Progress);
    EXPECT_EQ(three.Outcomes, one.Outcomes);
    EXPECT_EQ(three.Generator, one.Generator);
    EXPECT_EQ(three.Log10N, one.Log10N);
  }
  // Populations that die out are counted alike.
  EXPECT_EQ(Sweep(3, 2, true).ExtinctRuns, 9);  // every run
}

TEST(ParallelSweep, AStopLeavesWholeRunsAndNoUnfinishedStatistics) {
  TempFolder folder;
  Session session(folder.Path());
  session.SetMode(RunMode::NSweep);
  session.State.Checks.GeneticDrift = 1;
  session.Window.Entries[kEntryIterations] = "4";
  session.Window.Entries[kEntryLoopFrom] = "1";
  session.Window.Entries[kEntryLoopTo] = "3";
  session.Window.Entries[kEntryMaxGen] = "2000";
  // The user stops while the second replicate of Log10(N) = 1.5 is on view.
  auto& progress = session.Window.Progress;
  session.Window.Stop = [&progress] {
    return std::count(progress.begin(), progress.end(), std::pair<int, std::string>(39, "1.5")) &&
           progress.back() == std::pair<int, std::string>(40, "2");
  };
  RunDriver driver(session.Model, session.State, session.Window);
  driver.SetThreads(2);
  driver.StartCommand();
  EXPECT_TRUE(driver.Stopped());
  bool whole = false;
  const std::vector<std::string> two = ReadLines(ReportFilePath(folder.Path(), 2), &whole);
  EXPECT_TRUE(whole);
  // The first value's block, then the head of the second with its two replicates shown:
  // the one on view had ended; those in progress on other threads are dropped.
  ASSERT_EQ(two.size(), 9u);
  EXPECT_EQ(two[6], "N =1.5");
  const std::vector<std::string> three = ReadLines(ReportFilePath(folder.Path(), 3), &whole);
  EXPECT_TRUE(whole);
  EXPECT_EQ(three.size(), 2u);
  EXPECT_EQ(session.State.Last.Outcomes.size(), two.size() - 3);
}

}  // namespace
}  // namespace quorvel
