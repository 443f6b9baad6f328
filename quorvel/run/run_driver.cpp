#include "quorvel/run/run_driver.h"

#include "common/number_text.h"
#include "platform/files.h"
#include "quorvel/run/seeds.h"

namespace quorvel {

std::string ReportFileFailedMessage(const std::string& path) {
  return "The report file " + path + " cannot be written!";
}

namespace {

// The record of a command that starts: empty, and counted.
void NewRecord(CommandRecord& record) {
  const int commands = record.Commands + 1;
  record = CommandRecord();
  record.Commands = commands;
}

}  // namespace

// Draws every generation on the picture box and, in a single run, writes its line of
// ReportFile1 and keeps its row; a report file that fails ends the run.
class RunDriver::Sink : public RunSink {
 public:
  Sink(RunDriver& driver, int16_t maxGen)
      : driver_(driver), plot_(driver.picture_, maxGen), single_(driver.state_.SingleSimulation) {}
  void Generation(const GenerationRow& row) override {
    plot_.Draw(row);
    if (single_) {
      driver_.WriteReport(1, ReportFile1Line(row));
      driver_.state_.Last.Rows.push_back(row);
    }
    // Every deme empty: the report reads as if R+ had been lost, so the run says so apart.
    if (row.Cumulative[static_cast<size_t>(row.Curves - 1)] == 0 && extinctAt_ == 0)
      extinctAt_ = row.Generation;
  }
  bool StopRequested() const override { return driver_.failed_ || driver_.window_.StopRequested(); }
  int16_t ExtinctAt() const { return extinctAt_; }

