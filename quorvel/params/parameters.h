// quorvel's parameter entries as their rows give them (captions, bounds, defaults and start
// texts), and the text rules of the validation pass that keep every entry a clean number
// inside its bounds. Plain C++, shared by the window and the command-line program.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "quorvel/params/entries.h"

namespace quorvel {

// How an entry is rounded before its bounds are applied (its row's kind).
ParameterKind KindOf(int entry);

// Bounds and defaults in single precision, by box number, from the rows; an entry is
// compared, in double precision, with its bound widened from float.
struct ParameterTable {
  std::array<float, kBoxNumbers> MinValue{};
  std::array<float, kBoxNumbers> MaxValue{};
  std::array<float, kBoxNumbers> DefaultValue{};  // for the entries whose row has a default
};
ParameterTable MakeParameterTable();

// Whether the start-up reset writes the default of the entry (the others keep fixed start
// texts).
bool HasDefault(int entry);

// The start text of a parameter entry or of a haplotype display: its default in
// single-precision text form, or a fixed text. Empty for the other boxes.
std::string StartText(const ParameterTable& table, int entry);

// The caption beside a box: an entry's caption (for the diffusion and the inversion period,
// the caption of the check box that governs the entry), a display's or the folder's label.
// Empty for the boxes without one (the bounds of the N sweep stand in a run mode's caption).
std::string EntryCaption(int entry);

// Whether leaving the box normalises its text before the validation pass (the number
// entries 1 to 19).
bool NormalizedOnLeaving(int entry);

// A decimal comma becomes a point (the first one only), a leading point gets a "0", and a
// run of leading zeros shrinks to one. Texts of one character are left alone. The text is
// changed in place and returned.
std::string NormalizeNumberText(std::string& text);

// A number as an entry takes it: sign, digits with at most one point (a decimal comma is
// read as a point), and an exponent introduced by E or D.
bool IsNumberText(std::string text);

// A run needs entries 0 to 8: with one of them blank it is refused.
inline bool IsEssentialEntry(int entry) {
  return entry >= kEntryU && entry <= kEntryIterations;
}

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
