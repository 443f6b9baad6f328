// One run of quorvel's model as a function of its inputs: the start state, the per-run
// values (N and the mutation table), then MaxGen generations, each handed to a sink as a
// row of cumulative frequencies. A run owns its model and draws from the generator it is
// given, so runs on different threads with different generators do not meet.
//
// The sweeps are plans of such runs: the S-K sweep's (S, K) pairs and the N sweep's
// Log10(N) values with their replicates, and the lines their report files get from the
// outcomes in run order. The window, the command-line program and a merge of shards all
// write their reports through these, so they write the same bytes.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "quorvel/model/model.h"
#include "quorvel/model/uniform_generator.h"
#include "quorvel/params/parameter_set.h"

namespace quorvel {

// The start state: allele frequencies at linkage equilibrium, or (two loci) four
// haplotype frequencies, each genotype split between R+ and R- by the start frequency of R+.
struct StartInputs {
  bool Haplotypes = false;                // "Linkage disequilibrium" not clear
  std::array<double, 3> Alleles{};        // start frequencies of a, b, c
  std::array<double, 4> HaplotypeFreq{};  // ab, Ab, aB, AB
  double RPlus = 0;                       // start frequency of R+
  friend bool operator==(const StartInputs&, const StartInputs&) = default;
};

struct RunInputs {
  int16_t Loci = 2;     // AllelesNum: 2, or 3 for any other value
  double U = 0;         // forward mutation rate
  double W = 0;         // back mutation rate
  double S = 0;         // selection coefficient at the start of the run
  double K = 0;         // epistasis
  double EnteredS = 0;  // the S entry: the sinusoidal variation of S starts from it
  int16_t MaxGen = 0;
  float Z = 0;
  int16_t Demes = 1;
  float Diffusion = 0;
  int16_t InversionPeriod = 0;
  bool NInfinite = true;
  float Log10N = 0;  // N = 10^Log10N when N is finite
  CheckBoxes Checks;
  StartInputs Start;
  // Every parameter entry's number as the run read it, by box number: a value the model
  // takes as it is needs no field of its own (the sweeps change S, K and Log10N above).
  std::array<double, kBoxNumbers> Entered{};
  friend bool operator==(const RunInputs&, const RunInputs&) = default;
};

// The run's inputs as the entries give them, each read by its leading number and kept in
// the type the model uses; the number of demes is kept within what the frequency table
// holds. Loci, N and Log10N come from the window's state, not from the entries.
RunInputs ReadRunInputs(const ParameterSet& set, int16_t loci, bool nInfinite, float log10N);

// Whether the typed haplotype frequencies may start a run: they must total 1 as the total's
// text reads it (the window's Total display). Always true at linkage equilibrium.
bool StartStateAccepted(const RunInputs& inputs);

// One generation of a run: the frequency of each of the 2 x GenotypesNum curves' genotypes
// and the cumulative frequency after each curve, R+ carriers first. With several demes these are
// the means over the demes.
struct GenerationRow {
  int16_t Generation = 0;  // 1 to MaxGen
  int Curves = 0;          // 8 with two loci, 16 with three
  std::array<double, 2 * kMaxGenotypes> Cumulative{};
  // The frequency of each curve's genotype alone, in the same order.
  std::array<double, 2 * kMaxGenotypes> Frequency{};
  double RPlusFreq() const { return Cumulative[static_cast<size_t>(Curves / 2 - 1)]; }
  // No individual left in any deme: the last cumulative frequency is the total.
  bool Extinct() const { return Cumulative[static_cast<size_t>(Curves - 1)] == 0; }
  friend bool operator==(const GenerationRow&, const GenerationRow&) = default;
};

// The row of the generation the model has just finished.
GenerationRow MakeRow(const Model& model, int16_t generation);
// The same of one deme alone (1 to Demes), a run of runs side by side.
GenerationRow MakeDemeRow(const Model& model, int16_t generation, int deme);

// Where a run's generations go. The run asks after every generation whether to stop.
class RunSink {
 public:
  virtual ~RunSink() = default;
  virtual void Generation(const GenerationRow& row) = 0;
  // True ends the run after the generation just handed over.
  virtual bool StopRequested() const { return false; }
};

// A sink that keeps nothing.
class NoSink : public RunSink {
 public:
  void Generation(const GenerationRow&) override {}
};

struct RunOutcome {
  double RPlusFreq = 0;  // total frequency of R+ at the last generation done
  int16_t GenerationsDone = 0;
  bool Stopped = false;  // the sink ended the run before MaxGen
  // The first generation that left no individual in any deme (the outcome 0 then says
  // nothing of R+); 0 when the population lived on.
  int16_t ExtinctAt = 0;
  // The first generation at which R+ held the whole living population, and the first at
  // which none was left of it; 0 when it never happened.
  int16_t RPlusFixedAt = 0;
  int16_t RPlusLostAt = 0;
  friend bool operator==(const RunOutcome&, const RunOutcome&) = default;
};

// Sets the model for a run: genotype tables, operator values, N and the mutation table.
void PrepareRun(Model& model, const RunInputs& inputs);
// Fills the frequency table with the start state (the haplotype total is not checked here).
void SetStartFrequencies(Model& model, const RunInputs& inputs);

// One run in a model of its own, drawing from `generator`.
RunOutcome Run(const RunInputs& inputs, UniformGenerator& generator, RunSink& sink);
// One run in the given model, drawing from the model's generator; the model keeps the
// state of the last generation, and S, S2 and S3 as the run found them.
RunOutcome RunIn(Model& model, const RunInputs& inputs, RunSink& sink);

// Runs side by side: deterministic runs of one deme that differ in S and K alone go
// through the model together, each a deme of its own that exchanges no genes, so that the
// array kernels work on several runs at once. Each outcome is the one RunIn gives that run.
// How many to put together: a vector register's worth of demes, or 1 on the portable
// kernels, which take the demes one at a time and gain nothing by it.
size_t RunsSideBySideAtMost();
// Whether `inputs` may run beside others, and whether `other` may run beside it.
bool RunsSideBySide(const RunInputs& inputs);
bool RunsSideBySide(const RunInputs& inputs, const RunInputs& other);
// The runs (each beside the first, up to RunsSideBySideAtMost() of them) in the given model. The
// sink sees the first run's generations and may stop them all.
std::vector<RunOutcome> RunSideBySide(Model& model, const std::vector<RunInputs>& runs,
                                      RunSink& sink);

// --- The S-K sweep (N infinite) ---------------------------------------------------------------
// S from 0.01 to 0.2 and, for each, K from 0.8 to 1.2, both by steps of 0.01 added up in
// double precision; the limits 0.2001 and 1.2001 let the last nominal values pass despite
// the rounding: 20 values of S, 41 of K, 820 runs, S by S.
struct SelectionSweepPlan {
  std::vector<double> S;
  std::vector<double> K;  // the same for every S
  size_t Runs() const { return S.size() * K.size(); }
};
SelectionSweepPlan MakeSelectionSweepPlan();

// ReportFile2 of the S-K sweep: per S a heading, the line of each K, and a line holding one
// blank.
std::string SelectionHeading(double u, double s);
std::string SelectionLine(double k, double rPlusFreq);

// --- The N sweep ----------------------------------------------------------------------------
// Log10(N) from the first value to the last by steps of 0.5 (float32), `iterations`
// replicates each.
struct PopulationSweepPlan {
  std::vector<float> Log10N;
  int Iterations = 0;
  size_t Runs() const { return Log10N.size() * static_cast<size_t>(std::max(Iterations, 0)); }
};
PopulationSweepPlan MakePopulationSweepPlan(float first, float last, int iterations);

// ReportFile2 of the N sweep: per Log10(N) a heading, each replicate's outcome, and a line
// holding one blank; ReportFile3: a header, then per Log10(N) its mean and S.D.
inline constexpr const char* kPopulationStatisticsHeader = "N\tMean\tS.D.";
std::string PopulationHeading(float log10N);
std::string OutcomeLine(double rPlusFreq);
// From the outcomes of one Log10(N) value in run order.
std::string PopulationStatisticsLine(float log10N, const std::vector<double>& outcomes);

// The line that closes a block of ReportFile2.
inline constexpr const char* kBlockEnd = " ";

// Mean and S.D. of the outcomes of one Log10(N) value, from their sum and sum of squares.
// The S.D. is 0 when rounding makes the variance negative and when there are fewer than
// two outcomes; the mean of no outcome is 0.
struct MeanAndDeviation {
  double Mean;
  double Deviation;
};
MeanAndDeviation OutcomeStatistics(double sum, double sumOfSquares, int count);

// The one writer of a sweep's reports: ReportFile2 (and, for the N sweep, ReportFile3) line
// by line from the outcomes of the runs in plan order, for the window, the batch program and
// the merge of shards alike. `write` takes a line of file 2 or 3 and returns false when it
// could not be written; every call returns false from then on.
class SweepReportLines {
 public:
  using Writer = std::function<bool(int file, std::string_view line)>;
  SweepReportLines(const SelectionSweepPlan& plan, double u, Writer write);
  SweepReportLines(const PopulationSweepPlan& plan, Writer write);
  // The header of ReportFile3 (nothing for the S-K sweep).
  bool Begin();
  // The heading of the run's block when the run is the first of its block and the heading
  // is not written yet: a window writes it as the block's first run starts.
  bool Heading(size_t run);
  // The outcome of the next run: a block's heading before its first run, its closing line
  // (and the statistics line) after its last.
  bool Add(double rPlusFreq);

 private:
  bool Write(int file, std::string_view line);

  const SelectionSweepPlan* selection_ = nullptr;
  const PopulationSweepPlan* population_ = nullptr;
  double u_ = 0;
  Writer write_;
  size_t next_ = 0;
  size_t headed_ = SIZE_MAX;   // the block whose heading is written
  std::vector<double> block_;  // the outcomes of the current Log10(N) value
  bool failed_ = false;
};

}  // namespace quorvel
