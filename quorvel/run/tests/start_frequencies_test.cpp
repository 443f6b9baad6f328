#include <gtest/gtest.h>

#include "quorvel/run/run_core.h"
#include "quorvel/run/tests/fake_run_window.h"

namespace quorvel {
namespace {

using testing::Session;

class StartFrequencies : public ::testing::Test {
 protected:
  Session session{"unused"};
  std::array<std::string, kBoxNumbers>& entries = session.Window.Entries;
  quorvel::Model& model = session.Model;

  RunInputs Inputs() const {
    return ReadRunInputs(session.Entries(), model.AllelesNum, model.NInfinite, 0);
  }
  void SetStart() { SetStartFrequencies(model, Inputs()); }
  void UseHaplotypes(const char* ab, const char* capAb, const char* aCapB, const char* capAcapB) {
    session.State.Checks.LinkageDisequilibrium = 1;
    entries[13] = ab;
    entries[14] = capAb;
    entries[15] = aCapB;
    entries[16] = capAcapB;
  }
};

TEST_F(StartFrequencies, AlleleWayAtLinkageEquilibriumSplitByTheStartFrequencyOfRPlus) {
  entries[4] = "0.4";  // a
  entries[5] = "0.7";  // b
  entries[20] = "0.25";
  model.Freq(2, 1, 1) = 5;  // whatever an earlier run left is cleared
  model.Freq(0, 7, 3) = 5;
  EXPECT_TRUE(StartStateAccepted(Inputs()));
  SetStart();
  const double a = 0.4, b = 0.7, capA = 1 - a, capB = 1 - b;
  const double expected[5] = {0, a * b, capA * b, a * capB, capA * capB};
  for (int g = 1; g <= 4; ++g) {
    EXPECT_DOUBLE_EQ(model.Freq(0, 1, g), 0.25 * expected[g]) << g;
    EXPECT_DOUBLE_EQ(model.Freq(1, 1, g), 0.75 * expected[g]) << g;
  }
  EXPECT_EQ(model.Freq(2, 1, 1), 0);
  EXPECT_EQ(model.Freq(0, 7, 3), 0);
  EXPECT_DOUBLE_EQ(model.StartAlleleFreq[3], capA);
  EXPECT_DOUBLE_EQ(model.StartAlleleFreq[4], capB);
}

TEST_F(StartFrequencies, AllAllelesLowercaseGivesGenotypeAbOnly) {
  entries[20] = "0.3";
  SetStart();
  EXPECT_EQ(model.Freq(0, 1, 1), 0.3);
  EXPECT_EQ(model.Freq(1, 1, 1), 1 - 0.3);
  for (int g = 2; g <= 4; ++g) EXPECT_EQ(model.Freq(0, 1, g) + model.Freq(1, 1, g), 0);
}

TEST_F(StartFrequencies, ThreeLociUseTheStartFrequencyOfC) {
  session.SetLoci(3);
  entries[4] = "0.5";
  entries[5] = "1";
  entries[6] = "0.2";
  entries[20] = "0.5";
  SetStart();
  // abc = 0.5 * 1 * 0.2, abC (genotype 4) = 0.5 * 1 * 0.8, each split evenly.
  EXPECT_DOUBLE_EQ(model.Freq(0, 1, 1), 0.05);
  EXPECT_DOUBLE_EQ(model.Freq(1, 1, 4), 0.2);
  EXPECT_DOUBLE_EQ(model.Freq(0, 1, 7), 0.2);  // AbC
  EXPECT_EQ(model.Freq(0, 1, 3), 0);           // aBc needs B
}

TEST_F(StartFrequencies, EveryDemeStartsLikeDemeOne) {
  entries[4] = "0.6";
  model.Demes = 3;
  SetStart();
  for (int d = 2; d <= 3; ++d)
    for (int slot = 0; slot <= 1; ++slot)
      for (int g = 1; g <= 4; ++g) EXPECT_EQ(model.Freq(slot, d, g), model.Freq(slot, 1, g));
  EXPECT_EQ(model.Freq(0, 4, 1), 0);
}

TEST_F(StartFrequencies, HaplotypeWayTakesTheTypedFrequencies) {
  UseHaplotypes("0.3", "0.2", "0.3", "0.2");
  entries[20] = "0.5";
  EXPECT_TRUE(StartStateAccepted(Inputs()));
  SetStart();
  EXPECT_DOUBLE_EQ(model.Freq(0, 1, 1), 0.15);
  EXPECT_DOUBLE_EQ(model.Freq(1, 1, 2), 0.1);
  EXPECT_DOUBLE_EQ(model.StartAlleleFreq[1], 0.6);  // a = aB + ab
  EXPECT_DOUBLE_EQ(model.StartAlleleFreq[2], 0.5);  // b = Ab + ab
  EXPECT_DOUBLE_EQ(model.StartAlleleFreq[3], 0.4);
  EXPECT_DOUBLE_EQ(model.StartAlleleFreq[4], 0.5);
}

TEST_F(StartFrequencies, AHaplotypeTotalThatReadsOneIsAccepted) {
  // 0.7 + 0.1 + 0.1 + 0.1 is just below 1 in float64, yet it reads 1 with 15 digits, as
  // the window's Total display shows it.
  ASSERT_NE(((0.7 + 0.1) + 0.1) + 0.1, 1.0);
  UseHaplotypes("0.7", "0.1", "0.1", "0.1");
  EXPECT_TRUE(StartStateAccepted(Inputs()));
  SetStart();
  double total = 0;
  for (int slot = 0; slot <= 1; ++slot)
    for (int g = 1; g <= 4; ++g) total += model.Freq(slot, 1, g);
  EXPECT_NEAR(total, 1, 1e-15);
}

TEST_F(StartFrequencies, AHaplotypeTotalOtherThanOneIsRefusedWithTheTableEmpty) {
  UseHaplotypes("0.4", "0.2", "0.3", "0.2");
  EXPECT_FALSE(StartStateAccepted(Inputs()));
  session.Start();
  ASSERT_EQ(session.Window.Shown.size(), 1u);
  EXPECT_EQ(session.Window.Shown[0], "ab+Ab+aB+Ab frequencies <> 1!");
  for (int slot = 0; slot <= 1; ++slot)
    for (int g = 1; g <= 4; ++g) EXPECT_EQ(model.Freq(slot, 1, g), 0);
}

TEST_F(StartFrequencies, GreyedLinkageDisequilibriumAlsoUsesHaplotypes) {
  UseHaplotypes("0.25", "0.25", "0.25", "0.2");
  session.State.Checks.LinkageDisequilibrium = 2;
  EXPECT_FALSE(StartStateAccepted(Inputs()));
}

}  // namespace
}  // namespace quorvel
