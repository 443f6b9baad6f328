// Definitions of the genotype model's operations. Included by model.cpp, which makes the
// program's Model, and by tests and benchmarks that run the model on another generator.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <type_traits>

#include "common/power.h"
#include "quorvel/model/genotype_tables.h"
#include "quorvel/model/lane_kernels.h"
#include "quorvel/model/model.h"

namespace quorvel {

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
  S2 = (common::Square(1 + S) - 1) * k;
  if (AllelesNum == 3) S3 = (common::Power(1 + S, 3) - 1) * k * k;
}

template <class Generator>
void BasicModel<Generator>::SetDemeSelection(int16_t deme) {
  const double byClass[4] = {0, S, S2, S3};
  for (int h = 1; h <= GenotypesNum; ++h)
    Buffers.Coefficient[static_cast<size_t>(h * lanes::kDemeStride + deme)] =
        byClass[UppercaseCount[h]];
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
  if (scaled) v = v / common::Square(total);
  if (AllelesNum == 3) {
    const double p3 = StartAlleleFreq[alleles[3]];
    v = (v * p3) / total;
  }
  return v;
}

template <class Generator>
void BasicModel<Generator>::NormaliseDeme(int16_t deme, int16_t firstSlot) {
  double sum = 0;
  for (int slot = firstSlot; slot <= firstSlot + 1; ++slot) {
    for (int h = 1; h <= GenotypesNum; ++h) {
      double& f = Freq(slot, deme, h);
      f = f >= 0 ? f : 0.0;  // negatives, and NaN should one ever arrive
      sum += f;
    }
  }
  if (sum == 1.0) return;
  // Nothing left to rescale (or nothing a rescale could make sense of): the deme is empty
  // from now on.
  const bool empty = !(sum > 0) || !std::isfinite(sum);
  for (int slot = firstSlot; slot <= firstSlot + 1; ++slot) {
    for (int h = 1; h <= GenotypesNum; ++h) {
      double& f = Freq(slot, deme, h);
      f = empty ? 0.0 : f / sum;
    }
  }
}

template <class Generator>
double BasicModel<Generator>::SampleAmount(double x) {
  if (NInfinite) return x;
  if (!ReuseRandom) {
    RndSign = Random->Next();
    RndRound = Random->Next();
  }
  const float sign = static_cast<float>(RndSign);
  const float round = static_cast<float>(RndRound);
  double result = 0;
  lanes::PortableKernels().Sample(&x, &sign, &round, &result, 1, PopulationN);
  return result;
}

