#include "quorvel/run/run_driver.h"

#include "common/number_text.h"
#include "platform/system/files.h"
#include "quorvel/run/ordered_executor.h"
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
      : driver_(driver), plot_(driver.picture_, maxGen), single_(!IsSweep(driver.state_.Mode)) {}
  void Generation(const GenerationRow& row) override {
    plot_.Draw(row);
    if (single_) {
      driver_.WriteReport(1, ReportFile1Line(row));
      driver_.state_.Last.Rows.push_back(row);
    }
  }
  bool StopRequested() const override { return driver_.failed_ || driver_.window_.StopRequested(); }

 private:
  RunDriver& driver_;
  CurvePlot plot_;
  bool single_;
};

// A sweep's run as a worker thread hands it back: its rows, drawn when its turn comes, and
// what it came to.
struct RunDriver::SweepRun {
  RunOutcome Outcome;
  std::vector<GenerationRow> Rows;
  UniformGenerator Generator;  // as the run left it
};

// Keeps the rows of a sweep's run on its worker thread.
class RunDriver::RowKeeper : public RunSink {
 public:
  RowKeeper(const std::atomic<bool>& stop, SweepRun& run) : stop_(stop), run_(run) {}
  void Generation(const GenerationRow& row) override { run_.Rows.push_back(row); }
  bool StopRequested() const override { return stop_.load(std::memory_order_relaxed); }

