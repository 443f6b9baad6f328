// The runs of a batch command. The sweeps and the studies are studies of the run engine
// (quorvel/run/study.h); what is left here is the single run, written as the window's
// Start command writes it, and the files a study streams its lines to.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/files.h"
#include "quorvel/params/parameter_file.h"
#include "quorvel/run/run_state.h"

namespace quorvel::batch {

// The run inputs of a single run of the mode.
RunInputs SingleRunInputs(const ParameterValues& set, RunMode mode);

// A single run: the message of a report file that could not be written (empty when none),
// the first generation with no individual left (0: none), the generations it went through
// and whether it ran to its end.
struct SingleResult {
  std::string Message;
  int ExtinctAt = 0;
  int Generations = 0;
  bool Complete = false;
};
// The tidy table of a single run, beside ReportFile1.
inline constexpr const char* kGenerationsFile = "generations.csv";

// A single run as the window's Start command does it, writing ReportFile1 and the tidy
// table of its generations to `folder`; the run draws from a generator seeded with `seed`.
// Raising `stop` ends it after the generation in progress, as the window's Esc does.
SingleResult RunSingle(const ParameterValues& set, RunMode mode, const std::string& folder,
                       uint64_t seed, const std::atomic<bool>& stop);

// The files a command streams its lines to, in the temporary folder of the command's file
// group, which gives them their names with the others: a command that fails leaves none of
// them, one that stops leaves whole lines. Lines end in CR LF.
class StreamedFiles {
 public:
  explicit StreamedFiles(std::string folder) : folder_(std::move(folder)) {}
  StreamedFiles(const StreamedFiles&) = delete;
  StreamedFiles& operator=(const StreamedFiles&) = delete;

  bool Open(const std::string& name);
  bool WriteLine(const std::string& name, std::string_view line);
  // Closes every file; false (FailedPath set) when a write or a close failed.
  bool Close();
  const std::string& FailedPath() const { return failedPath_; }

 private:
  std::string Path(const std::string& name) const;

  std::string folder_;
  std::map<std::string, platform::TextFile> files_;
  std::string failedPath_;
};

}  // namespace quorvel::batch
