// The arithmetic of the per-generation operators over whole arrays, the demes side by side
// in vector lanes, in one build for each instruction set the processor may offer. The
// operators of the model (model_impl.h) choose the random numbers' order and call these
// kernels for everything else (the one-deme kernel also steps the generator for the next
// generation's pairs, in the order the model gives it); every kernel gives the same bits on
// every path, since IEEE addition, multiplication, division, square root, floor and ceiling
// round alike in scalar and vector registers and no multiply-add is ever fused.
#pragma once

#include <cstdint>

namespace quorvel::lanes {

// Deme lanes of the frequency table: cell (slot, genotype, deme) at
// (slot * kGenotypeRows + genotype) * kDemeStride + deme.
inline constexpr int kGenotypeRows = 9;
inline constexpr int kDemeStride = 104;

// What one operator works on. Blocks of amounts hold one row of Demes lanes per item
// (item k of deme g at k * demes + g - 1), items in the order the deme draws them.
struct StepArrays {
  double* freq = nullptr;
  int demes = 1;
  int loci = 2;
  double* amount = nullptr;         // written by the Prepare kernels
  const double* sampled = nullptr;  // the amounts after sampling, read by the Apply kernels
  // Recombination: 1 where the deme's pool is not empty (it draws and changes), else 0.
  double* active = nullptr;
  float z = 0;                          // recombining fraction of R- carriers
  const double* coefficient = nullptr;  // selection by genotype 1..8
  // Or by genotype and deme (cell (genotype, deme) at genotype * kDemeStride + deme).
  const double* demeCoefficient = nullptr;
  const double* rate = nullptr;  // mutation fraction by path 1..38
  double diffusion = 0;
};

// Where a one-deme generation's random pairs lie in OneDeme::sign and round: a block for each
// operator, its pairs in the lanes of the amounts they sample (the deme's lanes, slot 0's
// genotypes then slot 1's; mutation's by path and slot), so that the kernel loads them
// straight into those lanes.
struct PairBlocks {
  static constexpr int Recombination(int) { return 0; }
  static constexpr int Drift(int genotypes) { return 2 * genotypes; }
  static constexpr int Selection(int genotypes) { return 4 * genotypes; }
  static constexpr int Mutation(int genotypes) { return 6 * genotypes; }
  // Where each operator's pair k lies, k counting its pairs in the order they are drawn.
  // Recombination draws by genotype, then slot (the pool's two) or R+ alone; selection skips
  // each slot's first genotype.
  static constexpr int RecombinationAt(int genotypes, bool pool, int k) {
    return pool ? k % 2 * genotypes + k / 2 : k;
  }
  static constexpr int DriftAt(int genotypes, int k) { return Drift(genotypes) + k; }
  static constexpr int SelectionAt(int genotypes, int k) {
    return Selection(genotypes) + k / (genotypes - 1) * genotypes + k % (genotypes - 1) + 1;
  }
  static constexpr int MutationAt(int genotypes, int k) { return Mutation(genotypes) + k; }
};

// One generation (or one operator) of a population of one deme: its frequencies stay in
// registers from one operator to the next, and with N finite each operator samples all its
// amounts at once.
struct OneDeme {
  double* freq = nullptr;
  int loci = 2;
  float z = 0;  // recombining fraction of R- carriers
  // The operators to apply, in the model's order.
  bool recombination = false;
  bool drift = false;
  bool selection = false;
  bool mutation = false;
  const double* coefficient = nullptr;  // selection by genotype 1..8
  const double* rate = nullptr;         // mutation fraction by path 1..38
  // The size of the blocks of a generation's pairs (PairBlocks), the last one's vectors whole.
  static constexpr int kMaxPairs = 128;
  // N finite: the random pair of every amount of the operators, as UniformGenerator's words,
  // in their blocks (PairBlocks); null with N infinite.
  const uint32_t* sign = nullptr;
  const uint32_t* round = nullptr;
  double populationN = 0;
  // Whether the pairs begin with recombination's, which a deme draws when its pool is not
  // empty.
  bool poolDrawn = true;
  double* alleleFreq = nullptr;  // the recombining pool's allele frequencies 1..6, written
  // N finite: the next generation's pairs, drawn from the generator state `state` (advanced
  // here) into `nextSign` and `nextRound`, in their blocks, each operator's while its own
  // sampling runs: they depend on nothing the generation computes. They are those of the
  // same operators, in the model's order (DrawPlan::Positions), mutation's amounts sharing
  // a pair in twos when `nextPaired`. Nothing is drawn when the kernel returns false, nor
  // for recombination when its pool is empty: an empty pool stays empty, and the model
  // draws such a generation's pairs afresh.
  uint32_t* nextSign = nullptr;
  uint32_t* nextRound = nullptr;
  bool nextPaired = false;
  uint32_t* state = nullptr;  // four words
};

struct Kernels {
  // SampleAmount over n amounts with the random pairs (sign[i], round[i]).
  void (*Sample)(const double* x, const float* sign, const float* round, double* out, int n,
                 double populationN);
  // The same with the random pairs as UniformGenerator's words (NextWord), made into their
  // numbers (Uniform) here, many at a time.
  void (*SampleWords)(const double* x, const uint32_t* sign, const uint32_t* round, double* out,
                      int n, double populationN);
  void (*RecombinePrepare)(const StepArrays&);
  void (*RecombineApply)(const StepArrays&);
  void (*DriftApply)(const StepArrays&);
  void (*SelectPrepare)(const StepArrays&);
  void (*SelectApply)(const StepArrays&);
  void (*MutatePrepare)(const StepArrays&);
  void (*MutateApply)(const StepArrays&);
  void (*DiffusePrepare)(const StepArrays&);
  void (*DiffuseApply)(const StepArrays&);
  // False, having changed only the scratch slot and the allele frequencies, when the pool
  // turns out empty though its pairs were drawn: the caller draws again without them.
  bool (*OneDemeSteps)(const OneDeme&);
};

// The instruction sets, from the portable one up.
enum class Path { Portable, Avx2, Avx512 };

// The kernels of the path in use: the best the processor offers, or the one named by the
// environment variable QUORVEL_SIMD (portable, avx2 or avx512; read once) when the
// processor has it.
const Kernels& Active();
Path ActivePath();
bool Available(Path path);
// Chooses the path for the rest of the process (tests and benchmarks compare them); false,
// and nothing changed, when the processor lacks it.
bool Use(Path path);
const char* Name(Path path);

// The kernels of each path, built where the compiler and platform allow.
const Kernels& PortableKernels();
const Kernels& Avx2Kernels();
const Kernels& Avx512Kernels();

}  // namespace quorvel::lanes
