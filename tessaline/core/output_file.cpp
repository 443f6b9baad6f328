#include "tessaline/core/output_file.h"

#include <filesystem>
#include <system_error>

namespace tessaline {

std::string DefaultOutputFileName() {
#ifdef _WIN32
  return "C:\\OutputFile.txt";
#else
  return platform::JoinPath(platform::DefaultFolder(), "OutputFile.txt");
#endif
}

void OutputFile::Open(FormControls& controls, common::MessageSink& messages) {
  file_.Close();
  whole_.Abandon();
  replacing_ = false;
  writeFailed_ = false;
  created_ = false;
  appendedTo_.reset();
  failed_ = false;
  const std::string name = controls.OutputFileName();
  if (name.empty()) return;
  if (mode_ == OutputMode::Replace)
    OpenReplace(name, messages);
  else
    OpenWindow(controls, messages);
}

void OutputFile::OpenWindow(FormControls& controls, common::MessageSink& messages) {
  const std::string name = controls.OutputFileName();
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
  if (cleared && file_.OpenForAppend(name)) {
    created_ = true;
    return;
  }

  // The default file is appended to, not deleted: it may hold another run's lines.
  const std::string fallback = DefaultOutputFileName();
  controls.SetOutputFileName(fallback);
  messages.ShowMessage(kWrongFileNameMessage);
  const bool fallbackExisted = platform::CheckFile(fallback) == platform::FileCheck::Exists;
  std::error_code ec;
  const std::uintmax_t oldSize =
      fallbackExisted ? std::filesystem::file_size(std::filesystem::u8path(fallback), ec) : 0;
  if (file_.OpenForAppend(fallback)) {
    created_ = !fallbackExisted;
    if (fallbackExisted && !ec) appendedTo_ = oldSize;
    return;
  }
  messages.ShowMessage("The output file " + fallback +
                       " cannot be opened either. The simulation runs without an output file.");
  failed_ = true;
}

void OutputFile::OpenReplace(const std::string& name, common::MessageSink& messages) {
  target_ = name;
  if (whole_.Open(name)) {
    replacing_ = true;
    return;
  }
  failed_ = true;
  messages.ShowMessage("The output file " + name + " cannot be written; nothing was changed.");
}

void OutputFile::CloseReplace(common::MessageSink& messages) {
  replacing_ = false;
  if (writeFailed_ || !whole_.Commit()) {
    whole_.Abandon();
    failed_ = true;
    messages.ShowMessage("The output file " + target_ +
                         " could not be written; nothing was changed.");
  }
  writeFailed_ = false;
}

void OutputFile::WriteLine(const std::string& line) {
  if (writeFailed_) return;
  if (replacing_) {
    if (!whole_.WriteLine(line)) writeFailed_ = true;
    return;
  }
  if (file_.IsOpen() && !file_.WriteLine(line)) writeFailed_ = true;
}

void OutputFile::Close(common::MessageSink& messages) {
  if (replacing_) return CloseReplace(messages);
  if (!file_.IsOpen()) return;
  const std::string path = file_.Path();
  const bool closed = file_.Close();
  if (!closed || writeFailed_) {
    failed_ = true;
    std::string outcome = "; its last lines may be incomplete.";
    if (created_) {
      if (platform::DeleteFile(path)) outcome = " and was removed.";
    } else if (appendedTo_) {
      std::error_code ec;
      std::filesystem::resize_file(std::filesystem::u8path(path), *appendedTo_, ec);
      if (!ec) outcome = "; it was left as it was before the run.";
    }
    messages.ShowMessage("The output file " + path +
                         " could not be written completely (is the disk full?)" + outcome);
  }
  writeFailed_ = false;
  created_ = false;
  appendedTo_.reset();
}

}  // namespace tessaline
