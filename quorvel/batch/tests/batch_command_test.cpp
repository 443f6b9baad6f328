#include "quorvel/batch/batch_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/number_text.h"
#include "quorvel/batch/batch_plot.h"
#include "quorvel/params/named_parameters.h"
#include "quorvel/run/run_driver.h"
#include "quorvel/run/seeds.h"
#include "quorvel/run/study_tables.h"
#include "quorvel/run/tests/fake_run_window.h"

namespace quorvel::batch {
namespace {

using testing::ReadBytes;
using testing::ReadLines;
using testing::TempFolder;

struct Outcome {
  int Status;
  std::string Out;
  std::string Err;
};

Outcome Batch(std::vector<std::string> args, bool stop = false) {
  std::ostringstream out;
  std::ostringstream err;
  std::atomic<bool> stopFlag{stop};
  const int status = RunBatchCommand(args, out, err, stopFlag, false);
  return {status, out.str(), err.str()};
}

std::string Report(const std::string& folder, int n) {
  return ReadBytes(ReportFilePath(folder, n));
}

// A small N sweep: two values of Log10(N), several replicates, two demes with drift.
std::vector<std::string> SmallNSweep(const std::string& out, const std::string& seed) {
  return {"n-sweep",   "--set",        "from=1.5", "--set",   "to=2",
          "--set",     "iterations=6", "--set",    "demes=2", "--set",
          "maxgen=30", "--seed",       seed,       "--out",   out};
}

class BatchCommandTest : public ::testing::Test {
 protected:
  std::string Folder(const std::string& name) { return temp.File(name); }
  TempFolder temp;
};

TEST_F(BatchCommandTest, ReportsAreTheBytesTheWindowWritesForTheSameEntries) {
  // The window: entries typed, run mode chosen, Start clicked.
  testing::Session window(Folder("window"));
  std::filesystem::create_directories(Folder("window"));
  window.Window.Entries[3] = "1.1";
  window.Window.Entries[17] = "12";
  window.Window.Entries[10] = "2";
  window.State.Checks.InversionOfS = 1;
  window.Window.Entries[12] = "10";
  window.Start();
  ASSERT_TRUE(window.Window.Shown.empty());
  window.SetMode(RunMode::SkSweep);
  window.Start();

  const std::vector<std::string> sets = {
      "--set", "K=1.1",        "--set", "maxgen=12",           "--set",     "demes=2",
      "--set", "inversion=on", "--set", "inversion-period=10", "--threads", "3"};
  std::vector<std::string> single = {"single", "--out", Folder("single")};
  single.insert(single.end(), sets.begin(), sets.end());
  std::vector<std::string> sweep = {"sk-sweep", "--out", Folder("sweep")};
  sweep.insert(sweep.end(), sets.begin(), sets.end());
  ASSERT_EQ(Batch(single).Status, kExitOk);
  ASSERT_EQ(Batch(sweep).Status, kExitOk);
  EXPECT_EQ(Report(Folder("single"), 1), Report(Folder("window"), 1));
  // The tidy table beside the report: a header and one line per generation.
  const std::string table = ReadBytes(Folder("single") + "/generations.csv");
  EXPECT_EQ(table.rfind("generation,ab_rplus,", 0), 0u);
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 1 + 12);
  EXPECT_EQ(Report(Folder("sweep"), 2), Report(Folder("window"), 2));
  EXPECT_FALSE(std::filesystem::exists(ReportFilePath(Folder("sweep"), 1)));
}

TEST_F(BatchCommandTest, TheWindowsNSweepDerivesItsReplicatesAsTheBatchDoes) {
  // The window takes its sweep's seed from the clock mixed into its generator.
  std::filesystem::create_directories(Folder("window"));
  testing::Session window(Folder("window"));
  window.SetMode(RunMode::NSweep);
  const std::vector<std::pair<int, const char*>> entries = {
      {18, "1.5"}, {19, "2"}, {8, "6"}, {10, "2"}, {17, "30"}};
  for (const auto& [entry, text] : entries)
    window.Window.Entries[static_cast<size_t>(entry)] = text;
  RunDriver driver(window.Model, window.State, window.Window);
  driver.SetClock([] { return 4321.5f; });
  driver.StartCommand();
  ASSERT_TRUE(window.Window.Shown.empty());

  UniformGenerator clockMixed;
  clockMixed.Reseed(4321.5f);
  ASSERT_EQ(Batch(SmallNSweep(Folder("batch"), std::to_string(SeedFromState(clockMixed)))).Status,
            kExitOk);
  EXPECT_EQ(Report(Folder("batch"), 2), Report(Folder("window"), 2));
  EXPECT_EQ(Report(Folder("batch"), 3), Report(Folder("window"), 3));
}

TEST_F(BatchCommandTest, FilesAreTheSameForEveryThreadCountAndRepeatWithTheSeed) {
  std::string first2, first3;
  for (const char* threads : {"1", "2", "3"}) {
    const std::string out = Folder(std::string("t") + threads);
    std::vector<std::string> args = SmallNSweep(out, "7");
    args.insert(args.end(), {"--threads", threads});
    ASSERT_EQ(Batch(args).Status, kExitOk);
    EXPECT_NE(ReadBytes(out + "/run.json").find(std::string("\"threads\": ") + threads + ","),
              std::string::npos);
    if (first2.empty()) {
      first2 = Report(out, 2);
      first3 = Report(out, 3);
      continue;
    }
    EXPECT_EQ(Report(out, 2), first2) << threads << " threads";
    EXPECT_EQ(Report(out, 3), first3) << threads << " threads";
  }
  ASSERT_EQ(Batch(SmallNSweep(Folder("other"), "8")).Status, kExitOk);
  EXPECT_NE(Report(Folder("other"), 2), first2);
}

TEST_F(BatchCommandTest, ReplicatesDependOnlyOnTheSeedAndTheirPlace) {
  // Replicate r of a value is the same run whether 6 or 3 replicates are asked for, so no
  // run draws on what another run left in the generator.
  std::vector<std::string> fewer = SmallNSweep(Folder("fewer"), "11");
  fewer[7] = "iterations=3";
  ASSERT_EQ(Batch(SmallNSweep(Folder("more"), "11")).Status, kExitOk);
  ASSERT_EQ(Batch(fewer).Status, kExitOk);
  const std::vector<std::string> more = ReadLines(ReportFilePath(Folder("more"), 2));
  const std::vector<std::string> few = ReadLines(ReportFilePath(Folder("fewer"), 2));
  ASSERT_EQ(more.size(), 2u * 8);
  ASSERT_EQ(few.size(), 2u * 5);
  for (size_t value = 0; value < 2; ++value)
    for (size_t r = 0; r <= 3; ++r) EXPECT_EQ(few[value * 5 + r], more[value * 8 + r]);
  // Independent replicates of a finite population scatter.
  std::set<std::string> outcomes(more.begin() + 1, more.begin() + 7);
  EXPECT_GT(outcomes.size(), 1u);
}

TEST_F(BatchCommandTest, MergedShardsGiveTheUnshardedReports) {
  // 12 runs in 5 shards: the split leaves shards of 2 and of 3 runs.
  ASSERT_EQ(Batch(SmallNSweep(Folder("whole"), "5")).Status, kExitOk);
  std::vector<std::string> shardFiles;
  for (const char* shard : {"5/5", "1/5", "3/5", "2/5", "4/5"}) {
    std::vector<std::string> args = SmallNSweep(Folder("shards"), "5");
    args.insert(args.end(), {"--shard", shard, "--threads", "2"});
    ASSERT_EQ(Batch(args).Status, kExitOk);
  }
  for (int i = 1; i <= 5; ++i) {
    shardFiles.push_back(Folder("shards") + "/shard-" + std::to_string(i) + "-of-5.json");
    // Balanced: no shard holds more than one run beyond another.
    const std::string text = ReadBytes(shardFiles.back());
    EXPECT_TRUE(text.find("\"count\": 2\n") != std::string::npos ||
                text.find("\"count\": 3\n") != std::string::npos)
        << shardFiles.back();
  }
  EXPECT_FALSE(std::filesystem::exists(ReportFilePath(Folder("shards"), 2)));

  std::vector<std::string> merge = {"merge", "--out", Folder("merged")};
  merge.insert(merge.end(), shardFiles.rbegin(), shardFiles.rend());
  ASSERT_EQ(Batch(merge).Status, kExitOk);
  EXPECT_EQ(Report(Folder("merged"), 2), Report(Folder("whole"), 2));
  EXPECT_EQ(Report(Folder("merged"), 3), Report(Folder("whole"), 3));

  // Shards that do not make one sweep, or that were edited by hand, are refused with the
  // file's name, and nothing is written.
  std::vector<std::string> other = SmallNSweep(Folder("other"), "6");
  other.insert(other.end(), {"--shard", "2/5"});
  ASSERT_EQ(Batch(other).Status, kExitOk);
  const std::string shard = ReadBytes(shardFiles[1]);
  auto edited = [&](const std::string& name, const std::string& from, const std::string& to) {
    std::string text = shard;
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    testing::WriteBytes(Folder(name), text);
    return Folder(name);
  };
  const size_t row = shard.find('"', shard.find("\"rows\"") + 6);
  const std::string firstRow = shard.substr(row, shard.find('"', row + 1) - row);
  const std::vector<std::pair<std::string, std::string>> wrong = {
      {Folder("other") + "/shard-2-of-5.json", "its seed differs"},
      {shardFiles[0], "given twice"},
      {Folder("whole") + "/run.json", "not a shard file"},
      {edited("junk.json", firstRow, firstRow + "junk"), "is not a run of the study"},
      {edited("negative.json", "\"extinct_runs\": 0", "\"extinct_runs\": -5"), "extinct_runs"},
      {edited("type.json", "\"seed\": 5", "\"seed\": \"5\""), "seed"},
      {edited("no-k.json", "\"K\": 1.0,", ""), "its parameters"},
  };
  for (const auto& [file, message] : wrong) {
    std::vector<std::string> args = {"merge",       shardFiles[0], file,    shardFiles[2],
                                     shardFiles[3], shardFiles[4], "--out", Folder("refused")};
    const Outcome result = Batch(args);
    EXPECT_EQ(result.Status, kExitRefused) << result.Err;
    EXPECT_NE(result.Err.find(message), std::string::npos) << result.Err;
  }
  EXPECT_FALSE(std::filesystem::exists(Folder("refused")));
}

TEST_F(BatchCommandTest, RefusalsNameTheParameterAndTouchNoFile) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"single", "--set", "Kk=1"}, "did you mean 'K'"},
      {{"single", "--set", "K=abc"}, "K: 'abc' is not a number"},
      {{"single", "--set", "u= "}, "u: One or more value are needed!"},
      {{"n-sweep", "--set", "iterations="}, "iterations: One or more value are needed!"},
      {{"single", "--set", "ld=on", "--set", "ab=0.5"}, "ab+Ab+aB+Ab frequencies <> 1!"},
      {{"single", "--set", "drift=yes"}, "drift: 'yes' is not on or off"},
      {{"single", "--shard", "1/2"}, "--shard"},
      {{"single", "--plot", "chart.svg"}, "--plot draws a sweep's results"},
      {{"n-sweep", "--shard", "3/2", "--seed", "1"}, "--shard"},
      {{"n-sweep", "--shard", "0/2", "--seed", "1"}, "--shard 0/2"},
      {{"n-sweep", "--shard", "", "--seed", "1"}, "--shard"},
      {{"n-sweep", "--shard", "1/2"}, "--shard needs --seed"},
      {{"single", "--seed", "-1"}, "--seed -1"},
      {{"single", "--seed", "12x"}, "--seed 12x"},
      {{"single", "--seed", "18446744073709551616"}, "--seed"},
      {{"sk-sweep", "--plot", ""}, "--plot"},
      {{"sk-sweep", "--plot", Folder("missing/plot.svg")}, "does not exist"},
      {{"single", "--params", Folder("huge.toml")}, "larger than 1 MB"},
      {{"single", "--bogus"}, "usage: quorvel-batch"},
  };
  testing::WriteBytes(Folder("huge.toml"), std::string(2 << 20, '#'));
  // A build without Qt refuses a sweep's chart of any name it could take.
  const bool can_plot = PlotRefusal("chart.svg").empty();
  for (const auto& [given, expected] : cases) {
    const auto plot = std::find(given.begin(), given.end(), "--plot");
    const bool drawable = plot != given.end() && !plot[1].empty() && given[0] != "single";
    const std::string message = drawable && !can_plot ? PlotRefusal(plot[1]) : expected;
    std::vector<std::string> args = given;
    args.insert(args.end(), {"--out", Folder("refused"), "--write-params", Folder("p.toml")});
    const Outcome result = Batch(args);
    EXPECT_EQ(result.Status, kExitRefused) << given.back();
    EXPECT_NE(result.Err.find(message), std::string::npos) << result.Err;
  }
  EXPECT_FALSE(std::filesystem::exists(Folder("refused")));
  EXPECT_FALSE(std::filesystem::exists(Folder("p.toml")));
  EXPECT_EQ(Batch({"single", "--out", ""}).Status, kExitRefused);
  const Outcome bare = Batch({});
  EXPECT_EQ(bare.Status, kExitRefused);
  EXPECT_EQ(bare.Out, "");
  EXPECT_EQ(bare.Err.rfind("usage: quorvel-batch", 0), 0u) << bare.Err;
  EXPECT_NE(Batch({"--help"}).Out.find("merge"), std::string::npos);

  // A folder that cannot be made.
  testing::WriteBytes(Folder("file"), "x");
  const Outcome failed = Batch({"single", "--out", Folder("file") + "/sub"});
  EXPECT_EQ(failed.Status, kExitFailed);
  EXPECT_NE(failed.Err.find(Folder("file")), std::string::npos);
}