 private:
  RunDriver& driver_;
  CurvePlot plot_;
  bool single_;
  int16_t extinctAt_ = 0;
};

RunDriver::RunDriver(Model& model, RunState& state, RunWindow& window)
    : model_(model),
      state_(state),
      window_(window),
      picture_(window.Picture()),
      clock_(platform::SecondsSinceMidnight) {}

RunDriver::~RunDriver() {
  files_.CloseAll();
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

bool RunDriver::OpenReportFile(int n) {
  if (failed_) return false;
  if (!files_.Open(n, state_.SaveDirectory)) {
    ReportFailure();
    return false;
  }
  return true;
}

bool RunDriver::WriteReport(int n, std::string_view line) {
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
  for (int box = 0; box < kBoxNumbers; ++box) entries_.Text(box) = window_.EntryText(box);
  entries_.Checks = state_.Checks;
  for (int i = kEntryU; i <= kEntryIterations; ++i) {
    if (common::TrimBlanks(entries_.Text(i)).empty()) {
      window_.Messages().ShowMessage(kValuesNeededMessage);
      return;
    }
  }
  inputs_ = ReadRunInputs(entries_, model_.AllelesNum, model_.NInfinite, state_.Log10N);
  state_.SaveDirectory = entries_.Text(kEntryFolder);
  if (!StartStateAccepted(inputs_)) {
    window_.Messages().ShowMessage(kHaplotypeTotalMessage);
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
    // A stopped sweep leaves the run it stopped in on view.
    if (!stopped_) ClearPicture(true);
  }
  if (!failed_ && !files_.CloseAll()) ReportFailure();
}

void RunDriver::RunOne(const RunInputs& inputs) {
  Sink sink(*this, inputs.MaxGen);
  const RunOutcome outcome = RunIn(model_, inputs, sink);
  if (outcome.GenerationsDone > 0) state_.RPlusFreq = outcome.RPlusFreq;
  state_.Generation = outcome.GenerationsDone;
  state_.ExtinctAt = sink.ExtinctAt();
  if (outcome.Stopped && !failed_) stopped_ = true;
  // A single run's curves are what the user came for; in a sweep the next run clears
  // them, so the throttled repaint is enough there.
  picture_.Refresh(state_.SingleSimulation);
}

void RunDriver::SingleRun() {
  NewRecord(state_.Last);
  if (!OpenReportFile(1)) return;
  if (!WriteReport(1, ReportFile1Header(model_.AllelesNum))) return;
  if (!model_.NInfinite)
    state_.Log10N = static_cast<float>(common::ParseLeadingNumber(entries_.Text(kEntryLog10N)));
  inputs_.Log10N = state_.Log10N;
  RunOne(inputs_);
}

void RunDriver::SelectionLoop() {
  NewRecord(state_.Last);
  state_.Last.SelectionSweep = true;
  if (!OpenReportFile(2)) return;
  const SelectionSweepPlan plan = MakeSelectionSweepPlan();
  RunInputs inputs = inputs_;
  for (double s : plan.S) {
    if (!WriteReport(2, SelectionHeading(inputs_.U, s))) return;
    window_.ShowProgress(kShowS, common::FormatNumber(s));
    for (double k : plan.K) {
      ClearPicture(false);
      window_.ShowProgress(kShowK, common::FormatNumber(k));
      inputs.S = s;
      inputs.K = k;
      RunOne(inputs);
      if (failed_ || stopped_) return;
      if (state_.ExtinctAt != 0) ++extinctRuns_;
      state_.Last.S.push_back(s);
      state_.Last.K.push_back(k);
      state_.Last.Outcomes.push_back(state_.RPlusFreq);
      if (!WriteReport(2, SelectionLine(k, state_.RPlusFreq))) return;
    }
    if (!WriteReport(2, kBlockEnd)) return;
  }
}

void RunDriver::PopulationLoop() {
  NewRecord(state_.Last);
  state_.Last.PopulationSweep = true;
  if (!OpenReportFile(2) || !OpenReportFile(3)) return;
  if (!WriteReport(3, kPopulationStatisticsHeader)) return;
  auto value = [this](int entry) {
    return static_cast<float>(common::ParseLeadingNumber(entries_.Text(entry)));
  };
  const PopulationSweepPlan plan = MakePopulationSweepPlan(
      value(kEntryLoopFrom), value(kEntryLoopTo),
      common::ToInt16(common::ParseLeadingNumber(entries_.Text(kEntryIterations))));
  state_.Log10N = value(kEntryLoopFrom);
  RunInputs inputs = inputs_;
  // One seed for the sweep, from the clock mixed into the program's generator; replicate r
  // of the v-th value then draws from its own generator derived from (seed, v, r), as the
  // batch program's replicates do, never from what the previous replicate left.
  model_.Random->Reseed(clock_());
  const uint64_t sweepSeed = SeedFromState(*model_.Random);
  for (size_t v = 0; v < plan.Log10N.size(); ++v) {
    const float log10N = plan.Log10N[v];
    state_.Log10N = log10N;
    window_.ShowProgress(kShowLog10N, common::FormatSingle(log10N));
    if (!WriteReport(2, PopulationHeading(log10N))) return;
    std::vector<double> outcomes;
    for (int i = 1; i <= plan.Iterations; ++i) {
      ClearPicture(false);
      *model_.Random = ReplicateGenerator(sweepSeed, v, static_cast<uint64_t>(i - 1));
      window_.ShowProgress(kShowIteration, std::to_string(i));
      inputs.Log10N = log10N;
      RunOne(inputs);
      if (failed_ || stopped_) return;
      if (state_.ExtinctAt != 0) ++extinctRuns_;
      if (!WriteReport(2, OutcomeLine(state_.RPlusFreq))) return;
      outcomes.push_back(state_.RPlusFreq);
      state_.Last.Log10N.push_back(log10N);
      state_.Last.Outcomes.push_back(state_.RPlusFreq);
    }
    if (!WriteReport(2, kBlockEnd)) return;
    if (!WriteReport(3, PopulationStatisticsLine(log10N, outcomes))) return;
  }
  // The sweep leaves Log10(N) one step beyond its last value.
  if (!plan.Log10N.empty()) state_.Log10N = plan.Log10N.back() + 0.5f;
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
