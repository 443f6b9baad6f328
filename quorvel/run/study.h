// Studies: any parameters of quorvel over a grid, with replicates. A study is a base
// parameter set, one to four varied parameters (the grid is their cross product in the
// order given, the first varying slowest), a number of replicates per grid point, N infinite
// or finite, and a seed. Every grid point passes through the window's own validation pass
// before anything runs; every run is a pure function of the study and of its place in the
// grid, so runs go on any thread or machine and come back in grid order.
//
// The window's Study dialog, the batch program's study mode and the two sweeps (the S-K
// sweep varies S and K with N infinite, the N sweep varies log10n with replicates) all run
// through this one engine.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "quorvel/params/parameter_file.h"
#include "quorvel/run/run_core.h"

namespace quorvel {

inline constexpr size_t kMaxVariedParameters = 4;

// One varied parameter: a name of --list and its values in order, each as the text a
// --set of that name takes (numbers in their shortest exact form, on/off, 2/3 for loci).
struct VariedParameter {
  std::string Name;
  std::vector<std::string> Values;
  friend bool operator==(const VariedParameter&, const VariedParameter&) = default;
};

struct StudyDefinition {
  ParameterValues Base;  // what the entries (or --set and --params) give
  std::vector<VariedParameter> Varied;
  int Replicates = 1;
  bool Finite = false;  // a finite population; implied when log10n is varied
  uint64_t Seed = 0;    // replicate r of point p draws from ReplicateSeed(Seed, p, r)
  // The sinusoidal variation of S starts from the base set's S rather than the point's, as
  // in the S-K sweep, whose sweep values of S never reach the S entry.
  bool KeepEnteredS = false;

  bool FinitePopulation() const;
  size_t PointCount() const;  // the product of the numbers of values
  size_t RunCount() const;    // points x replicates
  friend bool operator==(const StudyDefinition&, const StudyDefinition&) = default;
};

// The values of FROM:TO:STEP: FROM, then steps added up in double precision while the value
// stays within TO; the last value is kept when it lies within a thousandth of a step beyond
// TO. False with a message for a step of 0, a step that leads away from TO, or more values
// than a study can hold.
bool RangeValues(double from, double to, double step, std::vector<double>& values,
                 std::string& message);

// "NAME=FROM:TO:STEP" or "NAME=V1,V2,...". Checks the name (an unknown one gets the nearest
// valid name), that a switch gets on/off (loci 2/3) and an entry numbers, and that a range
// is well formed; the values' bounds are the grid check's business. False with a message.
bool ParseVariedParameter(std::string_view text, VariedParameter& parameter, std::string& message);

// The form of a definition, before any grid point is looked at: 1 to 4 varied parameters,
// none twice, at least one value each, at least one replicate, and more than one only with
// a finite population. Empty when the form is sound.
std::string DefinitionRefusal(const StudyDefinition& definition);

// The value indexes of a grid point (from 0), one per varied parameter.
std::vector<size_t> PointValueIndexes(const StudyDefinition& definition, size_t point);

// Where a run stands in the grid, all from 0; runs are point by point, replicate by
// replicate.
struct RunPlace {
  size_t Run = 0;
  size_t Point = 0;
  size_t Replicate = 0;
  friend bool operator==(const RunPlace&, const RunPlace&) = default;
};
RunPlace PlaceOf(const StudyDefinition& definition, size_t run);

// The seed of a run of a finite population: its generator is UniformGenerator::FromSeed of
// it, so a single finite run with this seed and the point's values repeats it alone.
uint64_t RunSeed(const StudyDefinition& definition, const RunPlace& place);

// What the grid check found: the corrections the validation pass made, each once per
// parameter and value ("K: 1.5 -> 1.4 (upper bound)"), and the refusal of the whole study
// naming its first refused point and the reason (empty when every point can run).
struct StudyCheck {
  std::vector<std::string> Corrections;
  std::string Refusal;
};

// A study whose every grid point has passed the validation pass; its runs' inputs come
// from the validated points. Cheap to share between threads (read only).
class Study {
 public:
  // Checks the definition's form and every grid point. Null with check.Refusal set when
  // the study cannot run.
  static std::shared_ptr<const Study> Prepare(const StudyDefinition& definition, StudyCheck& check);