TEST_F(BatchCommandTest, CorrectionsAreReportedAndTheParameterFileReadsBack) {
  const Outcome corrected =
      Batch({"single", "--set", "K=1.5", "--set", "maxgen=10.7", "--set", "sinusoidal=on", "--set",
             "S=0,05", "--write-params", Folder("used.toml"), "--out", Folder("a"), "--seed", "1"});
  ASSERT_EQ(corrected.Status, kExitOk);
  // S written with a comma keeps its value: no correction.
  EXPECT_EQ(corrected.Err,
            "sinusoidal: on -> off (needs inversion)\nK: 1.5 -> 1.4 (upper bound)\n"
            "maxgen: 10.7 -> 10 (rounded down)\n");
  EXPECT_NE(Batch({"--list"}).Out.find("[0.6, 1.4]"), std::string::npos);  // K's, lower first
  // A comma stands for the point also beyond a bound; a negative overflow lies below the
  // lower bound.
  const Outcome typed = Batch({"single", "--set", "S=1,5", "--set", "w=-1e309", "--write-params",
                               "-", "--out", Folder("c"), "--seed", "1"});
  ASSERT_EQ(typed.Status, kExitOk);
  EXPECT_EQ(typed.Err, "w: -1e309 -> 1E-10 (lower bound)\nS: 1,5 -> 1 (upper bound)\n");
  EXPECT_NE(typed.Out.find("mode = \"single\""), std::string::npos) << typed.Out;

  const Outcome again =
      Batch({"single", "--params", Folder("used.toml"), "--out", Folder("b"), "--seed", "1"});
  ASSERT_EQ(again.Status, kExitOk);
  EXPECT_EQ(again.Err, "");  // nothing left to correct
  EXPECT_EQ(Report(Folder("b"), 1), Report(Folder("a"), 1));

  testing::WriteBytes(Folder("bad.toml"), "Kx = 1\n");
  const Outcome unknown = Batch({"single", "--params", Folder("bad.toml")});
  EXPECT_EQ(unknown.Status, kExitRefused);
  EXPECT_NE(unknown.Err.find("did you mean 'K'"), std::string::npos);
}

