// Definitions of the genotype model's operations. Included by model.cpp, which makes the
// program's Model, and by tests and benchmarks that run the model on another generator.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "common/power.h"
#include "quorvel/model/model.h"

// SampleAmount runs for every change of a frequency; the operators must get it inlined
// even where the compiler's size heuristics would rather call it.
#if defined(_MSC_VER)
#define QUORVEL_HOT_INLINE __forceinline
#else
#define QUORVEL_HOT_INLINE [[gnu::always_inline]] inline
#endif

namespace quorvel {

namespace model_tables {

// Alleles at loci 1..3 per genotype (row 0 unused).
inline constexpr int16_t kTwoLociAlleles[5][3] = {
    {0, 0, 0}, {1, 2, 0}, {3, 2, 0}, {1, 4, 0}, {3, 4, 0}};
inline constexpr int16_t kThreeLociAlleles[9][3] = {{0, 0, 0}, {1, 2, 3}, {4, 2, 3},
                                                    {1, 5, 3}, {1, 2, 6}, {4, 5, 3},
                                                    {1, 5, 6}, {4, 2, 6}, {4, 5, 6}};

// Carriers of each allele, ascending (row 0 unused).
inline constexpr int16_t kTwoLociCarriers[5][2] = {{0, 0}, {1, 3}, {1, 2}, {2, 4}, {3, 4}};
inline constexpr int16_t kThreeLociCarriers[7][4] = {{0, 0, 0, 0}, {1, 3, 4, 6}, {1, 2, 4, 7},
                                                     {1, 2, 3, 5}, {2, 5, 7, 8}, {3, 5, 6, 8},
                                                     {4, 6, 7, 8}};

// Mutation paths: from, to, class (row 0 unused).
inline constexpr int16_t kTwoLociPaths[11][3] = {{0, 0, 0}, {2, 4, 1}, {3, 4, 1}, {1, 2, 2},
                                                 {1, 3, 2}, {1, 4, 3}, {2, 1, 4}, {3, 1, 4},
                                                 {4, 2, 5}, {4, 3, 5}, {4, 1, 6}};
inline constexpr int16_t kThreeLociPaths[39][3] = {
    {0, 0, 0},  {5, 8, 1},  {6, 8, 1},  {7, 8, 1},  {2, 5, 2},  {2, 7, 2},  {3, 5, 2}, {3, 6, 2},
    {4, 6, 2},  {4, 7, 2},  {2, 8, 3},  {3, 8, 3},  {4, 8, 3},  {1, 2, 4},  {1, 3, 4}, {1, 4, 4},
    {1, 5, 5},  {1, 6, 5},  {1, 7, 5},  {1, 8, 6},  {2, 1, 7},  {3, 1, 7},  {4, 1, 7}, {5, 2, 8},
    {5, 3, 8},  {6, 3, 8},  {6, 4, 8},  {7, 2, 8},  {7, 4, 8},  {5, 1, 9},  {6, 1, 9}, {7, 1, 9},
    {8, 5, 10}, {8, 6, 10}, {8, 7, 10}, {8, 2, 11}, {8, 3, 11}, {8, 4, 11}, {8, 1, 12}};

}  // namespace model_tables

template <class Generator>
void BasicModel<Generator>::BuildGenotypeTables() {
  namespace t = model_tables;
  const bool two = (AllelesNum == 2);
  const int loci = two ? 2 : 3;
  AllelesTotal = two ? 4 : 6;
  GenotypesNum = two ? 4 : 8;
  MutationPathsNum = two ? 10 : 38;
  for (int g = 1; g <= GenotypesNum; ++g) {
    int16_t upper = 0;
    for (int l = 1; l <= loci; ++l) {
      const int16_t allele = two ? t::kTwoLociAlleles[g][l - 1] : t::kThreeLociAlleles[g][l - 1];
      GenotypeAlleles[g][l] = allele;
      if (allele > loci) ++upper;
    }
    UppercaseCount[g] = upper;
  }
  const int carriers = two ? 2 : 4;
  for (int a = 1; a <= AllelesTotal; ++a) {
    for (int c = 1; c <= carriers; ++c) {
      AlleleCarriers[a][c] = two ? t::kTwoLociCarriers[a][c - 1] : t::kThreeLociCarriers[a][c - 1];
    }
  }
  for (int p = 1; p <= MutationPathsNum; ++p) {
    for (int c = 1; c <= 3; ++c) {
      MutationPaths[p][c] = two ? t::kTwoLociPaths[p][c - 1] : t::kThreeLociPaths[p][c - 1];
    }
  }
}

template <class Generator>
void BasicModel<Generator>::UpdateSelection(double k) {
  S2 = (common::Power(1 + S, 2) - 1) * k;
  if (AllelesNum == 3) S3 = (common::Power(1 + S, 3) - 1) * k * k;
}

template <class Generator>
void BasicModel<Generator>::AdvanceGeneration(int generation, const GenerationSteps& steps) {
  if (steps.Schedule != SSchedule::None) {
    const double ratio = static_cast<double>(generation) / steps.InversionPeriod;
    if (steps.Schedule == SSchedule::Inversion) {
      // S changes sign at generations P, 2P, 3P, ...
      if (std::floor(ratio) == ratio) {
        S = -S;
        UpdateSelection(steps.K);
      }
    } else {
      // Period 2P, always from the entered S0, never from the S in use.
      const double h = ratio / 2;
      S = steps.EnteredS * std::sin((h - std::floor(h)) * kTwoPi15);
      UpdateSelection(steps.K);
    }
  }
  if (steps.Recombination) RecombinationStep();
  if (steps.Drift) DriftStep();
  SelectionStep();
  MutationStep();
  DiffusionStep();
}

template <class Generator>
void BasicModel<Generator>::SetMutationRates(double u, double w) {
  // Products where the forms multiply, the power function where they raise to a power.
  auto& t = MutationTable;
  if (AllelesNum == 2) {
    t[1] = u;
    t[2] = u - u * u;
    t[3] = u * u;
    t[4] = w;
    t[5] = w - w * w;
    t[6] = w * w;
  } else {
    t[1] = u;
    t[2] = u - u * u;
    t[3] = u * u;
    t[4] = u - u * u;
    t[5] = u * u - common::Power(u, 3);
    t[6] = common::Power(u, 3);
    t[7] = w;
    t[8] = w - common::Power(w, 2);
    t[9] = w * w;
    t[10] = w - w * w;
    t[11] = w * w - common::Power(w, 3);
    t[12] = common::Power(w, 3);
  }
}

template <class Generator>
double BasicModel<Generator>::AlleleFrequency(int16_t slot, int16_t deme, int16_t allele) const {
  const auto& c = AlleleCarriers[allele];
  if (AllelesNum == 2) return Freq(slot, deme, c[1]) + Freq(slot, deme, c[2]);
  return ((Freq(slot, deme, c[1]) + Freq(slot, deme, c[2])) + Freq(slot, deme, c[3])) +
         Freq(slot, deme, c[4]);
}

template <class Generator>
double BasicModel<Generator>::EquilibriumFrequency(int16_t genotype, double total,
                                                   bool scaled) const {
  const auto& alleles = GenotypeAlleles[genotype];
  const double p1 = StartAlleleFreq[alleles[1]];
  const double p2 = StartAlleleFreq[alleles[2]];
  double v = p2 * p1;
  if (scaled) v = v / common::Power(total, 2);
  if (AllelesNum == 3) {
    const double p3 = StartAlleleFreq[alleles[3]];
    v = (v * p3) / total;
  }
  return v;
}

namespace model_detail {

// NormaliseDeme on the genotype rows (index 0 unused) of two slots, for G genotypes known
// to the compiler: the loops unroll and the frequencies stay in registers between the
// clamping, the sum (in the order of the rule) and the division, without a branch on
// each frequency. Each frequency is loaded and stored on its own: the operators have just
// stored them one by one, and a wider load of two fresh stores stalls.
template <int G>
QUORVEL_HOT_INLINE void Normalise(double* first, double* second) {
  double v[2 * G];
  double sum = 0;
#pragma GCC unroll 16
  for (int i = 0; i < 2 * G; ++i) {
    const double f = i < G ? first[i + 1] : second[i - G + 1];
    v[i] = f >= 0 ? f : 0.0;  // negatives, and NaN should one ever arrive
    sum += v[i];
  }
  if (sum == 1.0) {
#pragma GCC unroll 16
    for (int i = 0; i < 2 * G; ++i) (i < G ? first[i + 1] : second[i - G + 1]) = v[i];
    return;
  }
  if (!(sum > 0) || !std::isfinite(sum)) {
    // Nothing left to rescale (or nothing a rescale could make sense of): the deme is
    // empty from now on.
    for (int h = 1; h <= G; ++h) first[h] = second[h] = 0;
    return;
  }
#pragma GCC unroll 16
  for (int i = 0; i < 2 * G; ++i) (i < G ? first[i + 1] : second[i - G + 1]) = v[i] / sum;
}

}  // namespace model_detail

template <class Generator>
void BasicModel<Generator>::NormaliseDeme(int16_t deme, int16_t firstSlot) {
  double* first = &Freq(firstSlot, deme, 0);
  double* second = &Freq(firstSlot + 1, deme, 0);
  if (GenotypesNum == 4) {
    model_detail::Normalise<4>(first, second);
  } else {
    model_detail::Normalise<8>(first, second);
  }
}

namespace model_detail {

// SampleAmount for the length of one operator. It works on copies of the generator and
// of the last random pair, which the compiler can keep in registers (through the model
// every draw would go to memory and back), and hands them back when the operator ends.
template <class Generator>
class Sampler {
 public:
  explicit Sampler(BasicModel<Generator>& model)
      : model_(model),
        generator_(*model.Random),
        sign_(model.RndSign),
        round_(model.RndRound),
        n_(model.PopulationN),
        one_over_n_(1.0 / model.PopulationN),
        infinite_(model.NInfinite) {}
  ~Sampler() {
    if (infinite_) return;  // nothing was drawn
    *model_.Random = generator_;
    model_.RndSign = sign_;
    model_.RndRound = round_;
  }
  Sampler(const Sampler&) = delete;
  Sampler& operator=(const Sampler&) = delete;

