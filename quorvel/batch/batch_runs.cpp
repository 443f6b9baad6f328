#include "quorvel/batch/batch_runs.h"

#include "common/drawing_surface.h"
#include "common/number_text.h"
#include "common/recording_surface.h"
#include "quorvel/run/run_window.h"
#include "quorvel/run/seeds.h"

namespace quorvel::batch {

size_t SweepPlan::RunCount() const {
  if (Mode == RunMode::SkSweep) return S.size() * K.size();
  return Log10N.size() * static_cast<size_t>(Iterations);
}

SweepPlan MakePlan(const ParameterSet& set, RunMode mode) {
  SweepPlan plan;
  plan.Mode = mode;
  if (mode == RunMode::SkSweep) {
    // The sweep values accumulate by repeated addition; the limits let the last nominal
    // values 0.2 and 1.2 pass despite the rounding.
    for (double s = 0.01; s <= 0.2001; s += 0.01) plan.S.push_back(s);
    for (double k = 0.8; k <= 1.2001; k += 0.01) plan.K.push_back(k);
  } else if (mode == RunMode::NSweep) {
    const float last =
        static_cast<float>(common::ParseLeadingNumber(set.Entries[entries::kLoopTo]));
    float value = static_cast<float>(common::ParseLeadingNumber(set.Entries[entries::kLoopFrom]));
    while (value <= last) {
      plan.Log10N.push_back(value);
      const float next = value + 0.5f;
      if (next == value) break;
      value = next;
    }
    plan.Iterations =
        common::ToInt16(common::ParseLeadingNumber(set.Entries[entries::kIterations]));
    if (plan.Iterations < 0) plan.Iterations = 0;
  }
  return plan;
}

RunRange ShardRange(size_t runs, int index, int count) {
  const size_t i = static_cast<size_t>(index);
  const size_t n = static_cast<size_t>(count);
  return {(i - 1) * runs / n, i * runs / n};
}

// The entries of the parameter set, no picture and messages kept for the caller.
class RunContext::Window : public RunWindow, public common::MessageSink {
 public:
  Window(const ParameterSet& set, const std::string& folder) : set_(set), folder_(folder) {}
  std::string EntryText(int index) const override {
    if (index >= 0 && index < kEntryCount) return set_.Entries[static_cast<size_t>(index)];
    return index == kEntrySaveDirectory ? folder_ : std::string();
  }
  void ShowProgress(int, const std::string&) override {}
  // The set has been through the validation pass already.
  void ValidateEntries() override {}
  common::DrawingSurface& Picture() override { return picture_; }
  common::MessageSink& Messages() override { return *this; }
  void ShowMessage(const std::string& text) override {
    if (message_.empty()) message_ = text;
  }
  std::string TakeMessage() { return std::exchange(message_, std::string()); }

 private:
  const ParameterSet& set_;
  std::string folder_;
  common::NullSurface picture_{1000, 1000};
  std::string message_;
};

RunContext::RunContext(const ParameterSet& set, RunMode mode, const std::string& folder)
    : window_(std::make_unique<Window>(set, folder)) {
  model_.AllelesNum = static_cast<int16_t>(set.Loci);
  model_.BuildGenotypeTables();
  ChooseRunMode(RunModeOption(mode), state_, model_);
  state_.Checks = set.Checks;
  model_.TotalStochasticity = state_.Checks.TotalStochasticity;
  driver_ = std::make_unique<RunDriver>(model_, state_, *window_);
  driver_->ReadParameters();
}

RunContext::~RunContext() = default;

std::string RunContext::CheckStartFrequencies() {
  driver_->SetStartFrequencies();
  state_.StartFreqError = false;
  return window_->TakeMessage();
}

double RunContext::Run(const SweepPlan& plan, size_t index, uint64_t seed) {
  if (plan.Mode == RunMode::SkSweep) {
    model_.S = plan.S[index / plan.K.size()];
    state_.K = plan.K[index % plan.K.size()];
    driver_->SetStartFrequencies();
    driver_->UpdateSelection();
  } else {
    const size_t iterations = static_cast<size_t>(plan.Iterations);
    const size_t value = index / iterations;
    state_.Log10N = plan.Log10N[value];
    generator_ = ReplicateGenerator(seed, value, index % iterations);
    driver_->SetStartFrequencies();
  }
  driver_->RunGenerations();
  return state_.RPlusFreq;
}

std::string RunContext::RunSingle(uint64_t seed) {
  generator_.Seed(seed);
  driver_->StartCommand();
  return window_->TakeMessage();
}

SweepReport::SweepReport(const SweepPlan& plan, const ParameterSet& set)
    : plan_(plan), u_(common::ParseLeadingNumber(set.Entries[0])) {}

bool SweepReport::Open(const std::string& folder) {
  if (!files_.Open(2, folder)) return false;
  if (plan_.Mode == RunMode::NSweep) {
    if (!files_.Open(3, folder)) return false;
    return Write(3, "N\tMean\tS.D.");
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
    const size_t perS = plan_.K.size();
    const double s = plan_.S[index / perS];
    const size_t k = index % perS;
    if (k == 0 && !Write(2, "K\tu=" + common::FormatNumber(u_) + " s=" + common::FormatNumber(s)))
      return false;
    if (!Write(2, common::FormatNumber(plan_.K[k]) + "\t" + common::FormatNumber(outcome)))
      return false;
    return k + 1 < perS || Write(2, " ");
  }
  const size_t iterations = static_cast<size_t>(plan_.Iterations);
  const std::string log10N = common::FormatSingle(plan_.Log10N[index / iterations]);
  const size_t r = index % iterations;
  if (r == 0) {
    if (!Write(2, "N =" + log10N)) return false;
    sum_ = 0;
    sumOfSquares_ = 0;
  }
  if (!Write(2, common::FormatNumber(outcome))) return false;
  sumOfSquares_ += outcome * outcome;
  sum_ += outcome;
  if (r + 1 < iterations) return true;
  if (!Write(2, " ")) return false;
  const MeanAndDeviation result = OutcomeStatistics(sum_, sumOfSquares_, plan_.Iterations);
  return Write(3, log10N + "\t" + common::FormatNumber(result.Mean) + "\t" +
                      common::FormatNumber(result.Deviation));
}

bool SweepReport::Close() {
  const bool closed = files_.CloseAll();
  return closed && !failed_;
}

}  // namespace quorvel::batch