TEST_F(BatchCommandTest, APopulationThatDiesOutIsToldOnStderrAndInTheProvenance) {
  // Selection against AB strong enough to leave no individual at all.
  const std::vector<std::string> dying = {"--set", "S=-0.99", "--set", "K=1.2",
                                          "--set", "a=0",     "--set", "b=0"};
  std::vector<std::string> single = {"single", "--set", "maxgen=10", "--out", Folder("single")};
  single.insert(single.end(), dying.begin(), dying.end());
  const Outcome one = Batch(single);
  ASSERT_EQ(one.Status, kExitOk);
  EXPECT_NE(one.Err.find("Population extinct at generation 1"), std::string::npos) << one.Err;
  EXPECT_NE(ReadBytes(Folder("single") + "/run.json").find("\"extinct_at_generation\": 1"),
            std::string::npos);

  // Shards carry their counts, and the merge totals them.
  std::vector<std::string> shardFiles = {"merge", "--out", Folder("merged")};
  for (const char* shard : {"1/2", "2/2"}) {
    std::vector<std::string> args = SmallNSweep(Folder("shards"), "5");
    args.insert(args.end(), dying.begin(), dying.end());
    args.insert(args.end(), {"--shard", shard});
    ASSERT_EQ(Batch(args).Status, kExitOk);
    shardFiles.push_back(Folder("shards") + "/shard-" + shard[0] + "-of-2.json");
  }
  const Outcome merged = Batch(shardFiles);
  ASSERT_EQ(merged.Status, kExitOk);
  EXPECT_NE(merged.Err.find("died out in 12 of 12 runs"), std::string::npos) << merged.Err;
  EXPECT_NE(ReadBytes(Folder("merged") + "/run.json").find("\"extinct_runs\": 12"),
            std::string::npos);

  ASSERT_EQ(Batch({"single", "--set", "maxgen=10", "--out", Folder("lives")}).Status, kExitOk);
  EXPECT_NE(ReadBytes(Folder("lives") + "/run.json").find("\"extinct_at_generation\": null"),
            std::string::npos);
  const Outcome living = Batch(SmallNSweep(Folder("living"), "5"));
  ASSERT_EQ(living.Status, kExitOk);
  EXPECT_EQ(living.Err, "");
  EXPECT_NE(ReadBytes(Folder("living") + "/run.json").find("\"extinct_runs\": 0"),
            std::string::npos);
}