  // The branches that remain follow the amounts (their sign, whether they are worth
  // more than one individual), which stay alike from call to call; the two coin flips
  // are turned into arithmetic, since a mispredicted branch costs more than a sample.
  QUORVEL_HOT_INLINE double operator()(double x, bool reuse = false) {
    if (infinite_) return x;
    if (!reuse) {
      sign_ = generator_.Next();
      round_ = generator_.Next();
    }
    // The magnitude is sampled and the sign restored; multiplying by -1 or 1 is exact and
    // keeps the sign of a zero result as negating it would.
    const double sign = x < 0 ? -1.0 : 1.0;
    x = x * sign;
    const double m = x * n_;
    double count = 0;
    if (x > 1) {
      count = m;  // more than the whole population: no deviation, no rounding
    } else if (m > 1) {
      const double sd = std::sqrt((x * n_) * (1 - x));
      // m - sd below 0.5, else m + sd; sign_ - 0.5 is exact and m + (-sd) is m - sd.
      const double moved = m + std::copysign(sd, sign_ - 0.5);
      count = std::floor(moved);
      count += round_ < moved - count ? 1.0 : 0.0;
      CountSquareRoot();
    } else {
      // At most one individual: 1/N with probability m. The quotient 1/N is the one the
      // division would give, computed once.
      return (round_ < m ? one_over_n_ : 0.0) * sign;
    }
    return (count / n_) * sign;
  }

