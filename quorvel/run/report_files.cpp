#include "quorvel/run/report_files.h"

#include <string>

#include "common/number_text.h"

namespace quorvel {

std::string ReportFileName(int n) {
  return "ReportFile" + std::to_string(n) + ".txt";
}

std::string ReportFilePath(const std::string& saveDirectory, int n) {
  return saveDirectory + platform::PathSeparator() + ReportFileName(n);
}

std::string ReportFile1Header(int allelesNum) {
  static const char* const kTwoLoci[] = {"ab", "Ab", "aB", "AB"};
  static const char* const kThreeLoci[] = {"abc", "Abc", "aBc", "abC", "ABc", "aBC", "AbC", "ABC"};
  std::vector<std::string> labels;
  if (allelesNum == 2) {
    labels.assign(std::begin(kTwoLoci), std::end(kTwoLoci));
  } else {
    labels.assign(std::begin(kThreeLoci), std::end(kThreeLoci));
  }
  std::string line;
  for (int primed = 0; primed < 2; ++primed) {
    for (const std::string& label : labels) {
      if (!line.empty()) line += '\t';
      line += label;
      if (primed) line += '\'';
    }
  }
  return line;
}

std::string ReportFile1Line(const GenerationRow& row) {
  std::string line;
  for (size_t j = 0; j < static_cast<size_t>(row.Curves); ++j) {
    line += common::FormatNumber(row.Cumulative[j]);
    line += '\t';
  }
  return line;
}

bool ReportFiles::Open(int n, const std::string& saveDirectory) {
  if (n < 1 || n > kCount) return false;
  const std::string path = ReportFilePath(saveDirectory, n);
  platform::TextFile& file = files_[static_cast<size_t>(n - 1)];
  file.Close();
  paths_[static_cast<size_t>(n - 1)] = path;
  switch (platform::CheckFile(path)) {
    case platform::FileCheck::Exists:
      if (!platform::DeleteFile(path)) {
        Fail(path);
        return false;
      }
      break;
    case platform::FileCheck::Missing:
      break;
    case platform::FileCheck::Error:  // a folder of that name, or a name that cannot be examined
      Fail(path);
      return false;
  }
  if (!file.OpenForWriting(path)) {
    Fail(path);
    return false;
  }
  created_.push_back(path);
  return true;
}

bool ReportFiles::WriteLine(int n, std::string_view text) {
  if (n < 1 || n > kCount) return false;
  platform::TextFile& file = files_[static_cast<size_t>(n - 1)];
  if (!file.WriteLine(text)) {
    Fail(paths_[static_cast<size_t>(n - 1)]);
    return false;
  }
  return true;
}

bool ReportFiles::CloseAll() {
  bool ok = true;
  for (platform::TextFile& file : files_) {
    if (!file.IsOpen()) continue;
    const std::string path = file.Path();
    if (!file.Close()) {
      Fail(path);
      ok = false;
    }
  }
  return ok;
}

void ReportFiles::Discard() {
  for (platform::TextFile& file : files_) file.Close();
  for (const std::string& path : created_) platform::DeleteFile(path);
  created_.clear();
}

bool ReportFiles::IsOpen(int n) const {
  return n >= 1 && n <= kCount && files_[static_cast<size_t>(n - 1)].IsOpen();
}

void ReportFiles::Fail(const std::string& path) {
  if (failedPath_.empty()) failedPath_ = path;
}

}  // namespace quorvel
