// The operators for a population of one deme with N infinite, the program's default and
// the case of the S-K sweep and of every deterministic run: the deme's frequencies stay in
// registers through each operator, which costs less than the array work of lane_kernels.h
// when there are no other demes to share it. Same arithmetic. With N finite a deme of its
// own goes through the array kernels, whose sampling takes many amounts at once.
#pragma once

#include <algorithm>
#include <cmath>

#include "quorvel/model/genotype_tables.h"
#include "quorvel/model/lane_kernels.h"
#include "quorvel/model/model.h"

// Normalise ends every operator; the operators must get it inlined even where the
// compiler's size heuristics would rather call it.
#if defined(_MSC_VER)
#define QUORVEL_HOT_INLINE __forceinline
#else
#define QUORVEL_HOT_INLINE [[gnu::always_inline]] inline
#endif

namespace quorvel::model_detail {

// The genotype cells of one slot of one deme, a deme stride apart in the table.
struct DemeRow {
  double* cells;
  double& operator[](int genotype) const { return cells[genotype * lanes::kDemeStride]; }
};

// NormaliseDeme on the genotype rows (index 0 unused) of two slots, for G genotypes known
// to the compiler: the loops unroll and the frequencies stay in registers between the
// clamping, the sum (in the order of the rule) and the division, without a branch on
// each frequency. Each frequency is loaded and stored on its own: the operators have just
// stored them one by one, and a wider load of two fresh stores stalls.
template <int G>
QUORVEL_HOT_INLINE void Normalise(DemeRow first, DemeRow second) {
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
  static double AlleleFrequency(DemeRow f, int allele) {
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
void RecombineOneDeme(BasicModel<Generator>& model) {
  using L = Layout<Loci>;
  constexpr int G = L::kGenotypes;
  auto& p = model.StartAlleleFreq;
  const float zf = model.Z;
  const int demes = model.Demes;
  for (int g = 1; g <= demes; ++g) {
    const DemeRow f0{&model.Freq(0, g, 0)};
    const DemeRow f1{&model.Freq(1, g, 0)};
    const DemeRow f2{&model.Freq(2, g, 0)};
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
          f0[h] = change + f0[h];
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
      const double squared = common::Square(total);
      if (total > 0 && squared > 0) {
#pragma GCC unroll 8
        for (int h = 1; h <= G; ++h) {
          // EquilibriumFrequency(h, total, true).
          double e = (p[L::Allele(h, 2)] * p[L::Allele(h, 1)]) / squared;
          if constexpr (Loci == 3) e = (e * p[L::Allele(h, 3)]) / total;
          const double change0 = (e * t0) / 2 - f0[h] / 2;
          f0[h] = change0 + f0[h];
          const double change1 = (e * t2) / 2 - f2[h] / 2;
          f1[h] = change1 + f1[h];
        }
      }
    }
    Normalise<G>(f0, f1);
  }
}

// MutationStep for two or three loci, its paths known to the compiler.
template <int Loci, class Generator>
void MutateOneDeme(BasicModel<Generator>& model) {
  constexpr int P = Loci == 2 ? 10 : 38;
  using L = Layout<Loci>;
  double rate[P + 1];
  for (int t = 1; t <= P; ++t) rate[t] = model.MutationTable[L::Path(t, 3)];
  const int demes = model.Demes;
  for (int g = 1; g <= demes; ++g) {
    const DemeRow f0{&model.Freq(0, g, 0)};
    const DemeRow f1{&model.Freq(1, g, 0)};
    // Every amount comes from the deme as it stands before any path is applied.
    double amount0[P + 1];
    double amount1[P + 1];
#pragma GCC unroll 40
    for (int t = 1; t <= P; ++t) {
      amount0[t] = f0[L::Path(t, 1)] * rate[t];
      amount1[t] = f1[L::Path(t, 1)] * rate[t];
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

// DriftStep, which with N infinite only normalises, for 4 or 8 genotypes.
template <int G, class Generator>
void DriftOneDeme(BasicModel<Generator>& model) {
  const int demes = model.Demes;
  for (int g = 1; g <= demes; ++g) Normalise<G>({&model.Freq(0, g, 0)}, {&model.Freq(1, g, 0)});
}

// SelectionStep for 4 or 8 genotypes.
template <int G, class Generator>
void SelectOneDeme(BasicModel<Generator>& model, const int16_t* uppercaseCount) {
  // Coefficient by genotype, through its number of uppercase alleles; genotype 1 has none
  // and is never visited.
  const double byClass[4] = {0, model.S, model.S2, model.S3};
  double coefficient[G + 1];
  for (int h = 1; h <= G; ++h) coefficient[h] = byClass[uppercaseCount[h]];
  const int demes = model.Demes;
  for (int g = 1; g <= demes; ++g) {
    const DemeRow f0{&model.Freq(0, g, 0)};
    const DemeRow f1{&model.Freq(1, g, 0)};
#pragma GCC unroll 8
    for (int h = 2; h <= G; ++h) f0[h] = f0[h] + f0[h] * coefficient[h];
#pragma GCC unroll 8
    for (int h = 2; h <= G; ++h) f1[h] = f1[h] + f1[h] * coefficient[h];
    Normalise<G>(f0, f1);
  }
}

}  // namespace quorvel::model_detail
