#include "quorvel/batch/batch_runs.h"

#include "common/number_text.h"
#include "platform/system/csv.h"
#include "quorvel/params/named_parameters.h"
#include "quorvel/run/report_files.h"
#include "quorvel/run/run_driver.h"

namespace quorvel::batch {

RunInputs SingleRunInputs(const ParameterValues& set, RunMode mode) {
  const bool finite = mode == RunMode::SingleFinite;
  // N infinite leaves Log10(N) where a window that just started has it.
  const float log10N =
      finite ? static_cast<float>(common::ParseLeadingNumber(set.Entries[kEntryLog10N])) : 0.0f;
  return ReadRunInputs(CoreSet(set), static_cast<int16_t>(set.Loci), !finite, log10N);
}

namespace {

// Writes every generation's line of ReportFile1, a failed write ending the run, and of
// generations.csv, which appears whole when the run ends or not at all.
class ReportFile1Sink : public RunSink {
 public:
  ReportFile1Sink(ReportFiles& files, const std::atomic<bool>& stop, int loci,
                  const std::string& tablePath)
      : files_(files), stop_(stop), csv_(loci) {
    tableWritten_ = table_.Open(tablePath) && table_.Write(csv_.Header());
  }
  void Generation(const GenerationRow& row) override {
    if (!failed_ && !files_.WriteLine(1, ReportFile1Line(row))) failed_ = true;
    if (tableWritten_) {
      line_.clear();
      csv_.AppendLine(line_, row);
      tableWritten_ = table_.Write(line_);
    }
  }
  bool StopRequested() const override { return failed_ || stop_; }
  bool Failed() const { return failed_; }
  // Puts generations.csv under its name; false when any part of it failed.
  bool CommitTable() { return tableWritten_ && table_.Commit(); }

 private:
  ReportFiles& files_;
  const std::atomic<bool>& stop_;
  bool failed_ = false;
  GenerationsCsv csv_;
  platform::WholeFile table_;
  bool tableWritten_ = false;
  std::string line_;
};

}  // namespace

SingleResult RunSingle(const ParameterValues& set, RunMode mode, const std::string& folder,
                       uint64_t seed, const std::atomic<bool>& stop) {
  const RunInputs inputs = SingleRunInputs(set, mode);
  ReportFiles files;
  SingleResult result;
  if (!files.Open(1, folder) || !files.WriteLine(1, ReportFile1Header(inputs.Loci))) {
    files.Discard();
    return {ReportFileFailedMessage(files.FailedPath()), 0};
  }
  UniformGenerator generator = UniformGenerator::FromSeed(seed);
  const std::string tablePath = platform::JoinPath(folder, kGenerationsFile);
  ReportFile1Sink sink(files, stop, set.Loci, tablePath);
  const RunOutcome outcome = Run(inputs, generator, sink);
  if (sink.Failed() || !files.CloseAll()) {
    files.Discard();
    return {ReportFileFailedMessage(files.FailedPath()), 0};
  }
  result.ExtinctAt = outcome.ExtinctAt;
  result.Generations = outcome.GenerationsDone;
  result.Complete = !outcome.Stopped;
  if (!sink.CommitTable()) result.Message = "cannot write " + tablePath;
  return result;
}

// --- Streamed files -----------------------------------------------------------------------

std::string StreamedFiles::Path(const std::string& name) const {
  return platform::JoinPath(folder_, name);
}

bool StreamedFiles::Open(const std::string& name) {
  platform::TextFile& file = files_[name];
  if (file.OpenForWriting(Path(name))) return true;
  failedPath_ = Path(name);
  return false;
}

bool StreamedFiles::WriteLine(const std::string& name, std::string_view line) {
  auto it = files_.find(name);
  if (it != files_.end() && it->second.WriteLine(line)) return true;
  if (failedPath_.empty()) failedPath_ = Path(name);
  return false;
}

bool StreamedFiles::Close() {
  bool ok = true;
  for (auto& [name, file] : files_) {
    if (!file.Close() && ok) {
      failedPath_ = Path(name);
      ok = false;
    }
  }
  files_.clear();
  return ok;
}

}  // namespace quorvel::batch
