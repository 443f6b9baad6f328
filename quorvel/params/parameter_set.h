// What the user sets before a run, as plain values: the texts of the boxes and the values of
// the check boxes. The validation pass works on this set, so the window, the command-line
// program and the tests clean their entries by the same rules.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "quorvel/params/entries.h"
#include "quorvel/params/parameters.h"
#include "quorvel/params/run_mode.h"

namespace quorvel {

// What the window says of an empty essential entry.
inline constexpr const char* kValuesNeededMessage = "One or more value are needed!";

struct ParameterSet {
  // By box number (Entry); numbers without a box stay empty.
  std::array<std::string, kBoxNumbers> Texts;
  CheckBoxes Checks;

  const std::string& Text(int box) const { return Texts[static_cast<size_t>(box)]; }
  std::string& Text(int box) { return Texts[static_cast<size_t>(box)]; }
};

// The check boxes after start-up and the choice of the run mode: each switch's start
// value, genetic drift as the mode sets it.
CheckBoxes StartChecks(RunMode mode);

// The boxes and check boxes as they stand after start-up: the start texts, the default
// folder, and the check boxes of the first run mode (N infinite, so no genetic drift).
ParameterSet StartUpParameterSet(const ParameterTable& table, const std::string& defaultFolder);

// Why a switch must stay off while the others stand as they do (a start in linkage
// disequilibrium needs two loci, the sinusoidal variation of S needs its inversion), or
// nullptr when it may be on.
const char* SwitchHeldOff(CheckValue CheckBoxes::*box, const CheckBoxes& checks, int loci);

// Why a value cannot be assigned to a parameter ("'x' is not a number", "... is not on or
// off", "... is not 2 or 3"), or an empty text when it can. A blank entry is left to the
// caller: a run refuses it where the entry is essential.
std::string AssignmentRefusal(const ParameterRow& row, const std::string& value);

// What the pass leaves beside the texts and the diffusion box.
struct ValidationOutcome {
  // The haplotype displays (D and the total) were recomputed: only while "Linkage
  // disequilibrium" is ticked; otherwise they keep what they showed.
  bool HaplotypesShown = false;
  bool TotalIsOne = false;  // the total, as its text reads, is exactly 1
};

// The validation pass over every entry, in its order: each of the entries 0 to 20 cleaned
// and bounded (ValidateEntryText), the S rule, the interdemic-diffusion box set from the
// number of demes, the haplotype displays, the rule that the N sweep does not start above
// its end, and the folder rule. It never refuses anything: every correction is made in the
// texts.
ValidationOutcome ValidateEntries(const ParameterTable& table, ParameterSet& set,
                                  const std::string& defaultFolder);

}  // namespace quorvel
