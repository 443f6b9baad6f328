// The genotype model of the evolution of recombination: the genotype frequencies of a
// haploid population with two or three loci, kept apart for carriers of the modifier
// allele R+ (always recombines) and R- (recombines only in the fraction Z), in each deme;
// the fixed index tables of genotypes, alleles and mutation paths; and the per-generation
// operators (recombination, drift, selection, mutation, interdemic diffusion).
//
// The run layer fills the plain fields (S, S2, S3, MutationTable, Z, Demes, Diffusion,
// PopulationN, NInfinite, TotalStochasticity, Entered) and advances the model generation by
// generation (AdvanceGeneration, the one place that orders the operators); the model never
// sees a widget.
//
// The model is a template over its random generator only so that tests can script the
// random numbers; the program uses `Model`, which draws from a UniformGenerator owned by
// the window. The operators draw in the fixed order and leave their arithmetic to the
// kernels of lane_kernels.h for the processor at hand; a population of one deme goes
// through a whole generation in one of them (OneDemeSteps), its frequencies in vector lanes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "quorvel/model/lane_kernels.h"
#include "quorvel/model/uniform_generator.h"
#include "quorvel/params/entries.h"

namespace quorvel {

// Fixed sizes. Deme and genotype index 0 is never used.
inline constexpr int kSlots = 5;         // slots 0..4
inline constexpr int kMaxDemes = 100;    // demes 1..100
inline constexpr int kMaxGenotypes = 8;  // genotypes 1..8
inline constexpr int kMaxLoci = 3;       // loci 1..3
inline constexpr int kMaxAlleles = 6;    // alleles 1..6
inline constexpr int kMaxMutationPaths = 38;
inline constexpr int kMutationClasses = 12;

// Slots of Freq.
inline constexpr int16_t kSlotRPlus = 0;       // R+ carriers
inline constexpr int16_t kSlotRMinus = 1;      // R- carriers
inline constexpr int16_t kSlotPool = 2;        // recombining R- part of the deme in process
inline constexpr int16_t kSlotMeanRPlus = 3;   // mean of slot 0 over demes, deme 1 only
inline constexpr int16_t kSlotMeanRMinus = 4;  // mean of slot 1 over demes, deme 1 only

// 2*pi cut to 15 significant digits: the angle of the sinusoidal variation of S.
inline constexpr double kTwoPi15 = 6.28318530717958;

// How S changes during a run: not at all, its sign inverted every InversionPeriod
// generations, or S0 * sin(pi * generation / InversionPeriod).
enum class SSchedule { None, Inversion, Sinusoidal };

// What one generation does beside the operators that always act.
struct GenerationSteps {
  bool Recombination = true;  // "Recombination for R+"
  bool Drift = true;          // "Genetic drift"
  SSchedule Schedule = SSchedule::None;
  int16_t InversionPeriod = 0;  // not 0 when there is a schedule
  double EnteredS = 0;          // S0 of the sinusoidal variation
  double K = 0;                 // epistasis, for the selection values after a change of S
  // Genes move between demes; off for runs side by side, each a deme of its own.
  bool Diffusion = true;
};

// Freq(slot 0..4, deme 0..100, genotype 0..8), float64, fixed size. Stored by slot and
// genotype, the demes side by side, so that the operators work on many demes at once.
class FrequencyTable {
 public:
  double& operator()(int slot, int deme, int genotype) {
    return cells_[Index(slot, deme, genotype)];
  }
  double operator()(int slot, int deme, int genotype) const {
    return cells_[Index(slot, deme, genotype)];
  }
  void Clear() { cells_ = {}; }
  // The cells in the layout of lane_kernels.h.
  double* Lanes() { return cells_.data(); }

