#include "quorvel/model/model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <set>
#include <vector>

#include "quorvel/model/model_impl.h"

namespace quorvel {
namespace {

// Hands out chosen numbers in order (then 0.5), and counts every draw.
struct ScriptedGenerator {
  std::vector<float> values;
  size_t next = 0;
  int draws = 0;
  float Next() {
    ++draws;
    return next < values.size() ? values[next++] : 0.5f;
  }
};

using TestModel = BasicModel<ScriptedGenerator>;

// A model with AllelesNum loci, one deme, N infinite, on a scripted generator.
struct Fixture {
  ScriptedGenerator gen;
  TestModel m{gen};
  explicit Fixture(int16_t loci = 2) {
    m.AllelesNum = loci;
    m.BuildGenotypeTables();
  }
  void SetFinite(double log10n) {
    m.NInfinite = false;
    m.PopulationN = std::pow(10.0, log10n);
  }
  void SetMutation(double u, double w) { m.SetMutationRates(u, w); }
  void SetSelection(double s, double k) {
    m.S = s;
    m.UpdateSelection(k);
  }
};

int Uppercase(const TestModel& m, int g) {
  int n = 0;
  for (int l = 1; l <= (m.AllelesNum == 2 ? 2 : 3); ++l)
    n += m.GenotypeAlleles[g][l] > m.AllelesNum;
  return n;
}

// ---------------------------------------------------------------------------------------
// Genotype tables

// Each genotype carries, at locus l, the lowercase allele l or the uppercase l + loci; the
// genotypes are every such combination once, from all lowercase (1) to all uppercase, and
// with two loci they run ab, Ab, aB, AB.
TEST(GenotypeTables, EveryCombinationOfAllelesOnce) {
  for (int16_t loci : {int16_t{2}, int16_t{3}}) {
    Fixture f(loci);
    const TestModel& m = f.m;
    EXPECT_EQ(m.AllelesTotal, 2 * loci);
    ASSERT_EQ(m.GenotypesNum, 1 << loci);
    std::set<int> combinations;
    for (int g = 1; g <= m.GenotypesNum; ++g) {
      int uppercase = 0;
      for (int l = 1; l <= loci; ++l) {
        const int allele = m.GenotypeAlleles[g][l];
        ASSERT_TRUE(allele == l || allele == l + loci) << g << " " << l;
        if (allele > loci) uppercase |= 1 << (l - 1);
      }
      combinations.insert(uppercase);
    }
    EXPECT_EQ(static_cast<int>(combinations.size()), m.GenotypesNum);
    EXPECT_EQ(Uppercase(m, 1), 0);
    EXPECT_EQ(Uppercase(m, m.GenotypesNum), loci);
  }
  Fixture two(2);
  EXPECT_EQ(two.m.GenotypeAlleles[2][1], 3);  // Ab
  EXPECT_EQ(two.m.GenotypeAlleles[3][2], 4);  // aB
}

TEST(GenotypeTables, ThreeLociSpotChecksAndSwitchBack) {
  Fixture f(3);
  TestModel& m = f.m;
  EXPECT_EQ(m.AllelesTotal, 6);
  EXPECT_EQ(m.GenotypesNum, 8);
  EXPECT_EQ(m.MutationPathsNum, 38);
  // AbC = 4, 2, 6; carriers of c = 1, 2, 3, 5; row 19 abc to ABC class 6; row 38 class 12.
  EXPECT_EQ(m.GenotypeAlleles[7][1], 4);
  EXPECT_EQ(m.GenotypeAlleles[7][2], 2);
  EXPECT_EQ(m.GenotypeAlleles[7][3], 6);
  EXPECT_EQ(m.AlleleCarriers[3][1], 1);
  EXPECT_EQ(m.AlleleCarriers[3][4], 5);
  EXPECT_EQ(m.MutationPaths[19][1], 1);
  EXPECT_EQ(m.MutationPaths[19][2], 8);
  EXPECT_EQ(m.MutationPaths[19][3], 6);
  EXPECT_EQ(m.MutationPaths[38][3], 12);

  m.AllelesNum = 2;
  m.BuildGenotypeTables();
  EXPECT_EQ(m.GenotypesNum, 4);
  EXPECT_EQ(m.MutationPathsNum, 10);
  EXPECT_EQ(m.MutationPaths[1][1], 2);    // rewritten
  EXPECT_EQ(m.MutationPaths[38][3], 12);  // left from three loci, beyond the count
}

// The tables must agree with the rules they encode: carriers from the alleles, and every
// path's class from its direction, the loci that mutate and the unchanged same-case loci.
TEST(GenotypeTables, CarriersAndPathClassesFollowTheirRules) {
  for (int16_t loci : {int16_t{2}, int16_t{3}}) {
    Fixture f(loci);
    const TestModel& m = f.m;
    for (int a = 1; a <= m.AllelesTotal; ++a) {
      std::vector<int> expected;
      for (int g = 1; g <= m.GenotypesNum; ++g) {
        for (int l = 1; l <= loci; ++l) {
          if (m.GenotypeAlleles[g][l] == a) expected.push_back(g);
        }
      }
      ASSERT_EQ(static_cast<int>(expected.size()), m.GenotypesNum / 2);
      for (size_t c = 0; c < expected.size(); ++c)
        EXPECT_EQ(m.AlleleCarriers[a][c + 1], expected[c]);
    }
    // Class by (forward?, mutating loci, unchanged same-case loci).
    auto classOf = [&](bool forward, int mutating, int same) {
      if (loci == 2) {
        const int base = forward ? 0 : 3;
        return base + (mutating == 2 ? 3 : (same == 0 ? 1 : 2));
      }
      const int base = forward ? 0 : 6;
      if (mutating == 3) return base + 6;
      if (mutating == 2) return base + (same == 0 ? 3 : 5);
      return base + (same == 0 ? 1 : (same == 1 ? 2 : 4));
    };
    int pairs = 0;
    for (int from = 1; from <= m.GenotypesNum; ++from) {
      for (int to = 1; to <= m.GenotypesNum; ++to) {
        int up = 0, down = 0, sameUnchanged[2] = {0, 0};
        for (int l = 1; l <= loci; ++l) {
          const bool fromUpper = m.GenotypeAlleles[from][l] > loci;
          const bool toUpper = m.GenotypeAlleles[to][l] > loci;
          if (!fromUpper && toUpper) ++up;
          if (fromUpper && !toUpper) ++down;
          if (fromUpper == toUpper) ++sameUnchanged[fromUpper ? 1 : 0];
        }
        if (up + down == 0 || (up > 0 && down > 0)) continue;
        ++pairs;
        const bool forward = up > 0;
        const int expectedClass = classOf(forward, up + down, sameUnchanged[forward ? 0 : 1]);
        int found = 0;
        for (int p = 1; p <= m.MutationPathsNum; ++p) {
          if (m.MutationPaths[p][1] == from && m.MutationPaths[p][2] == to) {
            ++found;
            EXPECT_EQ(m.MutationPaths[p][3], expectedClass) << from << "->" << to;
          }
        }
        EXPECT_EQ(found, 1) << from << "->" << to;
      }
    }
    EXPECT_EQ(pairs, m.MutationPathsNum);
    for (int g = 1; g <= m.GenotypesNum; ++g) EXPECT_EQ(m.UppercaseCount[g], Uppercase(m, g));
  }
}

// ---------------------------------------------------------------------------------------
// Shared operations

TEST(SharedOperations, AlleleFrequencyAndEquilibrium) {
  Fixture two(2);
  two.m.Freq(0, 5, 2) = 0.125;
  two.m.Freq(0, 5, 4) = 0.25;
  two.m.Freq(0, 5, 3) = 0.5;
  EXPECT_EQ(two.m.AlleleFrequency(0, 5, 3), 0.375);  // A = Ab + AB

  Fixture three(3);
  TestModel& m = three.m;
  const double p1 = 0.1, p2 = 0.3, p3 = 0.7;  // alleles of AbC: A = 4, b = 2, C = 6
  m.StartAlleleFreq[4] = p1;
  m.StartAlleleFreq[2] = p2;
  m.StartAlleleFreq[6] = p3;
  EXPECT_DOUBLE_EQ(m.EquilibriumFrequency(7, 0.5, false), 2 * p1 * p2 * p3);
  EXPECT_DOUBLE_EQ(m.EquilibriumFrequency(7, 0.5, true), 8 * p1 * p2 * p3);
  EXPECT_EQ(m.EquilibriumFrequency(7, 0.5, false), ((p2 * p1) * p3) / 0.5);
  EXPECT_EQ(two.m.EquilibriumFrequency(1, 0.5, true), 0.0);
  two.m.StartAlleleFreq[1] = 0.25;
  two.m.StartAlleleFreq[2] = 0.5;
  EXPECT_EQ(two.m.EquilibriumFrequency(1, 0.5, true), 0.5);
  EXPECT_EQ(two.m.EquilibriumFrequency(1, 0.5, false), 0.125);
}

TEST(SharedOperations, NormaliseDeme) {
  Fixture f(2);
  TestModel& m = f.m;
  // Negatives go to 0 even when the remaining sum is exactly 1; then nothing is divided.
  const double a[4] = {0.5, -0.25, 0.25, 0.125}, b[4] = {0.125, 0, -1e-9, 0};
  for (int h = 1; h <= 4; ++h) {
    m.Freq(0, 2, h) = a[h - 1];
    m.Freq(1, 2, h) = b[h - 1];
  }
  m.NormaliseDeme(2, 0);
  EXPECT_EQ(m.Freq(0, 2, 2), 0.0);
  EXPECT_EQ(m.Freq(1, 2, 3), 0.0);
  EXPECT_EQ(m.Freq(0, 2, 1), 0.5);
  EXPECT_EQ(m.Freq(1, 2, 1), 0.125);

  // A deme summing to 0.5 is doubled; slot 2 and other demes are untouched.
  for (int h = 1; h <= 4; ++h) {
    m.Freq(0, 3, h) = 0.0625 * h / 2.5;
    m.Freq(1, 3, h) = 0.0625 * (5 - h) / 2.5;
    m.Freq(2, 3, h) = 7;
  }
  m.NormaliseDeme(3, 0);
  EXPECT_DOUBLE_EQ(m.Freq(0, 3, 4), 0.2);
  EXPECT_DOUBLE_EQ(m.Freq(1, 3, 4), 0.05);
  EXPECT_EQ(m.Freq(2, 3, 1), 7.0);

  // The mean slots are one pair.
  m.Freq(3, 1, 1) = 1;
  m.Freq(4, 1, 2) = 3;
  m.NormaliseDeme(1, 3);
  EXPECT_EQ(m.Freq(3, 1, 1), 0.25);
  EXPECT_EQ(m.Freq(4, 1, 2), 0.75);

  // An empty deme (and one whose values are all cut to 0) stays empty: no NaN.
  m.Freq(0, 4, 1) = -0.5;
  m.Freq(1, 4, 3) = std::nan("");
  m.NormaliseDeme(4, 0);
  for (int s = 0; s <= 1; ++s) {
    for (int h = 1; h <= 4; ++h) EXPECT_EQ(m.Freq(s, 4, h), 0.0);
  }
}

// ---------------------------------------------------------------------------------------
// Sampling

TEST(SampleAmount, InfiniteNReturnsTheAmountWithoutDrawing) {
  Fixture f;
  for (double x : {0.3, -0.3, 0.0, 2.5, 1e-300}) EXPECT_EQ(f.m.SampleAmount(x), x);
  EXPECT_EQ(f.gen.draws, 0);
}

TEST(SampleAmount, ChosenRandomNumbers) {
  Fixture f;
  f.SetFinite(2);
  auto sample = [&](double x, float sign, float round) {
    f.gen.values = {sign, round};
    f.gen.next = 0;
    f.gen.draws = 0;
    const double r = f.m.SampleAmount(x);
    EXPECT_EQ(f.gen.draws, 2);
    EXPECT_EQ(f.m.RndSign, sign);
    EXPECT_EQ(f.m.RndRound, round);
    return r;
  };
  const double low = 30 - std::sqrt(21.0), high = 30 + std::sqrt(21.0);
  const float lowFrac = static_cast<float>(low - std::floor(low));     // about 0.417
  const float highFrac = static_cast<float>(high - std::floor(high));  // about 0.583
  EXPECT_EQ(sample(0.3, 0.49f, 0.99f), 0.25);
  EXPECT_EQ(sample(0.3, 0.0f, lowFrac - 0.01f), 0.26);
  EXPECT_EQ(sample(0.3, 0.5f, 0.99f), 0.34);
  EXPECT_EQ(sample(0.3, 0.9f, highFrac - 0.01f), 0.35);
  EXPECT_EQ(sample(0.3, 0.9f, highFrac + 0.01f), 0.34);
  EXPECT_EQ(sample(-0.3, 0.49f, 0.99f), -0.25);  // the magnitude is sampled, the sign kept
  // At most one individual: 1/N with probability m, the sign number plays no part.
  EXPECT_EQ(sample(0.004, 0.1f, 0.39f), 0.01);
  EXPECT_EQ(sample(0.004, 0.9f, 0.41f), 0.0);
  EXPECT_EQ(sample(0.0, 0.2f, 0.0f), 0.0);  // still two numbers drawn
  // Above 1: x·N/N, no deviation, no rounding.
  EXPECT_EQ(sample(13.72, 0.0f, 0.0f), 13.72 * 100 / 100);
  EXPECT_EQ(sample(1.0, 0.0f, 0.0f), 1.0);  // N whole: sd = 0

  // N not whole: counts stay whole.
  f.SetFinite(1.5);
  const double n = f.m.PopulationN;
  EXPECT_EQ(sample(1.0, 0.3f, 0.99f), 31 / n);
  EXPECT_EQ(sample(1.0, 0.7f, 0.5f), 32 / n);
  EXPECT_EQ(sample(1.7, 0.0f, 0.0f), (1.7 * n) / n);
  const double r = sample(0.37, 0.2f, 0.3f);
  EXPECT_EQ(r * n, std::round(r * n));
}

TEST(SampleAmount, ReuseKeepsThePair) {
  Fixture f;
  f.SetFinite(2);
  f.gen.values = {0.1f, 0.2f};
  f.m.SampleAmount(0.3);
  f.m.ReuseRandom = true;
  f.m.SampleAmount(0.5);
  EXPECT_EQ(f.gen.draws, 2);
  EXPECT_EQ(f.m.RndSign, 0.1f);
  EXPECT_EQ(f.m.RndRound, 0.2f);
}

// ---------------------------------------------------------------------------------------
// Operators

// Fills every deme with the same positive state summing to 1.
void FillDemes(TestModel& m, int16_t demes) {
  m.Demes = demes;
  for (int g = 1; g <= demes; ++g) {
    double total = 0;
    for (int s = 0; s <= 1; ++s) {
      for (int h = 1; h <= m.GenotypesNum; ++h) total += m.Freq(s, g, h) = 1.0 + h + 3 * s;
    }
    for (int s = 0; s <= 1; ++s) {
      for (int h = 1; h <= m.GenotypesNum; ++h) m.Freq(s, g, h) /= total;
    }
  }
}

TEST(Operators, DrawCountsPerStep) {
  for (int16_t loci : {int16_t{2}, int16_t{3}}) {
    Fixture f(loci);
    TestModel& m = f.m;
    const int G = m.GenotypesNum, P = m.MutationPathsNum;
    f.SetFinite(3);
    f.SetSelection(0.1, 1.2);
    f.SetMutation(1e-3, 1e-3);
    FillDemes(m, 3);
    auto count = [&](auto step) {
      f.gen.draws = 0;
      step();
      return f.gen.draws;
    };
    EXPECT_EQ(count([&] { m.DriftStep(); }), 3 * 2 * G * 2);
    EXPECT_EQ(count([&] { m.SelectionStep(); }), 3 * 2 * (G - 1) * 2);
    m.TotalStochasticity = 0;
    EXPECT_EQ(count([&] { m.MutationStep(); }), 3 * P * 2);
    EXPECT_FALSE(m.ReuseRandom);
    for (int16_t box : {int16_t{1}, int16_t{2}}) {
      m.TotalStochasticity = box;
      EXPECT_EQ(count([&] { m.MutationStep(); }), 3 * P * 4);
    }
    m.Diffusion = 0.3f;
    EXPECT_EQ(count([&] { m.DiffusionStep(); }), 2 * G * 3 * 2);
    m.Z = 0;
    EXPECT_EQ(count([&] { m.RecombinationStep(); }), 3 * G * 2);
    m.Z = 0.5f;
    EXPECT_EQ(count([&] { m.RecombinationStep(); }), 3 * 2 * G * 2);

    // One deme: diffusion consumes nothing and changes nothing, mean slots included.
    m.Demes = 1;
    m.Freq(3, 1, 1) = 42;
    const TestModel before = m;
    EXPECT_EQ(count([&] { m.DiffusionStep(); }), 0);
    EXPECT_EQ(std::memcmp(&before.Freq, &m.Freq, sizeof m.Freq), 0);
  }
}

TEST(Operators, RecombinationHalvesTheDisequilibrium) {
  Fixture f(2);
  TestModel& m = f.m;
  m.Freq(0, 1, 1) = 0.25;
  m.Freq(0, 1, 4) = 0.25;
  m.Freq(1, 1, 2) = 0.3;
  m.Freq(1, 1, 3) = 0.2;
  m.RecombinationStep();
  EXPECT_EQ(m.Freq(0, 1, 1), 0.1875);
  EXPECT_EQ(m.Freq(0, 1, 4), 0.1875);
  EXPECT_EQ(m.Freq(0, 1, 2), 0.0625);
  EXPECT_EQ(m.Freq(0, 1, 3), 0.0625);
  EXPECT_EQ(m.Freq(1, 1, 2), 0.3);  // R- does not recombine with Z = 0
  EXPECT_EQ(m.Freq(1, 1, 1), 0.0);
  EXPECT_EQ(m.StartAlleleFreq[1], 0.25);

  // No R+ carriers: nothing moves.
  m.Freq(0, 2, 1) = 0;
  m.Freq(1, 2, 1) = 0.5;
  m.Freq(1, 2, 4) = 0.5;
  m.Demes = 2;
  m.RecombinationStep();
  EXPECT_EQ(m.Freq(1, 2, 1), 0.5);
  EXPECT_EQ(m.Freq(1, 2, 2), 0.0);
}

TEST(Operators, RecombinationWithZLeavesEquilibriumAndSharesThePool) {
  for (int16_t loci : {int16_t{2}, int16_t{3}}) {
    Fixture f(loci);
    TestModel& m = f.m;
    // Linkage equilibrium in both parts with the same allele frequencies.
    const double p[4] = {0, 0.2, 0.6, 0.7};  // uppercase frequency per locus
    for (int h = 1; h <= m.GenotypesNum; ++h) {
      double e = 1;
      for (int l = 1; l <= loci; ++l) {
        e *= m.GenotypeAlleles[h][l] > loci ? p[l] : 1 - p[l];
      }
      m.Freq(0, 1, h) = 0.4 * e;
      m.Freq(1, 1, h) = 0.6 * e;
    }
    m.Z = 1;
    m.RecombinationStep();
    double e1 = 1;
    for (int l = 1; l <= loci; ++l) e1 *= 1 - p[l];
    EXPECT_NEAR(m.Freq(0, 1, 1), 0.4 * e1, 1e-15);
    EXPECT_NEAR(m.Freq(1, 1, 1), 0.6 * e1, 1e-15);
    EXPECT_NEAR(m.Freq(2, 1, 1), 0.6 * e1, 1e-15);  // the scratch holds Z·slot 1
  }
  // Z = 1, R+ all ab and R- all AB: one pool, both parts halfway to its equilibrium.
  Fixture f(2);
  TestModel& m = f.m;
  m.Freq(0, 1, 1) = 0.5;
  m.Freq(1, 1, 4) = 0.5;
  m.Z = 1;
  m.RecombinationStep();
  EXPECT_DOUBLE_EQ(m.Freq(0, 1, 1), 0.25 + 0.0625);
  EXPECT_DOUBLE_EQ(m.Freq(0, 1, 2), 0.0625);
  EXPECT_DOUBLE_EQ(m.Freq(1, 1, 4), 0.25 + 0.0625);
  EXPECT_DOUBLE_EQ(m.Freq(1, 1, 3), 0.0625);
}

TEST(Operators, SelectionScalesByUppercaseCount) {
  Fixture f(2);
  TestModel& m = f.m;
  f.SetSelection(0.1, 1);
  FillDemes(m, 1);
  const TestModel before = m;
  m.SelectionStep();
  for (int s = 0; s <= 1; ++s) {
    EXPECT_NEAR(m.Freq(s, 1, 4) / m.Freq(s, 1, 1),
                1.21 * before.Freq(s, 1, 4) / before.Freq(s, 1, 1), 1e-12);
    EXPECT_NEAR(m.Freq(s, 1, 2) / m.Freq(s, 1, 1),
                1.1 * before.Freq(s, 1, 2) / before.Freq(s, 1, 1), 1e-12);
  }
}

TEST(Operators, MutationAlongPathsOnly) {
  for (int16_t loci : {int16_t{2}, int16_t{3}}) {
    for (int source = 1; source <= (loci == 2 ? 4 : 8); ++source) {
      Fixture f(loci);
      TestModel& m = f.m;
      f.SetMutation(0.01, 0.02);
      m.Freq(0, 1, source) = 0.5;
      m.Freq(1, 1, source) = 0.5;
      m.MutationStep();
      for (int to = 1; to <= m.GenotypesNum; ++to) {
        bool up = false, down = false;
        for (int l = 1; l <= loci; ++l) {
          const bool a = m.GenotypeAlleles[source][l] > loci, b = m.GenotypeAlleles[to][l] > loci;
          up |= !a && b;
          down |= a && !b;
        }
        if (up && down) {
          EXPECT_EQ(m.Freq(0, 1, to), 0.0) << source << "->" << to;
        } else {
          EXPECT_GT(m.Freq(0, 1, to), 0.0) << source << "->" << to;
        }
      }
    }
  }
  // Ab loses Ab·(u + w) in one generation.
  Fixture f(2);
  f.SetMutation(0.01, 0.02);
  f.m.Freq(0, 1, 2) = 0.5;
  f.m.Freq(1, 1, 1) = 0.5;
  f.m.MutationStep();
  EXPECT_NEAR(f.m.Freq(0, 1, 2), 0.5 * (1 - 0.03), 1e-15);
}

TEST(Operators, MutationCapsAtOneAndZero) {
  Fixture f(2);
  TestModel& m = f.m;
  f.SetMutation(0.1, 0);
  m.Freq(0, 1, 2) = 1;     // Ab
  m.Freq(0, 1, 4) = 0.95;  // AB: receives 0.1 from Ab, stops at 1
  m.MutationStep();
  EXPECT_DOUBLE_EQ(m.Freq(0, 1, 4), 1 / 1.9);
  EXPECT_DOUBLE_EQ(m.Freq(0, 1, 2), 0.9 / 1.9);
}

TEST(Operators, MutationReusesTheRPlusPairUnlessTotalStochasticity) {
  for (int16_t box : {int16_t{0}, int16_t{1}}) {
    UniformGenerator gen;
    Model m(gen);
    m.NInfinite = false;
    m.PopulationN = 1e3;
    m.TotalStochasticity = box;
    for (int c = 1; c <= 6; ++c) m.MutationTable[c] = 0.05;
    for (int h = 1; h <= 4; ++h) m.Freq(0, 1, h) = m.Freq(1, 1, h) = 0.125;
    m.MutationStep();
    int equal = 0;
    for (int h = 1; h <= 4; ++h) equal += m.Freq(0, 1, h) == m.Freq(1, 1, h);
    if (box == 0) {
      EXPECT_EQ(equal, 4);  // same sign and same rounding threshold for R+ and R-
    } else {
      EXPECT_LT(equal, 4);
    }
    EXPECT_FALSE(m.ReuseRandom);
  }
}

TEST(Operators, EmptiedDemeStaysEmptyThroughEveryOperator) {
  for (bool infinite : {true, false}) {
    for (float z : {0.0f, 0.5f}) {
      Fixture f(2);
      TestModel& m = f.m;
      if (!infinite) f.SetFinite(6);
      f.SetSelection(-1, 1.4);  // S2 = -1.4: AB is wiped out at once
      f.SetMutation(1e-5, 1e-5);
      m.Z = z;
      m.Freq(0, 1, 4) = 0.5;
      m.Freq(1, 1, 4) = 0.5;
      for (int gen = 0; gen < 5; ++gen) {
        m.AdvanceGeneration(gen + 1, GenerationSteps{});
        // The scratch slot is rewritten from the emptied slot 1 from the next generation on.
        for (int s = 0; s <= (gen == 0 ? 1 : 2); ++s) {
          for (int h = 1; h <= 4; ++h) ASSERT_EQ(m.Freq(s, 1, h), 0.0);
        }
      }
    }
  }
}

// Many random parameter sets, within and at their bounds, through every operator.
TEST(Operators, PropertyFrequenciesStayValid) {
  std::mt19937_64 rng(12345);
  auto uniform = [&](double lo, double hi) {
    const int pick = static_cast<int>(rng() % 8);
    if (pick == 0) return lo;  // at the bounds now and then
    if (pick == 1) return hi;
    return std::uniform_real_distribution<double>(lo, hi)(rng);
  };
  int demesChecked = 0, emptyDemes = 0;
  for (int run = 0; run < 300; ++run) {
    UniformGenerator gen;
    gen.Reseed(static_cast<float>(run));
    Model m(gen);
    m.AllelesNum = (run % 2 == 0) ? 2 : 3;
    m.BuildGenotypeTables();
    const int pickDemes = static_cast<int>(rng() % 4);
    m.Demes = static_cast<int16_t>(pickDemes == 0 ? 1 : pickDemes == 1 ? 100 : 1 + rng() % 100);
    m.Diffusion = static_cast<float>(uniform(0, 1));
    m.Z = static_cast<float>(uniform(0, 1));
    m.NInfinite = rng() % 3 == 0;
    m.PopulationN = std::pow(10.0, std::round(uniform(1, 20) * 2) / 2);
    m.TotalStochasticity = static_cast<int16_t>(rng() % 3);
    // Now and then the harshest selection on a start without genotype 1: the demes die out.
    const bool wipeOut = rng() % 6 == 0;
    const double s = wipeOut ? -1 : uniform(-1, 1), k = wipeOut ? 1.4 : uniform(0.6, 1.4);
    m.S = s;
    m.UpdateSelection(k);
    // Rates far above their bounds now and then, to drive the moves into their caps.
    const double maxRate = rng() % 5 == 0 ? 0.3 : 1e-4;
    const double u = uniform(1e-10, maxRate), w = uniform(1e-10, maxRate);
    m.SetMutationRates(u, w);
    // Start: random genotypes, some absent, identical in every deme.
    double total = 0;
    for (int sl = 0; sl <= 1; ++sl) {
      for (int h = 1; h <= m.GenotypesNum; ++h) {
        const bool absent = wipeOut ? h != m.GenotypesNum : rng() % 3 == 0;
        total += m.Freq(sl, 1, h) = absent ? 0.0 : uniform(0, 1);
      }
    }
    if (total == 0) m.Freq(0, 1, m.GenotypesNum) = total = 1;
    for (int g = 1; g <= m.Demes; ++g) {
      for (int sl = 0; sl <= 1; ++sl) {
        for (int h = 1; h <= m.GenotypesNum; ++h) m.Freq(sl, g, h) = m.Freq(sl, 1, h) / total;
      }
    }
    const bool recombine = rng() % 4 != 0, drift = rng() % 2 == 0;
    const int generations = m.Demes > 20 ? 3 : 25;
    GenerationSteps steps;
    steps.Recombination = recombine;
    steps.Drift = drift;
    for (int generation = 1; generation <= generations; ++generation) {
      m.AdvanceGeneration(generation, steps);
      for (int g = 1; g <= m.Demes; ++g) {
        double sum = 0;
        for (int sl = 0; sl <= 1; ++sl) {
          for (int h = 1; h <= m.GenotypesNum; ++h) {
            const double x = m.Freq(sl, g, h);
            ASSERT_TRUE(x >= 0 && x <= 1) << "run " << run << " deme " << g << " value " << x;
            sum += x;
          }
        }
        ASSERT_TRUE(sum == 0 || std::abs(sum - 1) < 1e-12) << "run " << run << " sum " << sum;
        ++demesChecked;
        emptyDemes += sum == 0;
      }
      if (m.Demes > 1) {
        double mean = 0;
        for (int sl = 3; sl <= 4; ++sl) {
          for (int h = 1; h <= m.GenotypesNum; ++h) mean += m.Freq(sl, 1, h);
        }
        ASSERT_TRUE(mean == 0 || std::abs(mean - 1) < 1e-12);
      }
    }
  }
  EXPECT_GT(demesChecked, 1000);
  EXPECT_GT(emptyDemes, 0);
  RecordProperty("EmptyDemes", emptyDemes);
}

TEST(Operators, DiffusionMixesWithTheMeanTakenBeforehand) {
  Fixture f(2);
  TestModel& m = f.m;
  m.Demes = 2;
  m.Diffusion = 1;
  m.Freq(0, 1, 1) = 0.8;
  m.Freq(1, 1, 2) = 0.2;
  m.Freq(0, 2, 1) = 0.4;
  m.Freq(1, 2, 2) = 0.6;
  m.DiffusionStep();
  EXPECT_DOUBLE_EQ(m.Freq(0, 1, 1), 0.75 * 0.8 + 0.25 * 0.4);
  EXPECT_DOUBLE_EQ(m.Freq(0, 2, 1), 0.75 * 0.4 + 0.25 * 0.8);
  EXPECT_DOUBLE_EQ(m.Freq(3, 1, 1), 0.6);
  EXPECT_DOUBLE_EQ(m.Freq(4, 1, 2), 0.4);

  // Diffusion 0 with N finite: demes unchanged, numbers still drawn, means written.
  f.SetFinite(4);
  m.Diffusion = 0;
  const TestModel before = m;
  f.gen.draws = 0;
  m.DiffusionStep();
  EXPECT_EQ(f.gen.draws, 2 * 4 * 2 * 2);
  for (int g = 1; g <= 2; ++g) {
    for (int s = 0; s <= 1; ++s) {
      for (int h = 1; h <= 4; ++h) EXPECT_EQ(m.Freq(s, g, h), before.Freq(s, g, h));
    }
  }
  EXPECT_DOUBLE_EQ(m.Freq(3, 1, 1), 0.5 * (before.Freq(0, 1, 1) + before.Freq(0, 2, 1)));
}

}  // namespace
}  // namespace quorvel