 private:
  const std::atomic<bool>& stop_;
  SweepRun& run_;
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
  for (int i : kParameterEntries) {
    if (IsEssentialEntry(i) && common::TrimBlanks(entries_.Text(i)).empty()) {
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

  if (!IsSweep(state_.Mode)) {
    SingleRun();
  } else {
    if (state_.Mode == RunMode::SkSweep) {
      SelectionLoop();
    } else {
      PopulationLoop();
    }
    // A stopped sweep leaves the run it stopped in on view.
    if (!stopped_) ClearPicture(true);
  }
  if (!failed_ && !files_.CloseAll()) ReportFailure();
  state_.Last.Complete = !failed_ && !stopped_;
}

void RunDriver::RunOne(const RunInputs& inputs) {
  Sink sink(*this, inputs.MaxGen);
  TakeOutcome(RunIn(model_, inputs, sink));
  // A single run's curves are what the user came for; in a sweep the next run clears
  // them, so the throttled repaint is enough there.
  picture_.Refresh(!IsSweep(state_.Mode));
}

void RunDriver::TakeOutcome(const RunOutcome& outcome) {
  if (outcome.GenerationsDone > 0) state_.RPlusFreq = outcome.RPlusFreq;
  state_.Generation = outcome.GenerationsDone;
  state_.ExtinctAt = outcome.ExtinctAt;
  if (outcome.Stopped && !failed_) stopped_ = true;
  if (!outcome.Stopped && outcome.ExtinctAt != 0) ++extinctRuns_;
}

void RunDriver::SingleRun() {
  NewRecord(state_.Last);
  state_.Last.Mode = state_.Mode;
  if (!OpenReportFile(1)) return;
  if (!WriteReport(1, ReportFile1Header(model_.AllelesNum))) return;
  if (!model_.NInfinite)
    state_.Log10N = static_cast<float>(common::ParseLeadingNumber(entries_.Text(kEntryLog10N)));
  inputs_.Log10N = state_.Log10N;
  RunOne(inputs_);
}

void RunDriver::RunSweep(size_t count, const SweepSteps& steps) {
  window_.SweepStarted(count);
  if (threads_ > 1 && count > 1) {
    RunSweepInParallel(count, steps);
    return;
  }
  for (size_t run = 0; run < count; ++run) {
    if (!steps.begin(run)) return;
    const RunInputs inputs = steps.setup(run, *model_.Random);
    RunOne(inputs);
    if (failed_ || stopped_) return;
    if (!steps.end(run)) return;
    window_.RunsEnded(run + 1);
  }
}

void RunDriver::RunSweepInParallel(size_t count, const SweepSteps& steps) {
  // The runs never touch the window's model: each has a model of its own.
  const UniformGenerator start = *model_.Random;
  std::atomic<bool> stop{false};
  // Enough runs ahead to keep every thread busy while one is drawn; few enough that the
  // rows waiting for their turn stay small at the largest MaxGen.
  OrderedExecutor<SweepRun> executor(
      count, threads_,
      [&steps, &start, &stop](size_t run, unsigned) {
        SweepRun result;
        result.Generator = start;
        const RunInputs inputs = steps.setup(run, result.Generator);
        result.Rows.reserve(static_cast<size_t>(std::max<int16_t>(inputs.MaxGen, 0)));
        RowKeeper keeper(stop, result);
        result.Outcome = Run(inputs, result.Generator, keeper);
        return result;
      },
      2 * static_cast<size_t>(threads_) + 2);
  // A long run takes a while to draw: a stop asked for meanwhile leaves the curves drawn so
  // far, as it does when the run is drawn while it goes on one thread.
  auto draw = [this](const std::vector<GenerationRow>& rows, bool interruptible) {
    CurvePlot plot(picture_, inputs_.MaxGen);
    for (size_t i = 0; i < rows.size(); ++i) {
      if (interruptible && i % 256 == 255 && window_.StopRequested()) break;
      plot.Draw(rows[i]);
    }
    // Shown at once: the next run shown clears it.
    picture_.Refresh(true);
  };
  std::vector<std::pair<size_t, SweepRun>> ready;
  bool going = true;
  bool stopRequested = false;
  while (going && !executor.Finished()) {
    ready.clear();
    executor.DeliverWaiting(
        [&ready](size_t run, SweepRun& result) { ready.emplace_back(run, std::move(result)); },
        std::chrono::milliseconds(5));
    for (size_t i = 0; i < ready.size() && going; ++i) {
      auto& [run, result] = ready[i];
      // Asked before every run is shown, as a run on one thread asks at every generation;
      // the picture keeps the last run shown.
      if (window_.StopRequested()) {
        if (i > 0) draw(ready[i - 1].second.Rows, false);
        stopRequested = true;
        going = false;
        break;
      }
      if (!steps.begin(run)) {
        going = false;
        break;
      }
      // Runs that came in together clear one another at once: only the last could be seen.
      if (i + 1 == ready.size()) draw(result.Rows, true);
      *model_.Random = result.Generator;
      TakeOutcome(result.Outcome);
      going = steps.end(run) && !failed_;
      if (going) window_.RunsEnded(run + 1);
    }
    if (going && window_.StopRequested()) {
      stopRequested = true;
      going = false;
    }
  }
  // The runs still in progress end after their current generation; their outcomes are
  // not taken.
  stop = true;
  executor.RequestStop();
  if (stopRequested && !failed_) stopped_ = true;
}

void RunDriver::SelectionLoop() {
  NewRecord(state_.Last);
  state_.Last.Mode = RunMode::SkSweep;
  if (!OpenReportFile(2)) return;
  const SelectionSweepPlan plan = MakeSelectionSweepPlan();
  const size_t perS = plan.K.size();
  SweepReportLines report(plan, inputs_.U,
                          [this](int n, std::string_view line) { return WriteReport(n, line); });
  SweepSteps steps;
  steps.setup = [this, &plan, perS](size_t run, UniformGenerator&) {
    RunInputs inputs = inputs_;
    inputs.S = plan.S[run / perS];
    inputs.K = plan.K[run % perS];
    return inputs;
  };
  steps.begin = [this, &plan, perS, &report](size_t run) {
    if (!report.Heading(run)) return false;
    if (run % perS == 0) window_.ShowProgress(kShowS, common::FormatNumber(plan.S[run / perS]));
    ClearPicture(false);
    window_.ShowProgress(kShowK, common::FormatNumber(plan.K[run % perS]));
    return true;
  };
  steps.end = [this, &plan, perS, &report](size_t run) {
    state_.Last.S.push_back(plan.S[run / perS]);
    state_.Last.K.push_back(plan.K[run % perS]);
    state_.Last.Outcomes.push_back(state_.RPlusFreq);
    return report.Add(state_.RPlusFreq);
  };
  RunSweep(plan.S.size() * perS, steps);
}

void RunDriver::PopulationLoop() {
  NewRecord(state_.Last);
  state_.Last.Mode = RunMode::NSweep;
  if (!OpenReportFile(2) || !OpenReportFile(3)) return;
  auto value = [this](int entry) {
    return static_cast<float>(common::ParseLeadingNumber(entries_.Text(entry)));
  };
  const PopulationSweepPlan plan = MakePopulationSweepPlan(
      value(kEntryLoopFrom), value(kEntryLoopTo),
      common::ToInt16(common::ParseLeadingNumber(entries_.Text(kEntryIterations))));
  SweepReportLines report(plan,
                          [this](int n, std::string_view line) { return WriteReport(n, line); });
  if (!report.Begin()) return;
  state_.Log10N = value(kEntryLoopFrom);
  const size_t iterations = static_cast<size_t>(std::max(plan.Iterations, 0));
  // One seed for the sweep, from the clock mixed into the program's generator; replicate r
  // of the v-th value then draws from its own generator derived from (seed, v, r), as the
  // batch program's replicates do, never from what the previous replicate left.
  model_.Random->Reseed(clock_());
  const uint64_t sweepSeed = SeedFromState(*model_.Random);
  SweepSteps steps;
  steps.setup = [this, &plan, iterations, sweepSeed](size_t run, UniformGenerator& generator) {
    const size_t v = run / iterations;
    generator = ReplicateGenerator(sweepSeed, v, run % iterations);
    RunInputs inputs = inputs_;
    inputs.Log10N = plan.Log10N[v];
    return inputs;
  };
  steps.begin = [this, &plan, iterations, &report](size_t run) {
    if (!report.Heading(run)) return false;
    const float log10N = plan.Log10N[run / iterations];
    if (run % iterations == 0) {
      state_.Log10N = log10N;
      window_.ShowProgress(kShowLog10N, common::FormatSingle(log10N));
    }
    ClearPicture(false);
    window_.ShowProgress(kShowIteration, std::to_string(run % iterations + 1));
    return true;
  };
  steps.end = [this, &plan, iterations, &report](size_t run) {
    state_.Last.Log10N.push_back(plan.Log10N[run / iterations]);
    state_.Last.Outcomes.push_back(state_.RPlusFreq);
    return report.Add(state_.RPlusFreq);
  };
  RunSweep(plan.Log10N.size() * iterations, steps);
  // The sweep leaves Log10(N) one step beyond its last value.
  if (!plan.Log10N.empty() && !failed_ && !stopped_) state_.Log10N = plan.Log10N.back() + 0.5f;
}

void ChooseRunMode(RunMode mode, RunState& state, Model& model) {
  state.Mode = mode;
  model.NInfinite = NInfinite(mode);
  state.Checks.GeneticDrift = RunModeDrift(mode);
}

void RunCommand(Model& model, RunState& state, RunWindow& window) {
  RunDriver driver(model, state, window);
  driver.StartCommand();
}

}  // namespace quorvel