 private:
  static_assert(lanes::kGenotypeRows == kMaxGenotypes + 1 && lanes::kDemeStride > kMaxDemes);
  static constexpr size_t Index(int slot, int deme, int genotype) {
    return static_cast<size_t>((slot * lanes::kGenotypeRows + genotype) * lanes::kDemeStride +
                               deme);
  }
  std::array<double, kSlots * lanes::kGenotypeRows * lanes::kDemeStride> cells_{};
};

// The random pairs of one deme's generation, in the order they are drawn: recombination's
// amounts (the R+ genotypes', or two per genotype for the pool), drift's and selection's,
// each drawing a pair; then mutation's, in twos sharing one (R+ and R-) unless `paired` is
// false.
struct DrawPlan {
  int genotypes = 0;
  int recombining = 0;
  int drifting = 0;
  int selecting = 0;
  int mutating = 0;
  bool paired = false;
  // Amounts drawing a pair each, first; then amounts in twos sharing one.
  int Alone() const { return recombining + drifting + selecting + (paired ? 0 : mutating); }
  int Paired() const { return paired ? mutating : 0; }
  int Amounts() const { return recombining + drifting + selecting + mutating; }
  // Where each amount's pair lies (lanes::PairBlocks), in the order they are drawn.
  void Positions(uint8_t* position) const {
    using B = lanes::PairBlocks;
    const int g = genotypes;
    int k = 0;
    auto at = [&](int lane) { position[k++] = static_cast<uint8_t>(lane); };
    for (int i = 0; i < recombining; ++i) at(B::RecombinationAt(g, recombining == 2 * g, i));
    for (int i = 0; i < drifting; ++i) at(B::DriftAt(g, i));
    for (int i = 0; i < selecting; ++i) at(B::SelectionAt(g, i));
    for (int i = 0; i < mutating; ++i) at(B::MutationAt(g, i));
  }
  // Where the last amount's pair lies, when there are amounts.
  int Last() const {
    using B = lanes::PairBlocks;
    const int g = genotypes;
    if (mutating > 0) return B::MutationAt(g, mutating - 1);
    if (selecting > 0) return B::SelectionAt(g, selecting - 1);
    if (drifting > 0) return B::DriftAt(g, drifting - 1);
    return B::RecombinationAt(g, recombining == 2 * g, recombining - 1);
  }
  friend bool operator==(const DrawPlan&, const DrawPlan&) = default;
};

// The random pairs of a generation of one deme with N finite, as the program's generator's
// words, in two halves: the generation reads one while the next generation's pairs, which
// depend on nothing the generation computes, are drawn into the other, so that the
// processor draws them while it still works through the generation's arithmetic. They
// are used when the generator still stands where they were drawn from.
struct WordsAhead {
  static constexpr size_t kSize = lanes::OneDeme::kMaxPairs;
  std::array<std::array<uint32_t, kSize>, 2> sign{};
  std::array<std::array<uint32_t, kSize>, 2> round{};
  int next = 0;     // the half drawn ahead
  DrawPlan plan{};  // its plan; none drawn while it draws nothing
  UniformGenerator::State from{};
  UniformGenerator::State to{};
};

// Working arrays of the operators: the amounts of one step for every deme, their random
// pairs and their samples. Sized once for the largest step (76 amounts in each of 100 demes).
struct StepBuffers {
  static constexpr size_t kSize = 2 * kMaxMutationPaths * kMaxDemes;
  std::vector<double> Amount = std::vector<double>(kSize);
  std::vector<double> Sampled = std::vector<double>(kSize);
  std::vector<float> Sign = std::vector<float>(kSize);
  std::vector<float> Round = std::vector<float>(kSize);
  // The same pairs as the program's generator's words (UniformGenerator::NextWord).
  std::vector<uint32_t> SignWord = std::vector<uint32_t>(kSize);
  std::vector<uint32_t> RoundWord = std::vector<uint32_t>(kSize);
  std::vector<double> Active = std::vector<double>(kMaxDemes);
  // Selection coefficient by genotype and deme, in the layout of the frequency table's
  // rows, when the demes select differently (runs side by side): set once per run.
  std::vector<double> Coefficient =
      std::vector<double>(static_cast<size_t>(kMaxGenotypes + 1) * lanes::kDemeStride);
  WordsAhead Ahead;
};

template <class Generator>
class BasicModel {
 public:
  explicit BasicModel(Generator& generator) : Random(&generator) { BuildGenotypeTables(); }

  // --- Genotype tables (written only by BuildGenotypeTables) ---------------------------
  int16_t AllelesNum = 2;  // number of loci: 2, or 3 for any other value
  int16_t AllelesTotal = 4;
  int16_t GenotypesNum = 4;
  int16_t MutationPathsNum = 10;
  // GenotypeAlleles[genotype 1..8][locus 1..3]: the allele carried at the locus.
  std::array<std::array<int16_t, kMaxLoci + 1>, kMaxGenotypes + 1> GenotypeAlleles{};
  // AlleleCarriers[allele 1..6][column 1..4]: the genotypes carrying it, ascending.
  std::array<std::array<int16_t, 5>, kMaxAlleles + 1> AlleleCarriers{};
  // MutationPaths[path 1..38][column 1..3]: from, to, mutation class.
  std::array<std::array<int16_t, 4>, kMaxMutationPaths + 1> MutationPaths{};
  // UppercaseCount[genotype 1..8]: the number of uppercase alleles, its selection class.
  std::array<int16_t, kMaxGenotypes + 1> UppercaseCount{};

  // --- State -----------------------------------------------------------------------------
  FrequencyTable Freq;
  // By allele number 1..6: the start allele frequencies (run set-up), then the allele
  // frequencies of the recombining pool of the last deme recombined.
  std::array<double, kMaxAlleles + 1> StartAlleleFreq{};