namespace model_detail {

// The arrays of one operator over the model's demes and working buffers.
template <class Generator>
lanes::StepArrays Arrays(BasicModel<Generator>& model) {
  lanes::StepArrays s;
  s.freq = model.Freq.Lanes();
  s.demes = model.Demes;
  s.loci = model.AllelesNum == 2 ? 2 : 3;
  s.amount = model.Buffers.Amount.data();
  s.sampled = s.amount;
  s.active = model.Buffers.Active.data();
  return s;
}

// Lets a counting generator in the benchmark count the square roots and floors: one for
// each amount worth more than one individual and not more than the whole population.
template <class Generator>
void CountSquareRoots(BasicModel<Generator>& model, Generator& generator, int first, int n) {
  if constexpr (requires(Generator & g) { g.CountSquareRoot(); }) {
    for (int i = first; i < first + n; ++i) {
      const double x = std::fabs(model.Buffers.Amount[static_cast<size_t>(i)]);
      if (!(x > 1) && x * model.PopulationN > 1) generator.CountSquareRoot();
    }
  }
}

// The draw of one random number into a buffer: the program's generator hands over its
// word and leaves the scrambling to the sampling kernel, which does it on many at once; any
// other generator (the tests' scripted ones) hands over its number.
template <class Generator>
inline constexpr bool kDrawsWords = std::is_same_v<Generator, UniformGenerator>;

template <class Generator>
struct DrawBuffers {
  using Item = std::conditional_t<kDrawsWords<Generator>, uint32_t, float>;
  Item* sign;
  Item* round;
  explicit DrawBuffers(StepBuffers& b) {
    if constexpr (kDrawsWords<Generator>) {
      sign = b.SignWord.data();
      round = b.RoundWord.data();
    } else {
      sign = b.Sign.data();
      round = b.Round.data();
    }
  }
  static Item Draw(Generator& generator) {
    if constexpr (kDrawsWords<Generator>) {
      return generator.NextWord();
    } else {
      return generator.Next();
    }
  }
  static double Number(Item item) {
    if constexpr (kDrawsWords<Generator>) {
      return UniformGenerator::Uniform(item);
    } else {
      return item;
    }
  }
  // Samples n amounts of the buffer with the pairs drawn, and keeps the last pair.
  void Sample(BasicModel<Generator>& model, lanes::StepArrays& s, int n, size_t last) const {
    model.RndSign = Number(sign[last]);
    model.RndRound = Number(round[last]);
    auto& b = model.Buffers;
    if constexpr (kDrawsWords<Generator>) {
      lanes::Active().SampleWords(b.Amount.data(), sign, round, b.Sampled.data(), n,
                                  model.PopulationN);
    } else {
      lanes::Active().Sample(b.Amount.data(), sign, round, b.Sampled.data(), n, model.PopulationN);
    }
    s.sampled = b.Sampled.data();
  }
};

// Draws the random pairs of `items` amounts per deme, deme after deme and within a deme in
// item order (amount k of deme g at k * Demes + g - 1), skipping the demes whose `active`
// entry is 0 when one is given. With `reuseOdd` every odd item takes the pair of the item
// before it instead of drawing. Then samples every amount.
template <class Generator>
void SampleByDeme(BasicModel<Generator>& model, lanes::StepArrays& s, int items, bool reuseOdd,
                  bool useActive) {
  using Draws = DrawBuffers<Generator>;
  const Draws draws(model.Buffers);
  Generator generator = *model.Random;
  const int demes = model.Demes;
  const size_t stride = static_cast<size_t>(demes);
  int lastDeme = -1;
  for (int g = 0; g < demes; ++g) {
    if (useActive && model.Buffers.Active[static_cast<size_t>(g)] == 0) continue;
    lastDeme = g;
    // The draws are the sampling's one serial chain: the loops walk the deme's column of
    // pairs with nothing else in them.
    auto* sign = draws.sign + g;
    auto* round = draws.round + g;
    if (reuseOdd) {
      for (int k = 0; k < items; k += 2, sign += 2 * stride, round += 2 * stride) {
        sign[0] = sign[stride] = Draws::Draw(generator);
        round[0] = round[stride] = Draws::Draw(generator);
      }
    } else {
      for (int k = 0; k < items; ++k, sign += stride, round += stride) {
        *sign = Draws::Draw(generator);
        *round = Draws::Draw(generator);
      }
    }
    for (int k = 0; k < items; ++k) CountSquareRoots(model, generator, k * demes + g, 1);
  }
  *model.Random = generator;
  if (lastDeme < 0) return;  // nothing drawn, nothing the apply kernel reads
  // The last deme's last item drew its pair, or took the pair of the item before it.
  draws.Sample(model, s, items * demes, static_cast<size_t>((items - 1) * demes + lastDeme));
}

// Draws the random pairs of n amounts in their order in the buffer, then samples them.
template <class Generator>
void SampleInOrder(BasicModel<Generator>& model, lanes::StepArrays& s, int n) {
  using Draws = DrawBuffers<Generator>;
  const Draws draws(model.Buffers);
  Generator generator = *model.Random;
  for (size_t i = 0; i < static_cast<size_t>(n); ++i) {
    draws.sign[i] = Draws::Draw(generator);
    draws.round[i] = Draws::Draw(generator);
  }
  CountSquareRoots(model, generator, 0, n);
  *model.Random = generator;
  draws.Sample(model, s, n, static_cast<size_t>(n - 1));
}

// Selection coefficient by genotype 1..GenotypesNum (of deme 1 when the demes select
// differently), through its number of uppercase alleles.
template <class Generator>
void Coefficients(const BasicModel<Generator>& model, double* coefficient) {
  const double byClass[4] = {0, model.S, model.S2, model.S3};
  for (int h = 1; h <= model.GenotypesNum; ++h) {
    coefficient[h] =
        model.SelectionByDeme
            ? model.Buffers.Coefficient[static_cast<size_t>(h * lanes::kDemeStride + 1)]
            : byClass[model.UppercaseCount[h]];
  }
}

// Mutation fraction by path 1..MutationPathsNum.
template <class Generator>
void Rates(const BasicModel<Generator>& model, double* rate) {
  for (int t = 1; t <= model.MutationPathsNum; ++t) {
    rate[t] = model.MutationTable[model.MutationPaths[t][3]];
  }
}

// The order of the random pairs of one deme's operators, as the step-by-step operators
// draw them: R- mutation amounts take the pair of the R+ amount before them unless "Total
// stochasticity" is ticked.
template <class Generator>
DrawPlan PlanOf(const BasicModel<Generator>& model, const lanes::OneDeme& o) {
  const int genotypes = model.GenotypesNum;
  const int mutating = o.mutation ? 2 * model.MutationPathsNum : 0;
  const bool pairs = model.TotalStochasticity == 0;
  int recombining = 0;
  if (o.recombination && o.poolDrawn) {
    recombining = o.z == 0.0f ? genotypes : o.z > 0.0f ? 2 * genotypes : 0;
  }
  return {
      genotypes, recombining, o.drift ? 2 * genotypes : 0, o.selection ? 2 * (genotypes - 1) : 0,
      mutating,  pairs};
}

// Draws the pairs of the plan into one half of the words, each into its place.
inline void Draw(const DrawPlan& plan, WordsAhead& words, int half, UniformGenerator& generator) {
  std::array<uint8_t, WordsAhead::kSize> position;
  plan.Positions(position.data());
  uint32_t* sign = words.sign[static_cast<size_t>(half)].data();
  uint32_t* round = words.round[static_cast<size_t>(half)].data();
  int k = 0;
  for (; k < plan.Alone(); ++k) {
    sign[position[k]] = generator.NextWord();
    round[position[k]] = generator.NextWord();
  }
  for (const int end = k + plan.Paired(); k < end; k += 2) {
    sign[position[k]] = sign[position[k + 1]] = generator.NextWord();
    round[position[k]] = round[position[k + 1]] = generator.NextWord();
  }
}

// One deme with N finite on the program's generator: the generation's pairs (drawn ahead
// when they could be), and the kernel, which draws the next generation's pairs ahead.
inline void FiniteOneDeme(BasicModel<UniformGenerator>& model, lanes::OneDeme& o,
                          const lanes::Kernels& kernels) {
  WordsAhead& words = model.Buffers.Ahead;
  const UniformGenerator start = *model.Random;
  const DrawPlan plan = PlanOf(model, o);
  const int half = words.next;
  if (plan == words.plan && start.CurrentState() == words.from) {
    *model.Random = UniformGenerator(words.to);
  } else {
    Draw(plan, words, half, *model.Random);
  }
  o.populationN = model.PopulationN;
  o.sign = words.sign[static_cast<size_t>(half)].data();
  o.round = words.round[static_cast<size_t>(half)].data();
  const int next = 1 - half;
  o.nextSign = words.sign[static_cast<size_t>(next)].data();
  o.nextRound = words.round[static_cast<size_t>(next)].data();
  o.nextPaired = plan.paired;
  UniformGenerator::State ahead = model.Random->CurrentState();
  o.state = ahead.data();
  DrawPlan drawn = plan;
  if (!kernels.OneDemeSteps(o)) {
    // An empty pool draws nothing (rare: the deme has died out).
    *model.Random = start;
    o.poolDrawn = false;
    drawn = PlanOf(model, o);
    Draw(drawn, words, half, *model.Random);
    ahead = model.Random->CurrentState();
    kernels.OneDemeSteps(o);
  }
  if (drawn.Amounts() > 0) {
    model.RndSign = UniformGenerator::Uniform(o.sign[drawn.Last()]);
    model.RndRound = UniformGenerator::Uniform(o.round[drawn.Last()]);
  }
  words.next = next;
  words.from = model.Random->CurrentState();
  words.to = ahead;
  words.plan = plan;
}

// The chosen operators on a population of one deme, in registers (OneDemeSteps). With N
// finite only for the program's generator, whose words the kernels scramble.
template <class Generator>
void OneDemeSteps(BasicModel<Generator>& model, bool recombination, bool drift, bool selection,
                  bool mutation) {
  double coefficient[kMaxGenotypes + 1];  // written where read, from 1 on
  double rate[kMaxMutationPaths + 1];     // written where read, from 1 on
  Coefficients(model, coefficient);
  Rates(model, rate);
  lanes::OneDeme o;
  o.freq = model.Freq.Lanes();
  o.loci = model.AllelesNum == 2 ? 2 : 3;
  o.z = model.Z;
  o.recombination = recombination;
  o.drift = drift;
  o.selection = selection;
  o.mutation = mutation;
  o.coefficient = coefficient;
  o.rate = rate;
  o.alleleFreq = model.StartAlleleFreq.data();
  const lanes::Kernels& kernels = lanes::Active();
  if constexpr (kDrawsWords<Generator>) {
    if (!model.NInfinite) return FiniteOneDeme(model, o, kernels);
  }
  kernels.OneDemeSteps(o);
}

}  // namespace model_detail

