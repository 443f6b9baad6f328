// The 21 numbered parameter entries of the quorvel window: their bounds and defaults, and
// the text rules of the validation pass that keep every entry a clean number inside its
// bounds. Plain C++, so the rules are checked without a window.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quorvel {

inline constexpr int kEntryCount = 21;  // txt(0) to txt(20)

// Entry numbers the rules single out.
enum Entry : int {
  kEntryU = 0,
  kEntryW = 1,
  kEntryS = 2,
  kEntryK = 3,
  kEntryFreqA = 4,
  kEntryFreqB = 5,
  kEntryFreqC = 6,
  kEntryZ = 7,
  kEntryIterations = 8,
  kEntryLog10N = 9,
  kEntryDemes = 10,
  kEntryDiffusion = 11,
  kEntryInversionPeriod = 12,
  kEntryAb = 13,     // haplotype ab
  kEntryCapAb = 14,  // haplotype Ab
  kEntryAB = 15,     // haplotype aB
  kEntryCapAB = 16,  // haplotype AB
  kEntryMaxGen = 17,
  kEntryLoopFrom = 18,
  kEntryLoopTo = 19,
  kEntryRPlus = 20,
  kDisplayD = 21,
  kDisplayTotal = 22,
  kEntryFolder = 30,
  kDisplayS = 37,
  kDisplayK = 38,
  kDisplayN = 39,
  kDisplayIteration = 40,
};

// How an entry is rounded before its bounds are applied.
enum class EntryKind { Real, Whole, Half };
EntryKind KindOf(int entry);

// Bounds and defaults in single precision, as the entries were designed; an entry is
// compared, in double precision, with its bound widened from float.
struct ParameterTable {
  std::array<float, kEntryCount> MinValue{};
  std::array<float, kEntryCount> MaxValue{};
  std::array<float, kEntryCount> DefaultValue{};  // used for entries 0 to 12 and 17
};
ParameterTable MakeParameterTable();

// Whether ResetEntries writes the default of the entry (the others keep fixed start texts).
bool HasDefault(int entry);

// The start text of an entry: its default in single-precision text form, or the fixed text
// of the window definition.
std::string StartText(const ParameterTable& table, int entry);

// The entry without leading and trailing blanks.
std::string TrimBlanks(std::string_view text);

// A decimal comma becomes a point (the first one only), a leading point gets a "0", and a
// run of leading zeros shrinks to one. Texts of one character are left alone. The text is
// changed in place and returned.
std::string NormalizeNumberText(std::string& text);

// One entry through the first step of the validation pass: trimmed, normalised, rounded
// by its kind and brought inside its bounds. A blank entry is returned untouched. An entry
// whose number overflows double precision (or whose tenfold value does, on a half step)
// has no sound rounding and takes its upper bound.
std::string ValidateEntryText(const ParameterTable& table, int entry, std::string_view text);

// S of exactly -1 would make the fitness of the selected genotypes zero: it becomes -0.99.
// Returns the text of entry 2 after the rule.
std::string ApplySRule(const std::string& sText);

// More than one deme means genes diffuse between them.
bool DemesNeedDiffusion(const std::string& demesText);

// The displays beside the four haplotype start frequencies (ab, Ab, aB, AB).
struct HaplotypeDisplays {
  std::string Total;        // their sum
  bool TotalIsOne = false;  // as the text of the sum reads
  std::string D;            // linkage disequilibrium ab*AB - aB*Ab
};
HaplotypeDisplays ComputeHaplotypeDisplays(const std::string& ab, const std::string& capAb,
                                           const std::string& aB, const std::string& capAB);

// The loop over Log10(N) must not start above its end: the start takes the end's text.
// Returns the start text after the rule.
std::string ApplyLoopRule(const std::string& fromText, const std::string& toText);

// The report files need an existing folder; anything else falls back to the default.
std::string ApplyFolderRule(const std::string& folderText, const std::string& defaultFolder);

}  // namespace quorvel
