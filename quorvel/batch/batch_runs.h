// The runs of a batch command. The sweeps and the studies are studies of the run engine
// (quorvel/run/study.h); what is left here is the single run, written as the window's
// Start command writes it, and the files a study streams its lines to.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/files.h"
#include "quorvel/params/parameter_file.h"
#include "quorvel/run/run_state.h"

namespace quorvel::batch {

// The set as the run core reads it.
quorvel::ParameterSet CoreSet(const ParameterValues& set);

// The run inputs of a single run of the mode.
RunInputs SingleRunInputs(const ParameterValues& set, RunMode mode);

// A single run: the message of a report file that could not be written (empty when none),
// and the first generation with no individual left (0: none).
struct SingleResult {
  std::string Message;
  int ExtinctAt = 0;
};
// A single run as the window's Start command does it, writing ReportFile1 to `folder`; the
// run draws from a generator seeded with `seed`.
SingleResult RunSingle(const ParameterValues& set, RunMode mode, const std::string& folder,
                       uint64_t seed);

// The files a command streams its lines to, each written beside its place under a
// temporary name that takes the file's own name only when the command commits them: a
// command that fails leaves none of them, one that stops leaves whole lines. Lines end in
// CR LF.
class StreamedFiles {
 public:
  explicit StreamedFiles(std::string folder) : folder_(std::move(folder)) {}
  ~StreamedFiles() { Discard(); }
  StreamedFiles(const StreamedFiles&) = delete;
  StreamedFiles& operator=(const StreamedFiles&) = delete;

  bool Open(const std::string& name);
  bool WriteLine(const std::string& name, std::string_view line);
  // Closes every file and gives each its name; false (FailedPath set) when one fails.
  bool Commit();
  // Closes and removes every file not yet committed.
  void Discard();
  const std::string& FailedPath() const { return failedPath_; }

 private:
  std::string Path(const std::string& name) const;

  std::string folder_;
  std::map<std::string, platform::TextFile> files_;
  std::vector<std::string> order_;
  std::string failedPath_;
};

}  // namespace quorvel::batch
