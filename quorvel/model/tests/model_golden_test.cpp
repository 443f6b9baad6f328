// Bit-exactness guard: whole runs of every operator over many configurations, from fixed
// generator states, against fingerprints recorded from this model before its steps were unrolled
// for speed. Any change of the arithmetic (a different rounding, a reordered sum, a reciprocal in
// place of a division) or of the order or number of draws changes a fingerprint.
//
// Set QUORVEL_PRINT_GOLDENS=1 to print the fingerprints of the present code.
#include <gtest/gtest.h>

#include <bit>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "quorvel/model/model.h"
#include "quorvel/model/model_impl.h"

namespace quorvel {
namespace {

uint64_t Mix(uint64_t h, uint64_t word) {
  uint64_t z = (h ^ word) + 0x9e3779b97f4a7c15ull;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

uint64_t MixDouble(uint64_t h, double x) {
  return Mix(h, std::bit_cast<uint64_t>(x));
}

// Everything a generation leaves behind: every cell of the demes in use (all slots,
// genotype 0 included), the pool's allele frequencies, the last random pair and the
// generator's state.
uint64_t Fingerprint(uint64_t h, const Model& m, const UniformGenerator& gen) {
  for (int g = 0; g <= m.Demes; ++g) {
    for (int slot = 0; slot < kSlots; ++slot) {
      for (int i = 0; i <= kMaxGenotypes; ++i) h = MixDouble(h, m.Freq(slot, g, i));
    }
  }
  for (double p : m.StartAlleleFreq) h = MixDouble(h, p);
  h = MixDouble(h, m.RndSign);
  h = MixDouble(h, m.RndRound);
  h = Mix(h, m.ReuseRandom ? 1 : 0);
  for (uint32_t word : gen.CurrentState()) h = Mix(h, word);
  return h;
}

void SetParameters(Model& m, bool harsh) {
  // Mild: the program's defaults, most amounts below one individual. Harsh: negative
  // selection, rates high enough to reach the caps of the moves, strong diffusion.
  const double s = harsh ? -0.3 : 0.1, k = harsh ? 1.3 : 1;
  const double u = harsh ? 0.02 : 1e-5, w = harsh ? 0.005 : 1e-5;
  m.S = s;
  // Powers as products, so that the inputs do not depend on the platform's pow.
  m.S2 = ((1 + s) * (1 + s) - 1) * k;
  m.S3 = ((1 + s) * (1 + s) * (1 + s) - 1) * k * k;
  auto& t = m.MutationTable;
  t = {};
  t[1] = u;
  t[2] = u - u * u;
  t[3] = u * u;
  if (m.AllelesNum == 2) {
    t[4] = w;
    t[5] = w - w * w;
    t[6] = w * w;
  } else {
    t[4] = u - u * u;
    t[5] = u * u - u * u * u;
    t[6] = u * u * u;
    t[7] = w;
    t[8] = w - w * w;
    t[9] = w * w;
    t[10] = w - w * w;
    t[11] = w * w - w * w * w;
    t[12] = w * w * w;
  }
  m.Diffusion = harsh ? 0.7f : 0.1f;
}

// Start frequencies drawn from their own generator, different in every deme, with
// linkage disequilibrium; deme 2 starts empty where there is one.
void SetStart(Model& m, uint32_t seed) {
  UniformGenerator start(UniformGenerator::State{seed, 0x9e3779b9u, 0x7f4a7c15u, 0x85ebca6bu});
  m.Freq.Clear();
  for (int g = 1; g <= m.Demes; ++g) {
    if (g == 2) continue;
    for (int slot = 0; slot <= 1; ++slot) {
      for (int h = 1; h <= m.GenotypesNum; ++h) {
        const float r = start.Next();
        m.Freq(slot, g, h) = r < 0.15f ? 0.0 : r;
      }
    }
    m.NormaliseDeme(static_cast<int16_t>(g), 0);
  }
  m.StartAlleleFreq = {};
}

constexpr int16_t kLoci[] = {2, 3};
constexpr int16_t kDemes[] = {1, 2, 7, 100};
// 0 stands for N infinite; else N = 10^Log10N for Log10N = 1, 1.5, 3, 6.
constexpr double kPopulations[] = {0, 10, 31.622776601683793, 1000, 1e6};
constexpr float kZ[] = {0.0f, 0.5f, 1.0f};
constexpr int kGenerations = 200;

// One fingerprint per number of loci, demes and N, over the runs with every Z, both
// settings of "Total stochasticity" and both parameter sets, in that order.
uint64_t RunGroup(int16_t loci, int16_t demes, double n, int group) {
  uint64_t h = 0;
  int run = 0;
  for (float z : kZ) {
    for (int16_t total : {int16_t{0}, int16_t{1}}) {
      for (bool harsh : {false, true}) {
        UniformGenerator gen(UniformGenerator::State{0x12345678u + 7919u * group, 0xdeadbeefu,
                                                     0x0badf00du ^ static_cast<uint32_t>(run),
                                                     0x13579bdfu});
        Model m(gen);
        m.AllelesNum = loci;
        m.BuildGenotypeTables();
        m.Demes = demes;
        m.NInfinite = n == 0;
        m.PopulationN = n == 0 ? 1 : n;
        m.Z = z;
        m.TotalStochasticity = total;
        SetParameters(m, harsh);
        SetStart(m, 0x2545f491u + 31u * group + static_cast<uint32_t>(run));
        for (int i = 1; i <= kGenerations; ++i) {
          m.AdvanceGeneration(i, GenerationSteps{});
          h = Fingerprint(h, m, gen);
        }
        ++run;
      }
    }
  }
  return h;
}

// In the order loci, demes, N of the tables.
// The recombining pool's square comes from the platform's power function (glibc here),
// so the runs with Z above 0 are pinned to that library.
constexpr uint64_t kGoldens[] = {
    0x79975969ee92df7eull,  // 2 loci, 1 demes, N 0
    0x8b8ccd04bcf425a5ull,  // 2 loci, 1 demes, N 10
    0x782bb9119c4860c4ull,  // 2 loci, 1 demes, N 31.6228
    0x555e3ecd7ffb7608ull,  // 2 loci, 1 demes, N 1000
    0x12ed98a6f1187ae6ull,  // 2 loci, 1 demes, N 1e+06
    0xf440ce93dcd78941ull,  // 2 loci, 2 demes, N 0
    0xd8e5b88bc857ac1full,  // 2 loci, 2 demes, N 10
    0x81497b31046144e0ull,  // 2 loci, 2 demes, N 31.6228
    0xe39bc77eef408551ull,  // 2 loci, 2 demes, N 1000
    0x5f03af7328d8f89cull,  // 2 loci, 2 demes, N 1e+06
    0xf779150c3fa68e25ull,  // 2 loci, 7 demes, N 0
    0x2a779a13f021a203ull,  // 2 loci, 7 demes, N 10
    0x2c657ee2054c4095ull,  // 2 loci, 7 demes, N 31.6228
    0x5a1ac969417c4ce5ull,  // 2 loci, 7 demes, N 1000
    0x6306eb1bf08f10f8ull,  // 2 loci, 7 demes, N 1e+06
    0x06a41b7db615851eull,  // 2 loci, 100 demes, N 0
    0x4983c9a6aceea6f6ull,  // 2 loci, 100 demes, N 10
    0x0c8f2eff211e706aull,  // 2 loci, 100 demes, N 31.6228
    0x595ee396e31bef9bull,  // 2 loci, 100 demes, N 1000
    0xb539a22a68e64ba7ull,  // 2 loci, 100 demes, N 1e+06
    0x1b33fdfa91409fcbull,  // 3 loci, 1 demes, N 0
    0x0694468643c4ccb8ull,  // 3 loci, 1 demes, N 10
    0xc38b1a1048e53e4eull,  // 3 loci, 1 demes, N 31.6228
    0xe3c5774fe9769707ull,  // 3 loci, 1 demes, N 1000
    0x5151246cfb01dcd9ull,  // 3 loci, 1 demes, N 1e+06
    0x5dc717a08523380full,  // 3 loci, 2 demes, N 0
    0x183981cc62d96c2bull,  // 3 loci, 2 demes, N 10
    0x509ddc74e3be993dull,  // 3 loci, 2 demes, N 31.6228
    0x03e869bd863f3eaeull,  // 3 loci, 2 demes, N 1000
    0x7705bbf8ef811670ull,  // 3 loci, 2 demes, N 1e+06
    0xa49dc4c815dfb634ull,  // 3 loci, 7 demes, N 0
    0xbd679f39e22164fdull,  // 3 loci, 7 demes, N 10
    0x1098bbe6e2104911ull,  // 3 loci, 7 demes, N 31.6228
    0x2e07b2745c0cbae5ull,  // 3 loci, 7 demes, N 1000
    0xd3405be5fe0514abull,  // 3 loci, 7 demes, N 1e+06
    0x5a8840269b00bdaaull,  // 3 loci, 100 demes, N 0
    0x6b63fbd4273f07f2ull,  // 3 loci, 100 demes, N 10
    0x50d80dcfcdbba9fbull,  // 3 loci, 100 demes, N 31.6228
    0x05e4d692268e525cull,  // 3 loci, 100 demes, N 1000
    0xcf46278d93d7f42bull,  // 3 loci, 100 demes, N 1e+06
};

TEST(BitExactness, WholeRunsMatchTheReference) {
#ifdef __MINGW32__
  GTEST_SKIP() << "recorded with glibc's pow; MinGW-w64's rounds whole powers differently";
#endif
  const bool print = std::getenv("QUORVEL_PRINT_GOLDENS") != nullptr;
  int group = 0;
  for (int16_t loci : kLoci) {
    for (int16_t demes : kDemes) {
      for (double n : kPopulations) {
        const uint64_t h = RunGroup(loci, demes, n, group);
        if (print) {
          std::printf("    0x%016" PRIx64 "ull,  // %d loci, %d demes, N %g\n", h, loci, demes, n);
        } else {
          ASSERT_LT(group, static_cast<int>(std::size(kGoldens)));
          EXPECT_EQ(h, kGoldens[group]) << loci << " loci, " << demes << " demes, N " << n;
        }
        ++group;
      }
    }
  }
}

}  // namespace
}  // namespace quorvel
