// The run state the window owns beside the model: the run mode, the check boxes as the
// command copied them, and what commands leave behind for the next one. What a run reads is
// in RunInputs (run_core.h), what its operators work on in quorvel::Model.
#pragma once

#include <cstdint>
#include <string>

#include "quorvel/params/parameter_set.h"

namespace quorvel {

struct RunState {
  std::string SaveDirectory;  // the folder entry as the last command read it
  float Log10N = 0;           // kept between commands
  double RPlusFreq = 0;       // outcome of the last run
  int16_t Generation = 0;     // generations the last run went through
  // The first generation of the last run that ended with no individual left in any deme;
  // 0 when the population lived on.
  int16_t ExtinctAt = 0;

  // Run mode, set by the run-mode option buttons (NInfinite lives in the model).
  bool SingleSimulation = true;
  bool LoopSandK = false;
  bool LoopLog10N = false;

  CheckBoxes Checks;
};

}  // namespace quorvel
