// Parameter sets: the chosen simulation and every row of its grid as a TOML file, the rows
// named by their short names (those of the batch program's command line):
//   simulation = "spreading"
//   generations = 500
//   s1 = 0.025
// Opening one selects its simulation as the button does (without running it), types the
// rows it names into the grid and validates them by the grid's own rules; a row that holds
// the selection's preset is left as the selection made it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tessaline/core/controls.h"

namespace tessaline {

// The set of the grid as it stands; empty when no simulation is chosen.
std::string ParameterSetText(const FormControls& controls);

struct OpenedSet {
  // Why the text cannot be used; nothing was changed then.
  std::string refusal;
  // "s1: 1.5 -> 0.999 (upper bound)", one per value the grid's rules changed.
  std::vector<std::string> corrections;
  std::vector<std::string> unknownKeys;
};
OpenedSet OpenParameterSet(FormControls& controls, std::string_view text);

}  // namespace tessaline
