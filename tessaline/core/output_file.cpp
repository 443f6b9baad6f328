// The output file: one line per plotted point, rewritten by every run.
#include "tessaline/core/program.h"

namespace tessaline {

std::string DefaultOutputFileName() {
#ifdef _WIN32
  return "C:\\OutputFile.txt";
#else
  return platform::JoinPath(platform::DefaultFolder(), "OutputFile.txt");
#endif
}

void Program::OpenOutputFile() {
  outputFile_.Close();
  writeFailed_ = false;
  outputCreated_ = false;
  const std::string name = controls_.OutputFileName();
  if (name.empty()) return;
  // The file holds the last run only. A name that cannot be examined, or an old file that
  // cannot be removed, is as unusable as one that cannot be opened.
  bool cleared = false;
  switch (platform::CheckFile(name)) {
    case platform::FileCheck::Missing:
      cleared = true;
      break;
    case platform::FileCheck::Exists:
      cleared = platform::DeleteFile(name);
      break;
    case platform::FileCheck::Error:
      cleared = false;
      break;
  }
  if (cleared && outputFile_.OpenForAppend(name)) {
    outputCreated_ = true;
    return;
  }

  // The default file is appended to, not deleted: it may hold another run's lines.
  const std::string fallback = DefaultOutputFileName();
  controls_.SetOutputFileName(fallback);
  messages_.ShowMessage(kWrongFileNameMessage);
  const bool fallbackExisted = platform::CheckFile(fallback) == platform::FileCheck::Exists;
  if (outputFile_.OpenForAppend(fallback)) {
    outputCreated_ = !fallbackExisted;
    return;
  }
  messages_.ShowMessage("The output file " + fallback +
                        " cannot be opened either. The simulation runs without an output file.");
}

void Program::WriteOutputLine(const std::string& line) {
  if (writeFailed_ || !outputFile_.IsOpen()) return;
  if (!outputFile_.WriteLine(line)) writeFailed_ = true;
}

void Program::CloseOutputFile() {
  if (!outputFile_.IsOpen()) return;
  const std::string path = outputFile_.Path();
  const bool closed = outputFile_.Close();
  if (!closed || writeFailed_) {
    if (outputCreated_) platform::DeleteFile(path);
    messages_.ShowMessage("The output file " + path + " could not be written completely.");
  }
  writeFailed_ = false;
  outputCreated_ = false;
}

}  // namespace tessaline
