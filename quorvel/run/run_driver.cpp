#include "quorvel/run/run_driver.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "common/number_text.h"
#include "common/power.h"
#include "platform/files.h"

namespace quorvel {
std::string ReportFileFailedMessage(const std::string& path) {
  return "The report file " + path + " cannot be written!";
}

MeanAndDeviation OutcomeStatistics(double sum, double sumOfSquares, int count) {
  if (count < 1) return {0, 0};
  const double n = count;
  const double mean = sum / n;
  if (count < 2) return {mean, 0};
  const double variance = (sumOfSquares - common::Power(sum, 2) / n) / (n - 1);
  // All outcomes equal but not exactly representable can round the variance below 0.
  return {mean, variance > 0 ? std::sqrt(variance) : 0};
}

RunDriver::RunDriver(Model& model, RunState& state, RunWindow& window)
    : model_(model),
      state_(state),
      window_(window),
      picture_(window.Picture()),
      clock_(platform::SecondsSinceMidnight) {}

RunDriver::~RunDriver() {
  files_.CloseAll();
}

double RunDriver::EntryValue(int index) const {
  return common::ParseLeadingNumber(window_.EntryText(index));
}

void RunDriver::ReadParameters() {
  state_.U = EntryValue(kEntryU);
  state_.W = EntryValue(kEntryW);
  model_.S = EntryValue(kEntryS);
  state_.K = EntryValue(kEntryK);
  UpdateSelection();
  state_.MaxGen = common::ToInt16(EntryValue(kEntryMaxGen));
  model_.Z = static_cast<float>(EntryValue(kEntryZ));
  state_.Iterations = common::ToInt16(EntryValue(kEntryIterations));
  state_.Log10NEntered = static_cast<float>(EntryValue(kEntryLog10N));
  // The validation pass keeps the number of demes within 1 to 100; the frequency table
  // holds no more, so the run never relies on that alone.
  model_.Demes = std::clamp<int16_t>(common::ToInt16(EntryValue(kEntryDemes)), 1, 100);
  model_.Diffusion = static_cast<float>(EntryValue(kEntryDiffusion));
  state_.InversionPeriod = common::ToInt16(EntryValue(kEntryInversionPeriod));
  state_.SaveDirectory = window_.EntryText(kEntrySaveDirectory);
}

void RunDriver::ClearPicture(bool force) {
  picture_.Clear();
  picture_.Refresh(force);
}

void RunDriver::ReportFailure() {
  if (failed_) return;
  failed_ = true;
  // Nothing half-written stays behind: every file of this command is closed and removed.
  files_.Discard();
  window_.Messages().ShowMessage(ReportFileFailedMessage(files_.FailedPath()));
}

bool RunDriver::OpenReportFile(int16_t n) {
  if (failed_) return false;
  if (!files_.Open(n, state_.SaveDirectory)) {
    ReportFailure();
    return false;
  }
  return true;
}

bool RunDriver::WriteReport(int16_t n, std::string_view line) {
  if (failed_) return false;
  if (!files_.WriteLine(n, line)) {
    ReportFailure();
    return false;
  }
  return true;
}

void RunDriver::StartCommand() {
  ClearPicture(true);
  window_.ValidateEntries();
  for (int i = 0; i <= 8; ++i) {
    if (common::TrimBlanks(window_.EntryText(i)).empty()) {
      window_.Messages().ShowMessage(kValuesNeededMessage);
      return;
    }
  }
  ReadParameters();
  model_.TotalStochasticity = state_.Checks.TotalStochasticity;
  SetStartFrequencies();
  if (state_.StartFreqError) {
    state_.StartFreqError = false;
    return;
  }
  for (int box = kShowS; box <= kShowIteration; ++box) window_.ShowProgress(box, "");
  ClearPicture(true);
  files_.CloseAll();

  if (state_.SingleSimulation) {
    SingleRun();
  } else {
    if (model_.NInfinite) {
      if (state_.LoopSandK) SelectionLoop();
    } else if (state_.LoopLog10N) {
      PopulationLoop();
    }
    ClearPicture(true);
  }
  if (!failed_ && !files_.CloseAll()) ReportFailure();
}

void RunDriver::SingleRun() {
  if (!OpenReportFile(1)) return;
  if (!WriteReport(1, ReportFile1Header(model_.AllelesNum))) return;
  if (!model_.NInfinite) state_.Log10N = state_.Log10NEntered;
  RunGenerations();
}

void RunDriver::SelectionLoop() {
  if (!OpenReportFile(2)) return;
  // The sweep values accumulate by repeated addition; the limits let the last nominal
  // values 0.2 and 1.2 pass despite the rounding.
  model_.S = 0.01;
  while (model_.S <= 0.2001) {
    if (!WriteReport(
            2, "K\tu=" + common::FormatNumber(state_.U) + " s=" + common::FormatNumber(model_.S)))
      return;
    window_.ShowProgress(kShowS, common::FormatNumber(model_.S));
    state_.K = 0.8;
    while (state_.K <= 1.2001) {
      ClearPicture(false);
      window_.ShowProgress(kShowK, common::FormatNumber(state_.K));
      SetStartFrequencies();
      UpdateSelection();
      RunGenerations();
      if (failed_) return;
      if (!WriteReport(
              2, common::FormatNumber(state_.K) + "\t" + common::FormatNumber(state_.RPlusFreq)))
        return;
      state_.K += 0.01;
    }
    if (!WriteReport(2, " ")) return;
    model_.S += 0.01;
  }
}

void RunDriver::PopulationLoop() {
  if (!OpenReportFile(2) || !OpenReportFile(3)) return;
  if (!WriteReport(3, "N\tMean\tS.D.")) return;
  const float last = static_cast<float>(EntryValue(kEntryLoopTo));
  state_.Log10N = static_cast<float>(EntryValue(kEntryLoopFrom));
  while (state_.Log10N <= last) {
    const std::string log10N = common::FormatSingle(state_.Log10N);
    window_.ShowProgress(kShowLog10N, log10N);
    if (!WriteReport(2, "N =" + log10N)) return;
    double sum = 0;
    double sumOfSquares = 0;
    const int iterations = state_.Iterations;
    for (int i = 1; i <= iterations; ++i) {
      ClearPicture(false);
      // The mixing reseed keeps replicates independent even within one tick of the clock.
      model_.Random->Reseed(clock_());
      window_.ShowProgress(kShowIteration, std::to_string(i));
      SetStartFrequencies();
      RunGenerations();
      if (failed_) return;
      if (!WriteReport(2, common::FormatNumber(state_.RPlusFreq))) return;
      sumOfSquares += state_.RPlusFreq * state_.RPlusFreq;
      sum += state_.RPlusFreq;
    }
    if (!WriteReport(2, " ")) return;
    const MeanAndDeviation result = OutcomeStatistics(sum, sumOfSquares, iterations);
    if (!WriteReport(3, log10N + "\t" + common::FormatNumber(result.Mean) + "\t" +
                            common::FormatNumber(result.Deviation)))
      return;
    const float next = state_.Log10N + 0.5f;
    if (next == state_.Log10N) break;  // beyond float32 resolution the loop could not end
    state_.Log10N = next;
  }
}

void ChooseRunMode(int option, RunState& state, Model& model) {
  state.SingleSimulation = option == 0 || option == 1;
  state.LoopSandK = option == 2;
  state.LoopLog10N = option == 3;
  model.NInfinite = option == 0 || option == 2;
  state.Checks.GeneticDrift = model.NInfinite ? 0 : 1;
}

void RunCommand(Model& model, RunState& state, RunWindow& window) {
  RunDriver driver(model, state, window);
  driver.StartCommand();
}

}  // namespace quorvel
