#include "quorvel/batch/batch_runs.h"

#include <filesystem>

#include "common/number_text.h"
#include "quorvel/run/report_files.h"
#include "quorvel/run/run_driver.h"

namespace quorvel::batch {

quorvel::ParameterSet CoreSet(const ParameterValues& set) {
  quorvel::ParameterSet core;
  for (int i = 0; i < kEntryCount; ++i) core.Text(i) = set.Entries[static_cast<size_t>(i)];
  core.Checks = set.Checks;
  return core;
}

RunInputs SingleRunInputs(const ParameterValues& set, RunMode mode) {
  const bool finite = mode == RunMode::SingleFinite;
  // N infinite leaves Log10(N) where a window that just started has it.
  const float log10N =
      finite ? static_cast<float>(common::ParseLeadingNumber(set.Entries[kEntryLog10N])) : 0.0f;
  return ReadRunInputs(CoreSet(set), static_cast<int16_t>(set.Loci), !finite, log10N);
}

namespace {

// Writes every generation's line of ReportFile1; a failed write ends the run.
class ReportFile1Sink : public RunSink {
 public:
  explicit ReportFile1Sink(ReportFiles& files) : files_(files) {}
  void Generation(const GenerationRow& row) override {
    if (!failed_ && !files_.WriteLine(1, ReportFile1Line(row))) failed_ = true;
  }
  bool StopRequested() const override { return failed_; }
  bool Failed() const { return failed_; }

 private:
  ReportFiles& files_;
  bool failed_ = false;
};

}  // namespace

SingleResult RunSingle(const ParameterValues& set, RunMode mode, const std::string& folder,
                       uint64_t seed) {
  const RunInputs inputs = SingleRunInputs(set, mode);
  ReportFiles files;
  SingleResult result;
  if (!files.Open(1, folder) || !files.WriteLine(1, ReportFile1Header(inputs.Loci))) {
    files.Discard();
    return {ReportFileFailedMessage(files.FailedPath()), 0};
  }
  UniformGenerator generator = UniformGenerator::FromSeed(seed);
  ReportFile1Sink sink(files);
  const RunOutcome outcome = Run(inputs, generator, sink);
  if (sink.Failed() || !files.CloseAll()) {
    files.Discard();
    return {ReportFileFailedMessage(files.FailedPath()), 0};
  }
  result.ExtinctAt = outcome.ExtinctAt;
  return result;
}

// --- Streamed files -----------------------------------------------------------------------

std::string StreamedFiles::Path(const std::string& name) const {
  return (std::filesystem::u8path(folder_) / std::filesystem::u8path(name)).string();
}

bool StreamedFiles::Open(const std::string& name) {
  platform::TextFile& file = files_[name];
  order_.push_back(name);
  if (file.OpenForWriting(Path(name) + ".part")) return true;
  failedPath_ = Path(name);
  return false;
}

bool StreamedFiles::WriteLine(const std::string& name, std::string_view line) {
  auto it = files_.find(name);
  if (it != files_.end() && it->second.WriteLine(line)) return true;
  if (failedPath_.empty()) failedPath_ = Path(name);
  return false;
}

bool StreamedFiles::Commit() {
  bool ok = true;
  for (auto& [name, file] : files_) {
    if (!file.Close() && ok) {
      failedPath_ = Path(name);
      ok = false;
    }
  }
  if (!ok) {
    Discard();
    return false;
  }
  for (const std::string& name : order_) {
    std::error_code ec;
    std::filesystem::rename(std::filesystem::u8path(Path(name) + ".part"),
                            std::filesystem::u8path(Path(name)), ec);
    if (ec) {
      failedPath_ = Path(name);
      Discard();
      return false;
    }
  }
  files_.clear();
  order_.clear();
  return true;
}

void StreamedFiles::Discard() {
  for (auto& [name, file] : files_) {
    file.Close();
    std::error_code ec;
    std::filesystem::remove(std::filesystem::u8path(Path(name) + ".part"), ec);
  }
  files_.clear();
  order_.clear();
}

}  // namespace quorvel::batch
