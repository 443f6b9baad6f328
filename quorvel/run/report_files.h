// The report files of a Start command: ReportFile1.txt (the curves of a single run),
// ReportFile2.txt (the outcome of every run of a loop) and ReportFile3.txt (mean and S.D.
// per Log10(N)). File number n is both the handle and the digit in the name. Every file is
// recreated empty by the command that uses it and closed when the command ends.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/csv.h"
#include "platform/system/files.h"
#include "quorvel/run/run_core.h"

namespace quorvel {

// "ReportFile" + n + ".txt": the name of report file n.
std::string ReportFileName(int n);

// SaveDirectory + separator + ReportFileName(n). The folder is used as typed, so
// a folder that already ends in a separator gives two of them, which every file system
// reads as one.
std::string ReportFilePath(const std::string& saveDirectory, int n);

// The genotype labels in the genotype order: ab, Ab, aB, AB, or abc to ABC.
std::vector<std::string> GenotypeLabels(int allelesNum);

// The header line of ReportFile1: the genotype labels, R+ carriers then R- carriers
// (primed), joined by TAB.
std::string ReportFile1Header(int allelesNum);
// A data line of ReportFile1: the cumulative frequencies of one generation, each followed
// by a TAB.
std::string ReportFile1Line(const GenerationRow& row);

// The tidy table of a single run (generations.csv), written a line per generation as the
// run goes: the frequency of each genotype among R+ carriers ("ab_rplus", ...) and among
// R- carriers ("ab_rminus", ...), the total frequency of R+ ("rplus") and the frequency of
// each capital allele ("A", "B", and "C" with three loci).
class GenerationsCsv {
 public:
  explicit GenerationsCsv(int allelesNum);
  // The column line, its line end included.
  std::string Header() const;
  // Appends the generation's line, its line end included.
  void AppendLine(std::string& out, const GenerationRow& row) const;

 private:
  std::vector<std::string> labels_;
  std::string alleles_;  // "AB" or "ABC"
  // By capital allele, the curves (R+ and R- alike) whose genotype shows it.
  std::vector<std::vector<size_t>> carriers_;
};

class ReportFiles {
 public:
  static constexpr int kCount = 3;

  // Deletes an ordinary file of that path if there is one, then creates it empty as file
  // number n (1 to 3). False when the old file cannot be deleted or the new one cannot be
  // created; FailedPath() names it then.
  bool Open(int n, const std::string& saveDirectory);
  // Writes one line ending in CR LF to file number n; false (and FailedPath() set) when
  // the file is not open or the write failed.
  bool WriteLine(int n, std::string_view text);
  // Closes every open file; false when a write or a close failed (FailedPath() names the
  // first such file).
  bool CloseAll();
  // Closes every file and deletes every file this object created, so that a command that
  // fails half-way leaves no half-written report behind.
  void Discard();

  bool IsOpen(int n) const;
  const std::string& FailedPath() const { return failedPath_; }

 private:
  void Fail(const std::string& path);

  std::array<platform::TextFile, kCount> files_;
  std::array<std::string, kCount> paths_;  // of the last Open of each number
  std::vector<std::string> created_;
  std::string failedPath_;
};

}  // namespace quorvel
