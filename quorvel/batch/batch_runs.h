// The runs of a batch command. A sweep is a plan of independent runs (the 820 pairs of S
// and K, or every replicate of every Log10(N) value); any run can be computed on any thread
// from the parameter set, the command's seed and its index in the plan, and the report
// files are written from the outcomes taken back in plan order. Single runs go through
// the window's run driver as a whole Start command.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "quorvel/batch/batch_parameters.h"
#include "quorvel/model/model.h"
#include "quorvel/run/report_files.h"
#include "quorvel/run/run_core.h"
#include "quorvel/run/run_driver.h"
#include "quorvel/run/run_state.h"

namespace quorvel::batch {

// The plan of a sweep, in the order the window runs it.
struct SweepPlan {
  RunMode Mode = RunMode::SkSweep;
  SelectionSweepPlan Selection;    // S-K sweep
  PopulationSweepPlan Population;  // N sweep

  size_t RunCount() const {
    return Mode == RunMode::SkSweep ? Selection.Runs() : Population.Runs();
  }
};
SweepPlan MakePlan(const ParameterValues& set, RunMode mode);

// The runs of the plan done so far, outcomes[i] being run i's, as the window's run driver
// records a sweep.
CommandRecord SweepRecord(const SweepPlan& plan, const std::vector<double>& outcomes);

// The set as the run core and the window's run driver read it.
quorvel::ParameterSet CoreSet(const ParameterValues& set);

// The runs a shard holds: index-th (1 to count) of count balanced parts of the plan.
struct RunRange {
  size_t First = 0;
  size_t End = 0;  // one past the last
};
RunRange ShardRange(size_t runs, int index, int count);

// What one run of a sweep leaves for the reports and the provenance.
struct RunResult {
  double Outcome = 0;    // the final total frequency of R+
  bool Extinct = false;  // every deme emptied: the outcome 0 says nothing of R+
};

// The runs of one thread: the run inputs the entries give, varied per run of the plan.
class RunContext {
 public:
  RunContext(const ParameterValues& set, RunMode mode);

  // The message of the start set-up when it refuses the start frequencies; empty if none.
  std::string CheckStartFrequencies() const;
  // Run `index` of the plan.
  RunResult Run(const SweepPlan& plan, size_t index, uint64_t seed) const;

 private:
  RunInputs inputs_;
};

// A single run: the message the command showed (a report file that could not be
// written), empty when none, the first generation with no individual left (0: none), the
// generations it went through and whether it ran to its end.
struct SingleResult {
  std::string Message;
  int ExtinctAt = 0;
  int Generations = 0;
  bool Complete = false;
};
// A single run as the window's Start command does it, writing ReportFile1 to `folder`; the
// finite run draws from a generator seeded with `seed`. Raising `stop` ends it after the
// generation in progress, as the window's Esc does.
SingleResult RunSingle(const ParameterValues& set, RunMode mode, const std::string& folder,
                       uint64_t seed, const std::atomic<bool>& stop);

// ReportFile2 (and ReportFile3 for the N sweep) written from the outcomes in plan order,
// line for line as the window writes them.
class SweepReport {
 public:
  SweepReport(const SweepPlan& plan, const ParameterValues& set);
  // Recreates the files in the folder (the command's temporary folder, whose files take
  // their names only when complete); false when one cannot be created.
  bool Open(const std::string& folder);
  // The outcome of the next run of the plan.
  bool Add(double outcome);
  // Closes the files; false when a write or the close failed.
  bool Close();
  const std::string& FailedPath() const { return files_.FailedPath(); }

 private:
  bool Write(int n, const std::string& line);

  const SweepPlan& plan_;
  double u_ = 0;
  ReportFiles files_;
  size_t next_ = 0;
  std::vector<double> valueOutcomes_;  // of the current Log10(N) value
  bool failed_ = false;
};

}  // namespace quorvel::batch