template <class Generator>
void BasicModel<Generator>::RecombinationStep() {
  // One deme with N infinite keeps its frequencies in registers (OneDemeSteps).
  if (Demes == 1 && NInfinite) return model_detail::OneDemeSteps(*this, true, false, false, false);
  lanes::StepArrays s = model_detail::Arrays(*this);
  s.z = Z;
  const lanes::Kernels& k = lanes::Active();
  k.RecombinePrepare(s);
  const bool rPlusOnly = Z == 0.0f;
  const bool pool = Z > 0.0f;
  if (rPlusOnly || pool) {
    // The pool's allele frequencies of the last deme stay behind, as the deme loop leaves
    // them.
    for (int16_t a = 1; a <= AllelesTotal; ++a) {
      const double rPlus = AlleleFrequency(kSlotRPlus, Demes, a);
      StartAlleleFreq[a] = pool ? AlleleFrequency(kSlotPool, Demes, a) + rPlus : rPlus;
    }
    if (!NInfinite)
      model_detail::SampleByDeme(*this, s, pool ? 2 * GenotypesNum : GenotypesNum, false, true);
  }
  k.RecombineApply(s);
}

template <class Generator>
void BasicModel<Generator>::DriftStep() {
  if (Demes == 1 && NInfinite) return model_detail::OneDemeSteps(*this, false, true, false, false);
  lanes::StepArrays s = model_detail::Arrays(*this);
  if (NInfinite) {
    s.sampled = nullptr;
  } else {
    // Every frequency is its own amount, slot 0 before slot 1, genotypes ascending.
    double* amount = Buffers.Amount.data();
    for (int slot = 0; slot <= 1; ++slot) {
      for (int h = 1; h <= GenotypesNum; ++h) {
        const double* row = &Freq(slot, 1, h);
        amount = std::copy(row, row + Demes, amount);
      }
    }
    model_detail::SampleByDeme(*this, s, 2 * GenotypesNum, false, false);
  }
  lanes::Active().DriftApply(s);
}

