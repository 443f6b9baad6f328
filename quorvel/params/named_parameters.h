// Parameters by the short names of the window's controls: the
// entries (u, w, S, K, ...) and the check boxes and loci (switches). A command's values
// pass through the window's own validation rules, so a batch run sees exactly what the
// window would show after the same typing; every change the rules make is reported, and
// what the window could never run (a missing essential value, a text that is not a number,
// an unknown name) is refused with a message naming the parameter.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quorvel/params/parameter_file.h"
#include "quorvel/params/parameter_set.h"
#include "quorvel/params/parameters.h"

namespace quorvel {

// The set as the validation pass and the run core read it.
ParameterSet CoreSet(const ParameterValues& set);

// The window's state after start-up and after choosing the run mode.
ParameterValues StartUpSet(const ParameterTable& table, RunMode mode);

// One change made by the rules: "K: 1.5 -> 1.4 (upper bound)".
struct Correction {
  std::string Name;
  std::string From;
  std::string To;
  std::string Reason;
  std::string Text() const { return Name + ": " + From + " -> " + To + " (" + Reason + ")"; }
};

struct Prepared {
  ParameterValues Set;
  std::vector<Correction> Corrections;
  std::string Refusal;  // empty when the values can run
};

// Applies the assignments (name, value text) in order to the start-up set of the mode,
// then the window's validation pass. Refuses unknown names, switch values other than
// on/off (2/3 for loci), entries that are not numbers and empty essential entries.
Prepared PrepareParameters(const ParameterTable& table, RunMode mode,
                           const std::vector<std::pair<std::string, std::string>>& assignments);

// One line per name: name, default, bounds and meaning.
std::string ListText(const ParameterTable& table);

}  // namespace quorvel