  const StudyDefinition& Definition() const { return definition_; }
  size_t PointCount() const { return definition_.PointCount(); }
  size_t RunCount() const { return definition_.RunCount(); }
  int Loci(size_t point) const;

  // The values of a point as validated, one text per varied parameter (switches as
  // on/off).
  std::vector<std::string> PointValues(size_t point) const;
  // The inputs of every run of a point.
  RunInputs PointInputs(size_t point) const;

  struct Impl;
  explicit Study(StudyDefinition definition);
  ~Study();

 private:
  bool ValidateByValue(StudyCheck& check);
  bool ValidateByPoint(StudyCheck& check);

  StudyDefinition definition_;
  std::unique_ptr<Impl> impl_;
};

// What one run of a study came to.
struct StudyOutcome {
  RunPlace Place;
  uint64_t Seed = 0;  // RunSeed of a finite run; 0 with N infinite (no draws)
  bool Finite = false;
  int Loci = 2;
  double FinalRPlus = 0;  // total frequency of R+ at the last generation
  int Generations = 0;    // generations done
  // The first generation at which R+ is fixed (no R- left) or lost (no R+ left) while
  // individuals remain, and the first with none left in any deme; 0 when it never happens.
  int RPlusFixedAt = 0;
  int RPlusLostAt = 0;
  int ExtinctAt = 0;
  // Final frequencies of the alleles A, B and C among all individuals (C only with three
  // loci); not defined once the population has died out.
  std::array<double, 3> FinalAllele{};
  bool AllelesDefined() const { return ExtinctAt == 0; }
  friend bool operator==(const StudyOutcome&, const StudyOutcome&) = default;
};

// One run of a study on the calling thread; the sink sees every generation and may stop
// the run (its outcome is then partial).
StudyOutcome RunStudyRun(const Study& study, size_t run, RunSink& sink);

// Follows a running study. Every call comes on the thread that runs the study, in grid
// order.
class StudyObserver {
 public:
  virtual ~StudyObserver() = default;
  // Takes the outcome of the next run; false ends the study after the runs in flight (a
  // file that cannot be written).
  virtual bool RunEnded(const StudyOutcome& outcome) = 0;
  // Asked before every run is handed over and at least ten times a second; true ends the
  // study: the runs in flight stop after their current generation and are not handed over.
  virtual bool StopRequested() { return false; }
};

// The runs of a study from First to End - 1 (a shard, or all of them).
struct RunRange {
  size_t First = 0;
  size_t End = 0;  // one past the last
  size_t Count() const { return End - First; }
};
// The index-th (1 to count) of count balanced parts of `runs` runs.
RunRange ShardRange(size_t runs, int index, int count);

struct StudyProgress {
  size_t Done = 0;     // runs handed over
  size_t Extinct = 0;  // of those, the runs whose population died out
  bool Stopped = false;
};

// Runs the range on `threads` threads (at least one) and hands each outcome to the
// observer in grid order. Memory stays bounded whatever the number of runs.
StudyProgress RunStudy(const Study& study, RunRange range, unsigned threads,
                       StudyObserver& observer);

// The statistics of one grid point over its runs (summary.csv, the charts).
struct PointSummary {
  size_t Runs = 0;
  double Mean = 0;
  // S.D., S.E. and the 95% confidence interval of the mean (Student's t) need two runs.
  bool Spread = false;
  double Deviation = 0;
  double Error = 0;
  double Ci95Low = 0;
  double Ci95High = 0;
  size_t Fixed = 0;
  size_t Lost = 0;
  size_t Extinct = 0;
  double MeanFixedAt = 0;  // defined when Fixed > 0
  double MeanLostAt = 0;   // defined when Lost > 0
};

// Adds up the outcomes of one point as they come (nothing is kept per run).
class PointAccumulator {
 public:
  void Add(const StudyOutcome& outcome);
  PointSummary Summary() const;
  void Clear() { *this = PointAccumulator(); }

 private:
  size_t runs_ = 0;
  double mean_ = 0;
  double m2_ = 0;  // sum of squared deviations from the mean (Welford)
  size_t fixed_ = 0, lost_ = 0, extinct_ = 0;
  double fixedAtSum_ = 0, lostAtSum_ = 0;
};

}  // namespace quorvel