  // --- Values the operators read, filled by the run layer --------------------------------
  // Selection coefficients by number of uppercase alleles (1, 2, 3).
  double S = 0;
  double S2 = 0;
  double S3 = 0;
  // Fraction of the source genotype taking a mutation path, by class 1..12.
  std::array<double, kMutationClasses + 1> MutationTable{};
  // Recombining fraction of R- carriers, 0..1; compared with 0 in single precision.
  float Z = 0;
  // Number of demes, 1..100.
  int16_t Demes = 1;
  // Interdemic diffusion, 0..1.
  float Diffusion = 0;
  // N = 10^Log10N; read only while NInfinite is false.
  double PopulationN = 1;
  // The run mode has N infinite: sampling returns every amount untouched.
  bool NInfinite = true;
  // Value of the "Total stochasticity" check box: 0 clear, 1 ticked, 2 greyed. Only 0
  // makes the R- draw of a mutation path reuse the random pair of its R+ draw.
  int16_t TotalStochasticity = 0;
  // Runs side by side, each a deme of its own that differs from the others in S and K
  // alone: when true, each deme selects with the values SetDemeSelection gave it.
  bool SelectionByDeme = false;
  // Every parameter entry's number as the run read it, by box number (kEntryU, ...): an
  // operator reads a value it takes as it is from here, with no field of its own.
  std::array<double, kBoxNumbers> Entered{};

  // --- Sampling state ----------------------------------------------------------------------
  // The pair of the last draw: below 0.5 RndSign subtracts the deviation, RndRound decides
  // the rounding up. Kept until the next draw that does not reuse it.
  double RndSign = 0;
  double RndRound = 0;
  // When true, SampleAmount keeps the last pair instead of drawing. MutationStep passes
  // the reuse of its R- draws straight to its sampler, so this is false outside calls
  // that set it.
  bool ReuseRandom = false;

  Generator* Random;  // the program's generator, owned elsewhere

  StepBuffers Buffers;

  // --- Shared operations -------------------------------------------------------------------
  // Sets the counts and writes the index tables for AllelesNum loci (2, else 3).
  void BuildGenotypeTables();
  // S2 = ((1 + S)² - 1)·K and, with three loci, S3 = ((1 + S)³ - 1)·K·K; with two loci
  // S3 keeps its value.
  void UpdateSelection(double k);
  // Gives the deme the selection of S, S2 and S3 as they stand, for SelectionByDeme.
  void SetDemeSelection(int16_t deme);
  // The fraction of a genotype taking a path of each mutation class in one generation,
  // from the forward rate u and the back rate w; with two loci classes 7..12 keep theirs.
  void SetMutationRates(double u, double w);
  // Sum of Freq(slot, deme, c) over the carriers c of the allele, in column order.
  double AlleleFrequency(int16_t slot, int16_t deme, int16_t allele) const;
  // Linkage-equilibrium frequency of the genotype from StartAlleleFreq: p1·p2 (two loci)
  // or p1·p2·p3/total (three loci); scaled, divided once more by total².
  double EquilibriumFrequency(int16_t genotype, double total, bool scaled) const;
  // Clamps negative (and NaN) frequencies of slots firstSlot and firstSlot + 1 to 0 and
  // divides them by their sum unless it is exactly 1. A deme whose sum is 0 stays empty.
  void NormaliseDeme(int16_t deme, int16_t firstSlot);
  // An amount of frequency turned into a whole number of individuals of a population of
  // PopulationN (two-point approximation of binomial sampling); x itself when N is infinite.
  double SampleAmount(double x);

  // --- One generation ------------------------------------------------------------------------
  // Generation `generation` (1, 2, ...) of a run: the schedule of S, then recombination and
  // drift where switched on, selection, mutation and diffusion, in this order.
  void AdvanceGeneration(int generation, const GenerationSteps& steps);

  // --- Per-generation operators ------------------------------------------------------------
  // Each acts on demes 1..Demes in turn, draws in a fixed order (deme by deme, slot 0
  // before slot 1, genotypes and paths ascending) and normalises every deme it changed.
  // Recombination of R+ carriers and of the fraction Z of R- carriers; a deme whose
  // recombining pool is empty is skipped. Uses slot 2 as scratch and StartAlleleFreq.
  void RecombinationStep();
  // Resamples every frequency of slots 0 and 1.
  void DriftStep();
  // Adds the sampled increment Freq·S, S2 or S3 to genotypes 2..GenotypesNum.
  void SelectionStep();
  // Samples the amount of every path from the frequencies before any move, then moves
  // them in row order, capping the receiving frequency at 1 and the source at 0.
  void MutationStep();
  // With more than one deme: writes the mean of slots 0 and 1 over the demes to slots 3
  // and 4 of deme 1, and adds to every deme a sampled share Diffusion of that mean.
  void DiffusionStep();
};

extern template class BasicModel<UniformGenerator>;

// The model as the program uses it.
class Model final : public BasicModel<UniformGenerator> {
 public:
  using BasicModel::BasicModel;
};

}  // namespace quorvel
