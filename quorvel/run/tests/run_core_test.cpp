#include "quorvel/run/run_core.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace quorvel {
namespace {

struct Recorder : RunSink {
  void Generation(const GenerationRow& row) override { Rows.push_back(row); }
  std::vector<GenerationRow> Rows;
};

// Finite populations with drift in several demes: every generation draws.
RunInputs DriftingRun(int16_t loci, float log10N) {
  ParameterSet set = StartUpParameterSet(MakeParameterTable(), "");
  set.Text(kEntryDemes) = "3";
  set.Text(kEntryMaxGen) = "100";
  set.Checks.GeneticDrift = 1;
  return ReadRunInputs(set, loci, false, log10N);
}

struct Result {
  std::vector<GenerationRow> Rows;
  RunOutcome Outcome;
  UniformGenerator Generator;
};

Result RunFrom(const RunInputs& inputs, UniformGenerator generator) {
  Result result{{}, {}, generator};
  Recorder recorder;
  result.Outcome = Run(inputs, result.Generator, recorder);
  result.Rows = std::move(recorder.Rows);
  return result;
}

TEST(RunCore, TwoRunsOnTwoThreadsMatchTheSameRunsOneAfterTheOther) {
  const RunInputs a = DriftingRun(2, 2);
  const RunInputs b = DriftingRun(3, 3.5f);
  const UniformGenerator ga({1, 2, 3, 4});
  const UniformGenerator gb({5, 6, 7, 8});
  const Result firstA = RunFrom(a, ga);
  const Result firstB = RunFrom(b, gb);

  Result parallelA, parallelB;
  std::thread other([&] { parallelA = RunFrom(a, ga); });
  parallelB = RunFrom(b, gb);
  other.join();

  ASSERT_EQ(firstA.Rows.size(), 100u);
  EXPECT_EQ(parallelA.Rows, firstA.Rows);
  EXPECT_EQ(parallelB.Rows, firstB.Rows);
  EXPECT_EQ(parallelA.Outcome, firstA.Outcome);
  EXPECT_EQ(parallelB.Outcome, firstB.Outcome);
  EXPECT_EQ(parallelA.Generator, firstA.Generator);
  EXPECT_EQ(parallelB.Generator, firstB.Generator);
  // The runs did draw, and differently.
  EXPECT_NE(firstA.Generator, ga);
  EXPECT_NE(firstA.Rows.back(), firstB.Rows.back());
}

TEST(RunCore, AGreyedBoxLeavesItsOperatorOff) {
  RunInputs greyed = DriftingRun(2, 2);
  greyed.Checks.GeneticDrift = 2;
  RunInputs off = greyed;
  off.Checks.GeneticDrift = 0;
  const UniformGenerator generator({1, 2, 3, 4});
  EXPECT_EQ(RunFrom(greyed, generator).Rows, RunFrom(off, generator).Rows);
  EXPECT_NE(RunFrom(DriftingRun(2, 2), generator).Rows, RunFrom(off, generator).Rows);
}

TEST(RunCore, TheSinkEndsTheRunAfterTheCurrentGeneration) {
  struct StopAfterFive : Recorder {
    bool StopRequested() const override { return Rows.size() >= 5; }
  } sink;
  UniformGenerator generator;
  const RunOutcome outcome = quorvel::Run(DriftingRun(2, 2), generator, sink);
  EXPECT_TRUE(outcome.Stopped);
  EXPECT_EQ(outcome.GenerationsDone, 5);
  ASSERT_EQ(sink.Rows.size(), 5u);
  EXPECT_EQ(outcome.RPlusFreq, sink.Rows.back().RPlusFreq());
}

// Deterministic runs that differ in S and K: side by side, on every path the processor
// has, each run ends as it does alone, bit for bit, in its outcome and its last row.
TEST(RunCore, RunsSideBySideEndAsTheyDoAlone) {
  struct Switches {
    int16_t loci;
    const char* z;
    CheckValue recombination;
    CheckValue drift;
  };
  for (const Switches& c : {Switches{2, "0", 1, 0}, Switches{3, "0.5", 1, 1},
                            Switches{3, "0", 0, 0}, Switches{2, "0.3", 1, 1}}) {
    std::vector<RunInputs> runs;
    for (const char* s : {"0.05", "-0.2", "0.3"}) {
      for (const char* k : {"0.8", "1.2"}) {
        ParameterSet set = StartUpParameterSet(MakeParameterTable(), "");
        set.Text(kEntryS) = s;
        set.Text(kEntryK) = k;
        set.Text(kEntryZ) = c.z;
        set.Text(kEntryMaxGen) = "150";
        set.Checks.RecombForR = c.recombination;
        set.Checks.GeneticDrift = c.drift;
        runs.push_back(ReadRunInputs(set, c.loci, true, 0));
      }
    }
    ASSERT_TRUE(RunsSideBySide(runs.front(), runs.back()));
    for (lanes::Path path : {lanes::Path::Portable, lanes::Path::Avx2, lanes::Path::Avx512}) {
      const lanes::Path before = lanes::ActivePath();
      if (!lanes::Use(path)) continue;
      UniformGenerator generator;
      Model together(generator);
      NoSink sink;
      const std::vector<RunOutcome> outcomes = RunSideBySide(together, runs, sink);
      for (size_t r = 0; r < runs.size(); ++r) {
        Model alone(generator);
        EXPECT_EQ(outcomes[r], RunIn(alone, runs[r], sink)) << lanes::Name(path) << " run " << r;
        const int16_t last = runs[r].MaxGen;
        EXPECT_EQ(MakeDemeRow(together, last, static_cast<int>(r) + 1), MakeRow(alone, last))
            << lanes::Name(path) << " run " << r;
      }
      lanes::Use(before);
    }
  }
}

TEST(RunCore, OnlyDeterministicRunsOfOneDemeThatDifferInSAndKGoSideBySide) {
  ParameterSet set = StartUpParameterSet(MakeParameterTable(), "");
  const RunInputs base = ReadRunInputs(set, 2, true, 0);
  set.Text(kEntryS) = "0.3";
  set.Text(kEntryK) = "1.2";
  EXPECT_TRUE(RunsSideBySide(base, ReadRunInputs(set, 2, true, 0)));
  set.Text(kEntryU) = "2e-5";
  EXPECT_FALSE(RunsSideBySide(base, ReadRunInputs(set, 2, true, 0)));
  EXPECT_FALSE(RunsSideBySide(ReadRunInputs(set, 2, false, 6)));  // N finite
  set.Text(kEntryDemes) = "2";
  EXPECT_FALSE(RunsSideBySide(ReadRunInputs(set, 2, true, 0)));
  set.Text(kEntryDemes) = "1";
  set.Checks.InversionOfS = 1;
  EXPECT_FALSE(RunsSideBySide(ReadRunInputs(set, 2, true, 0)));  // S changes in the run
}

}  // namespace
}  // namespace quorvel
