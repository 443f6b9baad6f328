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

std::vector<std::string> GenotypeLabels(int allelesNum) {
  static const char* const kTwoLoci[] = {"ab", "Ab", "aB", "AB"};
  static const char* const kThreeLoci[] = {"abc", "Abc", "aBc", "abC", "ABc", "aBC", "AbC", "ABC"};
  if (allelesNum == 2) return {std::begin(kTwoLoci), std::end(kTwoLoci)};
  return {std::begin(kThreeLoci), std::end(kThreeLoci)};
}

std::string ReportFile1Header(int allelesNum) {
  std::string line;
  for (int primed = 0; primed < 2; ++primed) {
    for (const std::string& label : GenotypeLabels(allelesNum)) {
      if (!line.empty()) line += '\t';
      line += label;
      if (primed) line += '\'';
    }
  }
  return line;
}

GenerationsCsv::GenerationsCsv(int allelesNum)
    : labels_(GenotypeLabels(allelesNum)), alleles_(allelesNum == 2 ? "AB" : "ABC") {
  // An allele's carriers are the genotypes that show it in capitals, R+ and R- alike.
  const size_t genotypes = labels_.size();
  for (char allele : alleles_) {
    std::vector<size_t>& curves = carriers_.emplace_back();
    for (size_t j = 0; j < 2 * genotypes; ++j)
      if (labels_[j % genotypes].find(allele) != std::string::npos) curves.push_back(j);
  }
}

std::string GenerationsCsv::Header() const {
  std::vector<std::string> columns = {"generation"};
  for (const char* carrier : {"_rplus", "_rminus"})
    for (const std::string& label : labels_) columns.push_back(label + carrier);
  columns.push_back("rplus");
  for (char allele : alleles_) columns.push_back(std::string(1, allele));
  return platform::TidyCsvLine(columns);
}

void GenerationsCsv::AppendLine(std::string& out, const GenerationRow& row) const {
  // Numbers only: no cell needs quoting.
  out += std::to_string(row.Generation);
  for (size_t j = 0; j < 2 * labels_.size(); ++j) {
    out += ',';
    platform::AppendTidyNumber(out, row.Frequency[j]);
  }
  out += ',';
  platform::AppendTidyNumber(out, row.RPlusFreq());
  for (const std::vector<size_t>& curves : carriers_) {
    double freq = 0;
    for (size_t j : curves) freq += row.Frequency[j];
    out += ',';
    platform::AppendTidyNumber(out, freq);
  }
  out += platform::kCsvNewLine;
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