 private:
  // Lets a counting generator in the benchmark count the square roots and floors.
  void CountSquareRoot() {
    if constexpr (requires(Generator & g) { g.CountSquareRoot(); }) generator_.CountSquareRoot();
  }

  BasicModel<Generator>& model_;
  Generator generator_;
  double sign_;
  double round_;
  const double n_;
  const double one_over_n_;
  const bool infinite_;
};

// The sizes and index tables for two or three loci, known to the compiler so that the
// loops over genotypes and alleles unroll and address their cells directly.
template <int Loci>
struct Layout {
  static constexpr int kGenotypes = Loci == 2 ? 4 : 8;
  static constexpr int kAlleles = Loci == 2 ? 4 : 6;
  static constexpr int Allele(int genotype, int locus) {
    return Loci == 2 ? model_tables::kTwoLociAlleles[genotype][locus - 1]
                     : model_tables::kThreeLociAlleles[genotype][locus - 1];
  }
  static constexpr int Carrier(int allele, int column) {
    return Loci == 2 ? model_tables::kTwoLociCarriers[allele][column - 1]
                     : model_tables::kThreeLociCarriers[allele][column - 1];
  }
  // Mutation path: from, to, mutation class by column 1..3.
  static constexpr int Path(int path, int column) {
    return Loci == 2 ? model_tables::kTwoLociPaths[path][column - 1]
                     : model_tables::kThreeLociPaths[path][column - 1];
  }
  // AlleleFrequency on the genotype row of one slot of a deme.
  static double AlleleFrequency(const double* f, int allele) {
    if constexpr (Loci == 2) {
      return f[Carrier(allele, 1)] + f[Carrier(allele, 2)];
    } else {
      return ((f[Carrier(allele, 1)] + f[Carrier(allele, 2)]) + f[Carrier(allele, 3)]) +
             f[Carrier(allele, 4)];
    }
  }
};

// RecombinationStep for two or three loci.
template <int Loci, class Generator>
void Recombine(BasicModel<Generator>& model) {
  using L = Layout<Loci>;
  constexpr int G = L::kGenotypes;
  Sampler<Generator> sample(model);
  auto& p = model.StartAlleleFreq;
  const float zf = model.Z;
  const int demes = model.Demes;
  for (int g = 1; g <= demes; ++g) {
    double* f0 = &model.Freq(0, g, 0);
    double* f1 = &model.Freq(1, g, 0);
    double* f2 = &model.Freq(2, g, 0);
    if (zf == 0.0f) {
      // Only R+ carriers recombine.
#pragma GCC unroll 8
      for (int a = 1; a <= L::kAlleles; ++a) p[a] = L::AlleleFrequency(f0, a);
      double total = 0;
#pragma GCC unroll 8
      for (int h = 1; h <= G; ++h) total += f0[h];
      if (total > 0) {
#pragma GCC unroll 8
        for (int h = 1; h <= G; ++h) {
          // EquilibriumFrequency(h, total, false).
          double e = p[L::Allele(h, 2)] * p[L::Allele(h, 1)];
          if constexpr (Loci == 3) e = (e * p[L::Allele(h, 3)]) / total;
          const double change = (e / total) / 2 - f0[h] / 2;
          f0[h] = sample(change) + f0[h];
        }
      }
    } else if (zf > 0.0f) {
      const double z = zf;
      double t0 = 0;
      double t2 = 0;
#pragma GCC unroll 8
      for (int h = 1; h <= G; ++h) {
        t0 = t0 + f0[h];
        f2[h] = z * f1[h];
        t2 = t2 + f2[h];
      }
      const double total = t2 + t0;
#pragma GCC unroll 8
      for (int a = 1; a <= L::kAlleles; ++a) {
        p[a] = L::AlleleFrequency(f2, a) + L::AlleleFrequency(f0, a);
      }
      // A pool too small to square in float64 (below about 1e-162) counts as empty, like
      // a pool of 0: the scaled equilibrium would be 0/0 there.
      const double squared = common::Power(total, 2);
      if (total > 0 && squared > 0) {
#pragma GCC unroll 8
        for (int h = 1; h <= G; ++h) {
          // EquilibriumFrequency(h, total, true).
          double e = (p[L::Allele(h, 2)] * p[L::Allele(h, 1)]) / squared;
          if constexpr (Loci == 3) e = (e * p[L::Allele(h, 3)]) / total;
          const double change0 = (e * t0) / 2 - f0[h] / 2;
          f0[h] = sample(change0) + f0[h];
          const double change1 = (e * t2) / 2 - f2[h] / 2;
          f1[h] = sample(change1) + f1[h];
        }
      }
    }
    Normalise<G>(f0, f1);
  }
}

// MutationStep for two or three loci, its paths known to the compiler.
template <int Loci, class Generator>
void Mutate(BasicModel<Generator>& model) {
  constexpr int P = Loci == 2 ? 10 : 38;
  using L = Layout<Loci>;
  Sampler<Generator> sample(model);
  double rate[P + 1];
  for (int t = 1; t <= P; ++t) rate[t] = model.MutationTable[L::Path(t, 3)];
  // R+ draws; R- reuses that pair unless "Total stochasticity" is ticked. The reuse is
  // passed to the sampler directly; ReuseRandom stays False outside this step.
  const bool reuseForRMinus = (model.TotalStochasticity == 0);
  const int demes = model.Demes;
  for (int g = 1; g <= demes; ++g) {
    double* f0 = &model.Freq(0, g, 0);
    double* f1 = &model.Freq(1, g, 0);
    // Every amount comes from the deme as it stands before any path is applied.
    double amount0[P + 1];
    double amount1[P + 1];
#pragma GCC unroll 40
    for (int t = 1; t <= P; ++t) {
      amount0[t] = sample(f0[L::Path(t, 1)] * rate[t]);
      amount1[t] = sample(f1[L::Path(t, 1)] * rate[t], reuseForRMinus);
    }
#pragma GCC unroll 40
    for (int t = 1; t <= P; ++t) {
      const int from = L::Path(t, 1);
      const int to = L::Path(t, 2);
      f0[to] = std::min(f0[to] + amount0[t], 1.0);
      f0[from] = std::max(f0[from] - amount0[t], 0.0);
      f1[to] = std::min(f1[to] + amount1[t], 1.0);
      f1[from] = std::max(f1[from] - amount1[t], 0.0);
    }
    Normalise<L::kGenotypes>(f0, f1);
  }
}

// DriftStep, SelectionStep and DiffusionStep for 4 or 8 genotypes.
template <int G, class Generator>
void Drift(BasicModel<Generator>& model) {
  Sampler<Generator> sample(model);
  const int demes = model.Demes;
  for (int g = 1; g <= demes; ++g) {
    double* f0 = &model.Freq(0, g, 0);
    double* f1 = &model.Freq(1, g, 0);
#pragma GCC unroll 8
    for (int h = 1; h <= G; ++h) f0[h] = sample(f0[h]);
#pragma GCC unroll 8
    for (int h = 1; h <= G; ++h) f1[h] = sample(f1[h]);
    Normalise<G>(f0, f1);
  }
}

template <int G, class Generator>
void Select(BasicModel<Generator>& model, const int16_t* uppercaseCount) {
  Sampler<Generator> sample(model);
  // Coefficient by genotype, through its number of uppercase alleles; genotype 1 has none
  // and is never visited.
  const double byClass[4] = {0, model.S, model.S2, model.S3};
  double coefficient[G + 1];
  for (int h = 1; h <= G; ++h) coefficient[h] = byClass[uppercaseCount[h]];
  const int demes = model.Demes;
  for (int g = 1; g <= demes; ++g) {
    double* f0 = &model.Freq(0, g, 0);
    double* f1 = &model.Freq(1, g, 0);
#pragma GCC unroll 8
    for (int h = 2; h <= G; ++h) f0[h] = f0[h] + sample(f0[h] * coefficient[h]);
#pragma GCC unroll 8
    for (int h = 2; h <= G; ++h) f1[h] = f1[h] + sample(f1[h] * coefficient[h]);
    Normalise<G>(f0, f1);
  }
}

template <int G, class Generator>
void Diffuse(BasicModel<Generator>& model) {
  const int demes = model.Demes;
  Sampler<Generator> sample(model);
  const double diffusion = model.Diffusion;
  for (int d = 0; d <= 1; ++d) {
    for (int h = 1; h <= G; ++h) {
      double sum = 0;
      for (int g = 1; g <= demes; ++g) sum = sum + model.Freq(d, g, h);
      model.Freq(d + 3, 1, h) = sum / demes;
      const double immigrants = (diffusion * sum) / demes;
      for (int g = 1; g <= demes; ++g) {
        double& f = model.Freq(d, g, h);
        f = sample(immigrants) + f;
      }
    }
  }
  for (int g = 1; g <= demes; ++g) Normalise<G>(&model.Freq(0, g, 0), &model.Freq(1, g, 0));
  Normalise<G>(&model.Freq(3, 1, 0), &model.Freq(4, 1, 0));
}

}  // namespace model_detail

template <class Generator>
double BasicModel<Generator>::SampleAmount(double x) {
  model_detail::Sampler<Generator> sample(*this);
  return sample(x, ReuseRandom);
}

template <class Generator>
void BasicModel<Generator>::RecombinationStep() {
  if (AllelesNum == 2) {
    model_detail::Recombine<2>(*this);
  } else {
    model_detail::Recombine<3>(*this);
  }
}

template <class Generator>
void BasicModel<Generator>::DriftStep() {
  if (GenotypesNum == 4) {
    model_detail::Drift<4>(*this);
  } else {
    model_detail::Drift<8>(*this);
  }
}

template <class Generator>
void BasicModel<Generator>::SelectionStep() {
  if (GenotypesNum == 4) {
    model_detail::Select<4>(*this, UppercaseCount.data());
  } else {
    model_detail::Select<8>(*this, UppercaseCount.data());
  }
}

template <class Generator>
void BasicModel<Generator>::MutationStep() {
  if (AllelesNum == 2) {
    model_detail::Mutate<2>(*this);
  } else {
    model_detail::Mutate<3>(*this);
  }
}

template <class Generator>
void BasicModel<Generator>::DiffusionStep() {
  if (Demes <= 1) return;
  if (GenotypesNum == 4) {
    model_detail::Diffuse<4>(*this);
  } else {
    model_detail::Diffuse<8>(*this);
  }
}

}  // namespace quorvel
