// The Start command of quorvel without its widgets: validates and reads the entries,
// checks the start state, and performs the chosen run mode (a single run with N infinite
// or finite, the sweep over S and K, or the sweep over Log10(N)) through the run core,
// drawing each run's curves on the picture box, showing the sweeps' progress and writing
// the report files.
//
// The window's Start_Click copies its check boxes into RunState::Checks, keeps the run
// mode (RunState::Mode and Model::NInfinite) as its option buttons set it, and then
// calls RunCommand(model, state, window). The model is the window's: its generator is the
// program's, and after a command it holds the state of the last run.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "quorvel/model/model.h"
#include "quorvel/run/curve_plotting.h"
#include "quorvel/run/report_files.h"
#include "quorvel/run/run_core.h"
#include "quorvel/run/run_state.h"
#include "quorvel/run/run_window.h"

namespace quorvel {

inline constexpr const char* kHaplotypeTotalMessage = "ab+Ab+aB+Ab frequencies <> 1!";
// The message of a report file that cannot be deleted, created or written.
std::string ReportFileFailedMessage(const std::string& path);

class RunDriver {
 public:
  RunDriver(Model& model, RunState& state, RunWindow& window);
  ~RunDriver();
  RunDriver(const RunDriver&) = delete;
  RunDriver& operator=(const RunDriver&) = delete;

  // What Start_Click does after copying the check boxes and the run mode.
  void StartCommand();

  // The clock the Log10(N) loop takes its seed from (seconds since midnight), mixed into
  // the program's generator.
  void SetClock(std::function<float()> clock) { clock_ = std::move(clock); }
  // The threads a sweep's runs share (a single run takes one); every core by default.
  void SetThreads(unsigned threads) { threads_ = threads; }
  // True once a report file has failed; the command then ends.
  bool Failed() const { return failed_; }
  // True when the command ended early at the user's request.
  bool Stopped() const { return stopped_; }
  // Runs of the command, ended, whose population died out.
  int ExtinctRuns() const { return extinctRuns_; }

 private:
  class Sink;
  class RowKeeper;
  struct SweepRun;

  void SingleRun();
  void SelectionLoop();
  void PopulationLoop();
  // One run of the command; its outcome goes to RunState::RPlusFreq.
  void RunOne(const RunInputs& inputs);
  // The runs of a sweep, in run order: `setup` gives run i its inputs and generator (it may
  // be called on other threads), `begin` shows that run i is the one on view, `end` takes
  // its outcome (RunState::RPlusFreq) and returns false to end the sweep. With one thread
  // each run is drawn as it goes; with more, the runs go on every thread and each is drawn
  // from its rows when its turn comes. A stop or a failure ends the sweep after the runs
  // in progress, whose outcomes are not taken.
  struct SweepSteps {
    std::function<RunInputs(size_t run, UniformGenerator& generator)> setup;
    std::function<bool(size_t run)> begin;
    std::function<bool(size_t run)> end;
  };
  void RunSweep(size_t count, const SweepSteps& steps);
  void RunSweepInParallel(size_t count, const SweepSteps& steps);
  // Takes what a run came to into the run state; a stopped run stops the command.
  void TakeOutcome(const RunOutcome& outcome);
  void ClearPicture(bool force);
  bool OpenReportFile(int n);
  bool WriteReport(int n, std::string_view line);
  void ReportFailure();

  Model& model_;
  RunState& state_;
  RunWindow& window_;
  common::DrawingSurface& picture_;  // the window's picture box, drawn on every generation
  ReportFiles files_;
  std::function<float()> clock_;
  unsigned threads_ = 1;
  bool failed_ = false;
  bool stopped_ = false;
  int extinctRuns_ = 0;
  ParameterSet entries_;  // as the validation pass left them
  RunInputs inputs_;
};

// The run mode as its option button sets it: the mode, whether N is infinite, and
// "Genetic drift" ticked for the modes with a finite population (cleared for the others).
void ChooseRunMode(RunMode mode, RunState& state, Model& model);

// The whole Start command after the widget part of Start_Click.
void RunCommand(Model& model, RunState& state, RunWindow& window);

}  // namespace quorvel