TEST_F(BatchCommandTest, AStopEndsEveryModeWithWholeFilesOrNone) {
  std::vector<std::string> args = SmallNSweep(Folder("stopped"), "3");
  args[7] = "iterations=2000";
  const Outcome result = Batch(args, true);
  EXPECT_EQ(result.Status, kExitInterrupted);
  bool wellFormed = false;
  const std::vector<std::string> lines =
      ReadLines(ReportFilePath(Folder("stopped"), 2), &wellFormed);
  EXPECT_TRUE(wellFormed);
  EXPECT_LT(lines.size(), 2u * 2002);
  const std::string stopped = ReadBytes(Folder("stopped") + "/run.json");
  EXPECT_NE(stopped.find("\"interrupted\""), std::string::npos);
  // run.json counts the runs whose rows were written, no more.
  const size_t rows = ReadLines(Folder("stopped") + "/runs.csv").size() - 1;
  EXPECT_NE(stopped.find("\"completed\": " + std::to_string(rows) + "\n"), std::string::npos)
      << stopped;

  // A single run ends after the generation in progress.
  const Outcome single =
      Batch({"single-finite", "--set", "maxgen=10000", "--out", Folder("single")}, true);
  EXPECT_EQ(single.Status, kExitInterrupted);
  const std::string json = ReadBytes(Folder("single") + "/run.json");
  EXPECT_NE(json.find("\"interrupted\""), std::string::npos);
  EXPECT_NE(json.find("\"generations\": 1,"), std::string::npos) << json;

  // A stopped shard writes no shard file at all.
  std::vector<std::string> shard = SmallNSweep(Folder("shard"), "3");
  shard[7] = "iterations=2000";
  shard.insert(shard.end(), {"--shard", "1/2"});
  EXPECT_EQ(Batch(shard, true).Status, kExitInterrupted);
  EXPECT_TRUE(std::filesystem::is_empty(Folder("shard")));
}

