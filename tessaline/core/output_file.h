// The output file: one line per plotted point, opened at the start of a run and closed at
// its end. The file holds the last run only. In the window a name that cannot be used is
// replaced by the default name, whose file is then appended to; the batch program instead
// writes beside the name and puts the file in place only once it is complete.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/drawing_surface.h"
#include "platform/system/files.h"
#include "tessaline/core/controls.h"

namespace tessaline {

inline constexpr const char* kWrongFileNameMessage =
    "Wrong Output file name. Default name restored";

// "OutputFile.txt" in the default folder: "C:\OutputFile.txt" on Windows, the user's home
// directory elsewhere.
std::string DefaultOutputFileName();

enum class OutputMode {
  // The old file is deleted and the lines are appended as they come; a bad name falls back
  // to the default name, with a message.
  Window,
  // The lines go to a temporary file beside the name, which replaces the old file only when
  // complete; a bad name or a failed write leaves everything as it was, with a message.
  Replace,
};

class OutputFile {
 public:
  explicit OutputFile(OutputMode mode = OutputMode::Window) : mode_(mode) {}
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Opens the file named in OutputFileName for a run (an empty name opens nothing). A name
  // that cannot be used is replaced in the control by the default name, with a message.
  void Open(FormControls& controls, common::MessageSink& messages);
  bool IsOpen() const { return file_.IsOpen(); }
  // One line, ended by CR LF. After a failed write nothing more is written.
  void WriteLine(const std::string& line);
  // Ends the run's file; a file that could not be written completely is reported.
  void Close(common::MessageSink& messages);
  // The last run's file could not be written completely.
  bool Failed() const { return failed_; }

 private:
  void OpenWindow(FormControls& controls, common::MessageSink& messages);
  void OpenReplace(const std::string& name, common::MessageSink& messages);
  void CloseReplace(common::MessageSink& messages);

  OutputMode mode_;
  platform::TextFile file_;
  bool writeFailed_ = false;
  // The run made the file (it did not append to an older one): a file it could not write
  // completely is removed rather than left half-written.
  bool created_ = false;
  // The run appends to an older file that held this many bytes: a file it could not write
  // completely is cut back to them, so the old lines stay and no part of the run remains.
  std::optional<std::uintmax_t> appendedTo_;
  bool failed_ = false;
  std::string target_;  // Replace: the name the complete file takes
};

}  // namespace tessaline
