// The run state the window owns beside the model: the run mode, the check boxes as the
// command copied them, and what commands leave behind for the next one. What a run reads is
// in RunInputs (run_core.h), what its operators work on in quorvel::Model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quorvel/params/parameter_set.h"
#include "quorvel/params/run_mode.h"
#include "quorvel/run/run_core.h"

namespace quorvel {

// What the last command produced, kept for the window's exports and sweep results: the
// rows of a single run's generations, or every run's outcome of a sweep with the S and K or
// the Log10(N) it ran with, in run order.
struct CommandRecord {
  int Commands = 0;  // counts the commands that ran, so that a reader sees a new one
  RunMode Mode = RunMode::Single;
  bool Complete = false;            // every run ended: neither stopped nor cut short by a file
  std::vector<GenerationRow> Rows;  // a single run
  std::vector<double> S, K;         // the S-K sweep, per run
  std::vector<float> Log10N;        // the N sweep, per run
  std::vector<double> Outcomes;     // a sweep's runs
};

struct RunState {
  std::string SaveDirectory;  // the folder entry as the last command read it
  float Log10N = 0;           // kept between commands
  double RPlusFreq = 0;       // outcome of the last run
  int16_t Generation = 0;     // generations the last run went through
  // The first generation of the last run that ended with no individual left in any deme;
  // 0 when the population lived on.
  int16_t ExtinctAt = 0;

  // Set by the run-mode option buttons (whether N is infinite lives in the model too).
  RunMode Mode = RunMode::Single;

  CheckBoxes Checks;

  CommandRecord Last;
};

}  // namespace quorvel