// A study of two varied parameters over a finite population.
std::vector<std::string> SmallStudy(const std::string& out, const std::string& seed) {
  return {"study",   "--vary", "log10n=1.5,2", "--vary", "z=0,1", "--replicates", "4", "--set",
          "demes=2", "--set",  "maxgen=30",    "--seed", seed,    "--out",        out, "--quiet"};
}

TEST_F(BatchCommandTest, TheSweepsRunAsStudiesWithTheirOutcomesInTheTables) {
  const std::vector<std::string> sk = {"--set",        "maxgen=12", "--set",
                                       "inversion=on", "--set",     "inversion-period=10"};
  std::vector<std::string> sweep = {"sk-sweep", "--out", Folder("sk")};
  std::vector<std::string> study = {"study",          "--vary", "S=0.01:0.2:0.01", "--vary",
                                    "K=0.8:1.2:0.01", "--out",  Folder("study")};
  sweep.insert(sweep.end(), sk.begin(), sk.end());
  study.insert(study.end(), sk.begin(), sk.end());
  ASSERT_EQ(Batch(sweep).Status, kExitOk);
  ASSERT_EQ(Batch(study).Status, kExitOk);
  EXPECT_EQ(ReadBytes(Folder("study") + "/runs.csv"), ReadBytes(Folder("sk") + "/runs.csv"));
  const std::vector<std::string> rows = ReadLines(Folder("study") + "/runs.csv");
  std::vector<std::string> reported;
  for (const std::string& line : ReadLines(ReportFilePath(Folder("sk"), 2)))
    if (line.find('\t') != std::string::npos && line[0] != 'K')
      reported.push_back(line.substr(line.find('\t') + 1));
  ASSERT_EQ(rows.size(), reported.size() + 1);
  for (size_t i = 0; i < reported.size(); ++i) {
    StudyOutcome o;
    ASSERT_TRUE(ParseRunsRow(rows[i + 1], 2, o));
    EXPECT_EQ(common::FormatNumber(o.FinalRPlus), reported[i]) << rows[i + 1];
  }

  // The N sweep's replicates are the study's over log10n with the same seed.
  ASSERT_EQ(Batch(SmallNSweep(Folder("n"), "4")).Status, kExitOk);
  ASSERT_EQ(Batch({"study", "--vary", "log10n=1.5:2:0.5", "--replicates", "6", "--set", "demes=2",
                   "--set", "maxgen=30", "--seed", "4", "--out", Folder("nstudy")})
                .Status,
            kExitOk);
  EXPECT_EQ(ReadBytes(Folder("nstudy") + "/runs.csv"), ReadBytes(Folder("n") + "/runs.csv"));
}

