#include <gtest/gtest.h>

#include <cmath>

#include "quorvel/run/run_core.h"
#include "quorvel/run/tests/fake_run_window.h"

namespace quorvel {
namespace {

using testing::Session;

// A sink that notes the selection coefficient in use in every generation, after the
// generation's operators.
class SelectionProbe : public RunSink {
 public:
  explicit SelectionProbe(const quorvel::Model& model) : model_(model) {}
  void Generation(const GenerationRow&) override { S.push_back(model_.S); }
  std::vector<double> S;  // S[0] is generation 1

 private:
  const quorvel::Model& model_;
};

class GenerationLoop : public ::testing::Test {
 protected:
  // Reads the entries the way the Start command does, then makes one run.
  RunOutcome Run() {
    return RunIn(model, ReadRunInputs(session.Entries(), model.AllelesNum, model.NInfinite, 0),
                 probe);
  }

  Session session{"unused"};
  quorvel::Model& model = session.Model;
  RunState& state = session.State;
  SelectionProbe probe{model};
};

TEST_F(GenerationLoop, UpdateSelectionLeavesS3AloneWithTwoLoci) {
  model.S = 0.1;
  model.S3 = 42;
  model.UpdateSelection(0.9);
  EXPECT_DOUBLE_EQ(model.S2, (1.1 * 1.1 - 1) * 0.9);
  EXPECT_EQ(model.S3, 42);
  session.SetLoci(3);
  model.UpdateSelection(0.9);
  EXPECT_DOUBLE_EQ(model.S3, (1.1 * 1.1 * 1.1 - 1) * 0.81);
}

TEST_F(GenerationLoop, PrepareRunSetsNTheMutationTableAndTheEnteredValues) {
  RunInputs inputs;
  inputs.U = 1e-5;
  inputs.W = 2e-5;
  inputs.Log10N = 1.5f;
  inputs.Entered[kEntryDiffusion] = 0.25;
  model.MutationTable[9] = 7;
  PrepareRun(model, inputs);
  EXPECT_DOUBLE_EQ(model.PopulationN, std::pow(10.0, 1.5));
  EXPECT_EQ(model.Entered, inputs.Entered);
  const double u = 1e-5, w = 2e-5;
  EXPECT_EQ(model.MutationTable[1], u);
  EXPECT_EQ(model.MutationTable[2], u - u * u);
  EXPECT_EQ(model.MutationTable[3], u * u);
  EXPECT_EQ(model.MutationTable[4], w);
  EXPECT_EQ(model.MutationTable[5], w - w * w);
  EXPECT_EQ(model.MutationTable[6], w * w);
  EXPECT_EQ(model.MutationTable[9], 7);  // beyond the two-locus classes

  inputs.Loci = 3;
  PrepareRun(model, inputs);
  EXPECT_EQ(model.MutationTable[4], u - u * u);
  EXPECT_EQ(model.MutationTable[5], u * u - std::pow(u, 3));
  EXPECT_EQ(model.MutationTable[6], std::pow(u, 3));
  EXPECT_EQ(model.MutationTable[7], w);
  EXPECT_EQ(model.MutationTable[8], w - std::pow(w, 2));
  EXPECT_EQ(model.MutationTable[10], w - w * w);
  EXPECT_EQ(model.MutationTable[12], std::pow(w, 3));
}

TEST_F(GenerationLoop, InversionFlipsSAtEveryPeriodAndTheRunLeavesSAsItFoundIt) {
  state.Checks.InversionOfS = 1;
  session.Window.Entries[17] = "250";
  session.Window.Entries[12] = "100";
  Run();
  ASSERT_EQ(probe.S.size(), 250u);
  EXPECT_EQ(probe.S[0], 0.1);
  EXPECT_EQ(probe.S[98], 0.1);    // generation 99
  EXPECT_EQ(probe.S[99], -0.1);   // generation 100, before its operators
  EXPECT_EQ(probe.S[198], -0.1);  // 199
  EXPECT_EQ(probe.S[199], 0.1);   // 200
  EXPECT_EQ(probe.S[249], 0.1);
  // One inversion per run would leave -0.1; the schedule lasts only for the run.
  session.Window.Entries[17] = "150";
  Run();
  EXPECT_EQ(model.S, 0.1);
  EXPECT_DOUBLE_EQ(model.S2, (1.1 * 1.1 - 1) * 1);
}

TEST_F(GenerationLoop, AnInversionPeriodBeyondTheRunChangesNothing) {
  state.Checks.InversionOfS = 1;
  session.Window.Entries[17] = "50";
  Run();
  for (double s : probe.S) EXPECT_EQ(s, 0.1);
}

TEST_F(GenerationLoop, SinusoidalVariationStartsFromTheEnteredS) {
  state.Checks.InversionOfS = 1;
  state.Checks.SinusoidalOption = 1;
  session.Window.Entries[17] = "200";
  Run();
  ASSERT_EQ(probe.S.size(), 200u);
  EXPECT_EQ(probe.S[49], 0.1 * std::sin(0.25 * 6.28318530717958));
  EXPECT_NEAR(probe.S[49], 0.1, 1e-15);
  EXPECT_GT(probe.S[99], 0);  // 2*pi cut to 15 digits leaves sin slightly above 0
  EXPECT_LT(probe.S[99], 1e-15);
  EXPECT_NEAR(probe.S[149], -0.1, 1e-15);
  EXPECT_EQ(model.S, 0.1);
}

TEST_F(GenerationLoop, SinusoidalVariationNeedsInversionAndIgnoresAGreyedBox) {
  state.Checks.SinusoidalOption = 1;
  session.Window.Entries[17] = "60";
  Run();
  for (double s : probe.S) EXPECT_EQ(s, 0.1);
  probe.S.clear();
  state.Checks.InversionOfS = 1;
  state.Checks.SinusoidalOption = 2;
  Run();
  for (double s : probe.S) EXPECT_EQ(s, 0.1);
}

// Free recombination of R+ carriers starting from ab only: with K below 1 the sexual line
// spreads, with K above 1 it is lost, without recombination nothing tells them apart.
TEST_F(GenerationLoop, RecombinationSpreadsRPlusOnlyWithNegativeEpistasis) {
  auto outcome = [&](const char* k, CheckValue recombination) {
    session.Window.Entries[3] = k;
    state.Checks.RecombForR = recombination;
    return Run().RPlusFreq;
  };
  EXPECT_NEAR(outcome("1", 1), 0.5, 0.02);
  EXPECT_GT(outcome("0.8", 1), 0.6);
  EXPECT_LT(outcome("1.2", 1), 0.4);
  EXPECT_NEAR(outcome("0.8", 0), 0.5, 1e-12);
  session.Window.Entries[7] = "1";  // z = 1: R- recombines alike
  EXPECT_NEAR(outcome("0.8", 1), 0.5, 1e-12);
}

}  // namespace
}  // namespace quorvel
