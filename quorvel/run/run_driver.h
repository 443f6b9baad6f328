// The Start command of quorvel without its widgets: reads the entries into the run state
// and the model, builds the start frequencies, and performs the chosen run mode (a single
// run with N infinite or finite, the sweep over S and K, or the sweep over Log10(N)),
// drawing the curves on the picture box and writing the report files.
//
// The window's Start_Click copies its check boxes into RunState::Checks (the command
// passes TotalStochasticity on to the model), keeps the run mode flags (RunState and
// Model::NInfinite) as its option buttons set them, and then calls
// RunCommand(model, state, window). Everything else happens here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "quorvel/model/model.h"
#include "quorvel/run/report_files.h"
#include "quorvel/run/run_state.h"
#include "quorvel/run/run_window.h"

namespace quorvel {

inline constexpr const char* kValuesNeededMessage = "One or more value are needed!";
inline constexpr const char* kHaplotypeTotalMessage = "ab+Ab+aB+Ab frequencies <> 1!";
// The message of a report file that cannot be deleted, created or written.
std::string ReportFileFailedMessage(const std::string& path);

// The drawing colours of the curves: R+ carriers dark red (&HC0), R- carriers blue
// (&HFF0000).
inline constexpr common::Colour kRPlusColour = 0xC0;
inline constexpr common::Colour kRMinusColour = 0xFF0000;

// The selection coefficient follows sin(pi * Generation / InversionPeriod); the angle uses
// 2*pi cut to 15 significant digits.
inline constexpr double kTwoPi15 = 6.28318530717958;

// One Start command. Its procedures take no arguments and communicate through the model,
// the run state and the drawing fields below.
class RunDriver {
 public:
  RunDriver(Model& model, RunState& state, RunWindow& window);
  ~RunDriver();
  RunDriver(const RunDriver&) = delete;
  RunDriver& operator=(const RunDriver&) = delete;

  // What Start_Click does after copying the check boxes and the run mode.
  void StartCommand();

  void ReadParameters();
  // Fills the frequency table with the start state; raises StartFreqError (after the
  // message) when the haplotype frequencies do not total 1.
  void SetStartFrequencies();
  // Sets S2 (and S3 with three loci) from S and K.
  void UpdateSelection();
  // One run of MaxGen generations; leaves its outcome in RunState::RPlusFreq.
  void RunGenerations();
  // Sets PopulationN and the mutation table for the run.
  void PrepareRun();
  // Draws one generation, records RPlusFreq and, in a single run, writes its report line.
  void PlotGeneration();
  // Recreates ReportFile<n>; false (after the message) when that fails.
  bool OpenReportFile(int16_t n);

  // The clock the Log10(N) loop reseeds the generator from (seconds since midnight).
  void SetClock(std::function<float()> clock) { clock_ = std::move(clock); }
  // True once a report file has failed; the command then ends.
  bool Failed() const { return failed_; }

 private:
  // Curve j (1 to 2 x GenotypesNum) of the generation being drawn.
  void PlotPoint(int16_t j);
  void SingleRun();
  void SelectionLoop();
  void PopulationLoop();
  void ClearPicture(bool force);
  bool WriteReport(int16_t n, std::string_view line);
  void ReportFailure();
  double EntryValue(int index) const;

  Model& model_;
  RunState& state_;
  RunWindow& window_;
  common::DrawingSurface& picture_;  // the window's picture box, drawn on every generation
  ReportFiles files_;
  std::function<float()> clock_;
  bool failed_ = false;

  // Drawing of the current run.
  double plotX_ = 0;
  double plotXPrev_ = 0;
  double plotYPrev_[17] = {};
  double cumFreq_ = 0;
  double plotHeight_ = 0;  // scale height of the picture box, read once per generation
  std::string reportLine_;
};

// The run mode of run-mode option button `option` (0 to 3): the mode flags, whether N is
// infinite, and "Genetic drift" ticked for the modes with a finite population (cleared
// for the others), as the choice of the button sets them.
void ChooseRunMode(int option, RunState& state, Model& model);

// The whole Start command after the widget part of Start_Click.
void RunCommand(Model& model, RunState& state, RunWindow& window);

// Mean and S.D. of the outcomes of one Log10(N) value, from their sum and sum of squares.
// The S.D. is 0 when rounding makes the variance negative and when there are fewer than
// two outcomes; the mean of no outcome is 0.
struct MeanAndDeviation {
  double Mean;
  double Deviation;
};
MeanAndDeviation OutcomeStatistics(double sum, double sumOfSquares, int count);

}  // namespace quorvel