TEST_F(BatchCommandTest, StudyTablesAreTheSameForEveryThreadCountAndShardingAndRowsRerun) {
  std::vector<std::string> one = SmallStudy(Folder("one"), "9");
  one.insert(one.end(), {"--threads", "1"});
  std::vector<std::string> two = SmallStudy(Folder("two"), "9");
  two.insert(two.end(), {"--threads", "2", "--write-params", Folder("study.toml")});
  ASSERT_EQ(Batch(one).Status, kExitOk);
  ASSERT_EQ(Batch(two).Status, kExitOk);
  std::vector<std::string> merge = {"merge", "--out", Folder("merged")};
  for (const char* shard : {"2/3", "1/3", "3/3"}) {
    std::vector<std::string> args = SmallStudy(Folder("shards"), "9");
    args.insert(args.end(), {"--shard", shard});
    ASSERT_EQ(Batch(args).Status, kExitOk);
    merge.push_back(Folder("shards") + "/shard-" + shard[0] + "-of-3.json");
  }
  ASSERT_EQ(Batch(merge).Status, kExitOk);
  // The parameter file holds the whole study, its seed included.
  ASSERT_EQ(Batch({"study", "--params", Folder("study.toml"), "--out", Folder("file")}).Status,
            kExitOk);
  for (const char* table : {"/runs.csv", "/summary.csv"}) {
    const std::string expected = ReadBytes(Folder("one") + table);
    for (const char* other : {"two", "merged", "file"})
      EXPECT_EQ(ReadBytes(Folder(other) + table), expected) << other << table;
  }

  // A row's seed reruns its run alone.
  const std::vector<std::string> rows = ReadLines(Folder("one") + "/runs.csv");
  StudyOutcome o;
  ASSERT_TRUE(ParseRunsRow(rows[7], 2, o));  // point 2: log10n 1.5, z 1
  ASSERT_EQ(
      Batch({"single-finite", "--set", "log10n=1.5", "--set", "z=1", "--set", "demes=2", "--set",
             "maxgen=30", "--seed", std::to_string(o.Seed), "--out", Folder("rerun")})
          .Status,
      kExitOk);
  const std::string last = ReadLines(ReportFilePath(Folder("rerun"), 1)).back();
  std::vector<std::string> cells;
  for (size_t at = 0, tab; (tab = last.find('\t', at)) != std::string::npos; at = tab + 1)
    cells.push_back(last.substr(at, tab - at));
  EXPECT_EQ(cells[3], common::FormatNumber(o.FinalRPlus));
}

