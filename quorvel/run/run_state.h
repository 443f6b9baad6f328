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

  // Run mode, set by the run-mode option buttons (NInfinite lives in the model).
  bool SingleSimulation = true;
  bool LoopSandK = false;
  bool LoopLog10N = false;

  CheckBoxes Checks;
};

}  // namespace quorvel
