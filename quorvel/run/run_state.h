// The run state the window owns beside the model: what the entries and the run-mode
// buttons said when the run was started, and what runs leave behind. Values that the
// per-generation operators read (S, S2, S3, Z, Demes, Diffusion, PopulationN, NInfinite,
// the mutation table, the genotype tables and Freq) live in quorvel::Model instead, so
// they exist once.
#pragma once

#include <cstdint>
#include <string>

namespace quorvel {

// A check box's value: 0 clear, 1 ticked, 2 greyed. Only 1 switches a step on.
using CheckValue = int16_t;

// The check boxes a run consults, copied from the window when a command starts; the
// command holds the window's thread, so they cannot change during a run.
struct CheckBoxes {
  CheckValue GeneticDrift = 0;
  CheckValue TotalStochasticity = 0;
  CheckValue RecombForR = 0;
  CheckValue InversionOfS = 0;
  CheckValue SinusoidalOption = 0;
  CheckValue LinkageDisequilibrium = 0;
};

struct RunState {
  double U = 0;  // forward mutation rate u
  double W = 0;  // back mutation rate w
  double K = 0;  // epistasis in use
  int16_t MaxGen = 0;
  int16_t Iterations = 0;
  float Log10NEntered = 0;
  int16_t InversionPeriod = 0;
  std::string SaveDirectory;
  float Log10N = 0;  // kept between commands
  int16_t Generation = 0;
  double RPlusFreq = 0;
  bool StartFreqError = false;

  // Run mode, set by the run-mode option buttons (NInfinite lives in the model).
  bool SingleSimulation = true;
  bool LoopSandK = false;
  bool LoopLog10N = false;

  CheckBoxes Checks;
};

}  // namespace quorvel