TEST_F(BatchCommandTest, StudyRefusalsTouchNoFileAndShardsOfAnotherStudyAreRefused) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"study", "--vary", "S=0.1,0.2", "--replicates", "3"}, "needs a finite population"},
      {{"study"}, "a study needs --vary"},
      {{"study", "--vary", "K=1,x"}, "K: 'x' is not a number"},
      {{"study", "--vary", "z=0,1", "--finite", "--shard", "1/2"}, "--shard needs --seed"},
      {{"study", "--vary", "ld=on", "--set", "ab=0.5"}, "point 1 (ld=on): the haplotype"},
      {{"study", "--vary", "S=0.1", "--vary", "K=1", "--vary", "z=0", "--plot", "a.svg"},
       "those of 3 are in summary.csv"},
  };
  for (const auto& [given, message] : cases) {
    std::vector<std::string> args = given;
    args.insert(args.end(), {"--out", Folder("refused"), "--write-params", Folder("p.toml")});
    const Outcome result = Batch(args);
    EXPECT_EQ(result.Status, kExitRefused) << result.Err;
    EXPECT_NE(result.Err.find(message), std::string::npos) << result.Err;
  }
  EXPECT_FALSE(std::filesystem::exists(Folder("refused")));
  EXPECT_FALSE(std::filesystem::exists(Folder("p.toml")));

  std::vector<std::string> merge = {"merge", "--out", Folder("refused")};
  for (const char* replicates : {"4", "5"}) {
    std::vector<std::string> args = SmallStudy(Folder(replicates), "9");
    args[6] = replicates;
    args.insert(args.end(), {"--shard", replicates[0] == '4' ? "1/2" : "2/2"});
    ASSERT_EQ(Batch(args).Status, kExitOk);
  }
  merge.insert(merge.end(),
               {Folder("4") + "/shard-1-of-2.json", Folder("5") + "/shard-2-of-2.json"});
  const Outcome refused = Batch(merge);
  EXPECT_EQ(refused.Status, kExitRefused);
  EXPECT_NE(refused.Err.find("its replicates differs"), std::string::npos) << refused.Err;
  EXPECT_FALSE(std::filesystem::exists(Folder("refused")));
}

#ifndef _WIN32
TEST_F(BatchCommandTest, AReportThatCannotBeWrittenCompletelyLeavesTheOldFiles) {
  const std::string out = Folder("full");
  ASSERT_EQ(Batch({"sk-sweep", "--out", out}).Status, kExitOk);
  const std::string report = Report(out, 2);
  const std::string provenance = ReadBytes(out + "/run.json");
  Outcome full;
  {
    common::testing::FileSizeLimit limit(4096);
    full = Batch({"sk-sweep", "--set", "u=0.002", "--out", out});
  }
  EXPECT_EQ(full.Status, kExitFailed);
  EXPECT_NE(full.Err.find("completely"), std::string::npos) << full.Err;
  EXPECT_EQ(Report(out, 2), report);
  EXPECT_EQ(ReadBytes(out + "/run.json"), provenance);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out),
                          std::filesystem::directory_iterator()),
            4);
}
#endif

}  // namespace
}  // namespace quorvel::batch