template <class Generator>
void BasicModel<Generator>::SelectionStep() {
  if (Demes == 1 && NInfinite) return model_detail::OneDemeSteps(*this, false, false, true, false);
  lanes::StepArrays s = model_detail::Arrays(*this);
  double coefficient[kMaxGenotypes + 1] = {};
  model_detail::Coefficients(*this, coefficient);
  s.coefficient = coefficient;
  if (SelectionByDeme) s.demeCoefficient = Buffers.Coefficient.data();
  const lanes::Kernels& k = lanes::Active();
  k.SelectPrepare(s);
  if (!NInfinite) model_detail::SampleByDeme(*this, s, 2 * (GenotypesNum - 1), false, false);
  k.SelectApply(s);
}

template <class Generator>
void BasicModel<Generator>::MutationStep() {
  if (Demes == 1 && NInfinite) return model_detail::OneDemeSteps(*this, false, false, false, true);
  lanes::StepArrays s = model_detail::Arrays(*this);
  double rate[kMaxMutationPaths + 1] = {};
  model_detail::Rates(*this, rate);
  s.rate = rate;
  const lanes::Kernels& k = lanes::Active();
  k.MutatePrepare(s);
  // R+ draws; R- reuses that pair unless "Total stochasticity" is ticked. ReuseRandom
  // stays False outside this step.
  if (!NInfinite) {
    model_detail::SampleByDeme(*this, s, 2 * MutationPathsNum, TotalStochasticity == 0, false);
  }
  k.MutateApply(s);
}

template <class Generator>
void BasicModel<Generator>::DiffusionStep() {
  if (Demes <= 1) return;
  lanes::StepArrays s = model_detail::Arrays(*this);
  s.diffusion = Diffusion;
  const lanes::Kernels& k = lanes::Active();
  k.DiffusePrepare(s);
  // Drawn slot by slot, genotype by genotype, deme by deme: the order of the amounts.
  if (!NInfinite) model_detail::SampleInOrder(*this, s, 2 * GenotypesNum * Demes);
  k.DiffuseApply(s);
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
  // One deme keeps its frequencies in registers through the whole generation; diffusion
  // has no other deme to exchange with.
  if (Demes == 1 && (NInfinite || model_detail::kDrawsWords<Generator>)) {
    model_detail::OneDemeSteps(*this, steps.Recombination, steps.Drift, true, true);
    return;
  }
  if (steps.Recombination) RecombinationStep();
  if (steps.Drift) DriftStep();
  SelectionStep();
  MutationStep();
  if (steps.Diffusion) DiffusionStep();
}

}  // namespace quorvel
