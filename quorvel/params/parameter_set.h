// What the user sets before a run, as plain values: the texts of the boxes and the values of
// the check boxes. The validation pass works on this set, so the window, the command-line
// program and the tests clean their entries by the same rules.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "quorvel/params/entries.h"
#include "quorvel/params/parameters.h"

namespace quorvel {

// A check box's value: 0 clear, 1 ticked, 2 greyed. Only 1 switches a step on.
using CheckValue = int16_t;

struct CheckBoxes {
  CheckValue InterdemicDiffusion = 0;  // follows the number of demes (validation pass)
  CheckValue InversionOfS = 0;
  CheckValue SinusoidalOption = 0;
  CheckValue TotalStochasticity = 0;
  CheckValue RecombForR = 0;
  CheckValue GeneticDrift = 0;
  CheckValue LinkageDisequilibrium = 0;
};

struct ParameterSet {
  // By box number (Entry); numbers without a box stay empty.
  std::array<std::string, kBoxNumbers> Texts;
  CheckBoxes Checks;

  const std::string& Text(int box) const { return Texts[static_cast<size_t>(box)]; }
  std::string& Text(int box) { return Texts[static_cast<size_t>(box)]; }
};

// The boxes and check boxes as they stand after start-up: the start texts, the default
// folder, and the check boxes of the first run mode (N infinite, so no genetic drift).
ParameterSet StartUpParameterSet(const ParameterTable& table, const std::string& defaultFolder);

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
