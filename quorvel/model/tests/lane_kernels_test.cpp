// Every vector path the processor offers gives the portable path's bits: the sampling of
// awkward amounts, and whole generations of every operator in every configuration.
#include "quorvel/model/lane_kernels.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "quorvel/model/model.h"

namespace quorvel {
namespace {

using lanes::Path;

std::vector<Path> VectorPaths() {
  std::vector<Path> paths;
  for (Path p : {Path::Avx2, Path::Avx512}) {
    if (lanes::Available(p)) paths.push_back(p);
  }
  return paths;
}

// Restores the path chosen at start-up when a test ends.
struct PathGuard {
  Path start = lanes::ActivePath();
  ~PathGuard() { lanes::Use(start); }
};

// The pairs as floats (Sample) or as the generator's words (SampleWords), on every path.
TEST(LaneKernels, SampleGivesThePortableBitsOnEveryPath) {
  const double inf = std::numeric_limits<double>::infinity();
  const double amounts[] = {0.3,       -0.3,  0.004,        0,    -0.0,  1,
                            1.0000001, 13.72, 1e-300,       5e-7, -2e-6, 0.999,
                            inf,       -inf,  std::nan(""), 0.5,  2e-3,  0.25};
  std::vector<double> x;
  std::vector<float> sign;
  std::vector<float> round;
  std::vector<uint32_t> signWords;
  std::vector<uint32_t> roundWords;
  UniformGenerator gen;
  for (int repeat = 0; repeat < 7; ++repeat) {  // odd lengths leave tails on every path
    for (double a : amounts) {
      x.push_back(a);
      signWords.push_back(gen.NextWord());
      roundWords.push_back(gen.NextWord());
      sign.push_back(UniformGenerator::Uniform(signWords.back()));
      round.push_back(UniformGenerator::Uniform(roundWords.back()));
    }
  }
  const int n = static_cast<int>(x.size());
  for (double popN : {10.0, 31.622776601683793, 1e6}) {
    std::vector<double> expected(x.size());
    lanes::PortableKernels().Sample(x.data(), sign.data(), round.data(), expected.data(), n, popN);
    std::vector<Path> paths = VectorPaths();
    paths.push_back(Path::Portable);
    for (Path path : paths) {
      PathGuard guard;
      ASSERT_TRUE(lanes::Use(path));
      std::vector<double> got(x.size());
      std::vector<double> fromWords(x.size());
      lanes::Active().Sample(x.data(), sign.data(), round.data(), got.data(), n, popN);
      lanes::Active().SampleWords(x.data(), signWords.data(), roundWords.data(), fromWords.data(),
                                  n, popN);
      for (size_t i = 0; i < x.size(); ++i) {
        EXPECT_EQ(std::bit_cast<uint64_t>(got[i]), std::bit_cast<uint64_t>(expected[i]))
            << lanes::Name(path) << " x=" << x[i] << " N=" << popN;
        EXPECT_EQ(std::bit_cast<uint64_t>(fromWords[i]), std::bit_cast<uint64_t>(expected[i]))
            << lanes::Name(path) << " words, x=" << x[i] << " N=" << popN;
      }
    }
  }
}

struct Configuration {
  int16_t loci;
  int16_t demes;
  bool infinite;
  float z;
  int16_t total;
  GenerationSteps steps;
};

void Start(Model& m, const Configuration& c) {
  m.AllelesNum = c.loci;
  m.BuildGenotypeTables();
  m.Demes = c.demes;
  m.NInfinite = c.infinite;
  m.PopulationN = 1000;
  m.Z = c.z;
  m.TotalStochasticity = c.total;
  m.Diffusion = 0.3f;
  m.S = -0.3;
  m.UpdateSelection(1.3);
  m.SetMutationRates(0.02, 0.005);
  // Different start frequencies in every deme, some cells empty and deme 2 empty, so that
  // the whole range of amounts (and the skipped pools) occurs.
  UniformGenerator start(UniformGenerator::State{7u, 11u, 13u, 17u});
  for (int g = 1; g <= m.Demes; ++g) {
    for (int slot = 0; slot <= 1; ++slot) {
      for (int h = 1; h <= m.GenotypesNum; ++h) {
        const float r = start.Next();
        m.Freq(slot, g, h) = g == 2 || r < 0.15f ? 0.0 : r;
      }
    }
    m.NormaliseDeme(static_cast<int16_t>(g), 0);
  }
}

bool SameState(const Model& a, const Model& b) {
  return std::memcmp(&a.Freq, &b.Freq, sizeof a.Freq) == 0 &&
         a.StartAlleleFreq == b.StartAlleleFreq &&
         std::bit_cast<uint64_t>(a.RndSign) == std::bit_cast<uint64_t>(b.RndSign) &&
         std::bit_cast<uint64_t>(a.RndRound) == std::bit_cast<uint64_t>(b.RndRound) &&
         *a.Random == *b.Random;
}

std::vector<Configuration> Configurations() {
  std::vector<Configuration> all;
  for (int16_t loci : {int16_t{2}, int16_t{3}}) {
    for (int16_t demes : {int16_t{1}, int16_t{7}, int16_t{100}}) {
      for (bool infinite : {true, false}) {
        for (float z : {0.0f, 0.5f}) {
          for (int16_t total : {int16_t{0}, int16_t{1}}) {
            for (int switches = 0; switches < 4; ++switches) {
              for (SSchedule schedule :
                   {SSchedule::None, SSchedule::Inversion, SSchedule::Sinusoidal}) {
                GenerationSteps steps;
                steps.Recombination = (switches & 1) != 0;
                steps.Drift = (switches & 2) != 0;
                steps.Schedule = schedule;
                steps.InversionPeriod = 3;
                steps.EnteredS = -0.3;
                steps.K = 1.3;
                all.push_back({loci, demes, infinite, z, total, steps});
              }
            }
          }
        }
      }
    }
  }
  return all;
}

TEST(LaneKernels, GenerationsMatchThePortablePathBitForBit) {
  const std::vector<Path> paths = VectorPaths();
  if (paths.empty()) GTEST_SKIP() << "this processor offers no vector path";
  PathGuard guard;
  for (Path path : paths) {
    for (const Configuration& c : Configurations()) {
      UniformGenerator portableGen;
      UniformGenerator vectorGen;
      Model portable(portableGen);
      Model vector(vectorGen);
      Start(portable, c);
      Start(vector, c);
      for (int generation = 1; generation <= 12; ++generation) {
        lanes::Use(Path::Portable);
        portable.AdvanceGeneration(generation, c.steps);
        lanes::Use(path);
        vector.AdvanceGeneration(generation, c.steps);
        ASSERT_TRUE(SameState(portable, vector))
            << lanes::Name(path) << ": " << c.loci << " loci, " << c.demes << " demes, "
            << (c.infinite ? "N infinite" : "N 1000") << ", z " << c.z << ", total " << c.total
            << ", recombination " << c.steps.Recombination << ", drift " << c.steps.Drift
            << ", schedule " << static_cast<int>(c.steps.Schedule) << ", generation " << generation;
      }
    }
  }
}

// A population of one deme goes through a whole generation in registers, its pairs drawn a
// generation ahead; operator by operator it goes through the array kernels. Both must give
// the same bits, also when the deme is empty (its pool draws nothing), when the generator
// is reseeded (the pairs drawn ahead are stale), when the operators change and when
// mutation is strong enough for its caps to act.
TEST(LaneKernels, OneDemeGenerationsMatchTheOperatorsStepByStep) {
  std::vector<Path> paths = VectorPaths();
  paths.push_back(Path::Portable);
  PathGuard guard;
  for (Path path : paths) {
    ASSERT_TRUE(lanes::Use(path));
    for (const Configuration& c : Configurations()) {
      if (c.demes != 1 || c.steps.Schedule != SSchedule::None) continue;
      for (int variant = 0; variant < 3; ++variant) {
        const bool empty = variant == 1;
        const bool strong = variant == 2;
        UniformGenerator wholeGen;
        UniformGenerator stepsGen;
        Model whole(wholeGen);
        Model steps(stepsGen);
        Start(whole, c);
        Start(steps, c);
        if (empty) whole.Freq.Clear(), steps.Freq.Clear();
        // Every path moving 0.6 of its source: sources fall below 0 before their inflows.
        if (strong) whole.MutationTable.fill(0.6), steps.MutationTable.fill(0.6);
        GenerationSteps s = c.steps;
        for (int generation = 1; generation <= 12; ++generation) {
          if (generation == 6) wholeGen.Seed(99), stepsGen.Seed(99);
          if (generation == 9) s.Drift = !s.Drift;
          whole.AdvanceGeneration(generation, s);
          if (s.Recombination) steps.RecombinationStep();
          if (s.Drift) steps.DriftStep();
          steps.SelectionStep();
          steps.MutationStep();
          ASSERT_TRUE(SameState(whole, steps))
              << lanes::Name(path) << ": " << c.loci << " loci, "
              << (c.infinite ? "N infinite" : "N 1000") << ", z " << c.z << ", total " << c.total
              << ", recombination " << s.Recombination << ", drift " << s.Drift << ", empty "
              << empty << ", strong mutation " << strong << ", generation " << generation;
        }
      }
    }
  }
}

}  // namespace
}  // namespace quorvel
