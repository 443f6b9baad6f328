#include "quorvel/batch/batch_runs.h"

#include "common/drawing_surface.h"
#include "common/number_text.h"
#include "common/recording_surface.h"
#include "quorvel/run/run_window.h"
#include "quorvel/run/seeds.h"

namespace quorvel::batch {

quorvel::ParameterSet CoreSet(const ParameterValues& set) {
  quorvel::ParameterSet core;
  for (int i : kParameterEntries) core.Text(i) = set.Entries[static_cast<size_t>(i)];
  core.Checks = set.Checks;
  return core;
}

SweepPlan MakePlan(const ParameterValues& set, RunMode mode) {
  SweepPlan plan;
  plan.Mode = mode;
  if (mode == RunMode::SkSweep) {
    plan.Selection = MakeSelectionSweepPlan();
  } else if (mode == RunMode::NSweep) {
    auto value = [&](int entry) {
      return static_cast<float>(
          common::ParseLeadingNumber(set.Entries[static_cast<size_t>(entry)]));
    };
    plan.Population = MakePopulationSweepPlan(
        value(kEntryLoopFrom), value(kEntryLoopTo),
        common::ToInt16(common::ParseLeadingNumber(set.Entries[kEntryIterations])));
  }
  return plan;
}

CommandRecord SweepRecord(const SweepPlan& plan, const std::vector<double>& outcomes) {
  CommandRecord record;
  record.Mode = plan.Mode;
  record.Outcomes = outcomes;
  for (size_t i = 0; i < outcomes.size(); ++i) {
    if (plan.Mode == RunMode::SkSweep) {
      const size_t perS = plan.Selection.K.size();
      record.S.push_back(plan.Selection.S[i / perS]);
      record.K.push_back(plan.Selection.K[i % perS]);
    } else {
      const size_t iterations = static_cast<size_t>(plan.Population.Iterations);
      record.Log10N.push_back(plan.Population.Log10N[i / iterations]);
    }
  }
  return record;
}

RunRange ShardRange(size_t runs, int index, int count) {
  const size_t i = static_cast<size_t>(index);
  const size_t n = static_cast<size_t>(count);
  return {(i - 1) * runs / n, i * runs / n};
}

namespace {

// The entries of the parameter set, no picture, and the first message kept for the caller.
class HeadlessWindow : public RunWindow, public common::MessageSink {
 public:
  HeadlessWindow(const ParameterValues& set, const std::string& folder,
                 const std::atomic<bool>& stop)
      : set_(set), folder_(folder), stop_(stop) {}
  std::string EntryText(int index) const override {
    if (index == kEntryFolder) return folder_;
    return ParameterOfEntry(index) ? set_.Entries[static_cast<size_t>(index)] : std::string();
  }
  void ShowProgress(int, const std::string&) override {}
  bool StopRequested() const override { return stop_; }
  // The set has been through the validation pass already.
  void ValidateEntries() override {}
  common::DrawingSurface& Picture() override { return picture_; }
  common::MessageSink& Messages() override { return *this; }
  void ShowMessage(const std::string& text) override {
    if (message_.empty()) message_ = text;
  }
  const std::string& Message() const { return message_; }

 private:
  const ParameterValues& set_;
  std::string folder_;
  const std::atomic<bool>& stop_;
  common::NullSurface picture_{1000, 1000};
  std::string message_;
};

}  // namespace

RunContext::RunContext(const ParameterValues& set, RunMode mode)
    : inputs_(ReadRunInputs(CoreSet(set), static_cast<int16_t>(set.Loci), NInfinite(mode), 0)) {}

std::string RunContext::CheckStartFrequencies() const {
  return StartStateAccepted(inputs_) ? std::string() : kHaplotypeTotalMessage;
}

RunResult RunContext::Run(const SweepPlan& plan, size_t index, uint64_t seed) const {
  RunInputs inputs = inputs_;
  UniformGenerator generator;
  if (plan.Mode == RunMode::SkSweep) {
    const size_t perS = plan.Selection.K.size();
    inputs.S = plan.Selection.S[index / perS];
    inputs.K = plan.Selection.K[index % perS];
  } else {
    const size_t iterations = static_cast<size_t>(plan.Population.Iterations);
    const size_t value = index / iterations;
    inputs.Log10N = plan.Population.Log10N[value];
    generator = ReplicateGenerator(seed, value, index % iterations);
  }
  NoSink sink;
  const RunOutcome outcome = quorvel::Run(inputs, generator, sink);
  return {outcome.RPlusFreq, outcome.ExtinctAt != 0};
}

SingleResult RunSingle(const ParameterValues& set, RunMode mode, const std::string& folder,
                       uint64_t seed, const std::atomic<bool>& stop) {
  UniformGenerator generator = UniformGenerator::FromSeed(seed);
  Model model(generator);
  model.AllelesNum = static_cast<int16_t>(set.Loci);
  model.BuildGenotypeTables();
  RunState state;
  ChooseRunMode(mode, state, model);
  state.Checks = set.Checks;
  HeadlessWindow window(set, folder, stop);
  RunCommand(model, state, window);
  if (!window.Message().empty())
    return {window.Message(), state.ExtinctAt, state.Generation, state.Last.Complete};
  const std::string path = platform::JoinPath(folder, kGenerationsFile);
  if (!platform::WriteWholeFile(
          path, platform::TidyCsvText(GenerationsTable(state.Last.Rows, set.Loci)), nullptr))
    return {"cannot write " + path, state.ExtinctAt, state.Generation, state.Last.Complete};
  return {std::string(), state.ExtinctAt, state.Generation, state.Last.Complete};
}

SweepReport::SweepReport(const SweepPlan& plan, const ParameterValues& set)
    : plan_(plan), u_(common::ParseLeadingNumber(set.Entries[kEntryU])) {}

bool SweepReport::Open(const std::string& folder) {
  if (!files_.Open(2, folder)) return false;
  if (plan_.Mode == RunMode::NSweep) {
    if (!files_.Open(3, folder)) return false;
    return Write(3, kPopulationStatisticsHeader);
  }
  return true;
}

bool SweepReport::Write(int n, const std::string& line) {
  if (failed_) return false;
  if (!files_.WriteLine(n, line)) failed_ = true;
  return !failed_;
}

bool SweepReport::Add(double outcome) {
  const size_t index = next_++;
  if (plan_.Mode == RunMode::SkSweep) {
    const size_t perS = plan_.Selection.K.size();
    const size_t k = index % perS;
    if (k == 0 && !Write(2, SelectionHeading(u_, plan_.Selection.S[index / perS]))) return false;
    if (!Write(2, SelectionLine(plan_.Selection.K[k], outcome))) return false;
    return k + 1 < perS || Write(2, kBlockEnd);
  }
  const size_t iterations = static_cast<size_t>(plan_.Population.Iterations);
  const float log10N = plan_.Population.Log10N[index / iterations];
  const size_t r = index % iterations;
  if (r == 0) {
    if (!Write(2, PopulationHeading(log10N))) return false;
    valueOutcomes_.clear();
  }
  if (!Write(2, OutcomeLine(outcome))) return false;
  valueOutcomes_.push_back(outcome);
  if (r + 1 < iterations) return true;
  return Write(2, kBlockEnd) && Write(3, PopulationStatisticsLine(log10N, valueOutcomes_));
}

bool SweepReport::Close() {
  const bool closed = files_.CloseAll();
  return closed && !failed_;
}

}  // namespace quorvel::batch
