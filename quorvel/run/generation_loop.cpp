// One run: the start state, the per-run values, then MaxGen generations of the S schedule,
// the operators in their fixed order, and the drawing.
#include <cmath>

#include "common/number_text.h"
#include "common/power.h"
#include "quorvel/run/run_driver.h"

namespace quorvel {

void RunDriver::UpdateSelection() {
  model_.UpdateSelection(state_.K);
}

void RunDriver::PrepareRun() {
  model_.PopulationN = common::Power(10.0, static_cast<double>(state_.Log10N));
  model_.SetMutationRates(state_.U, state_.W);
}

void RunDriver::RunGenerations() {
  // The schedule of S acts only within the run: the next run (of a loop) starts again
  // from the S it was given.
  const double sAtStart = model_.S;
  const double s2AtStart = model_.S2;
  const double s3AtStart = model_.S3;

  SetStartFrequencies();
  PrepareRun();

  const CheckBoxes& checks = state_.Checks;
  const bool schedule = checks.InversionOfS == 1 && state_.InversionPeriod != 0;
  // The sinusoidal variation starts from the entered S0 in every generation; the entry
  // cannot change while the command holds the window, so one reading serves the run.
  const double s0 = schedule && checks.SinusoidalOption == 1 ? EntryValue(kEntryS) : 0;

  const int maxGen = state_.MaxGen;
  for (int generation = 1; generation <= maxGen; ++generation) {
    state_.Generation = static_cast<int16_t>(generation);
    if (schedule) {
      const double ratio = static_cast<double>(generation) / state_.InversionPeriod;
      if (checks.SinusoidalOption == 0) {
        if (std::floor(ratio) == ratio) {
          model_.S = -model_.S;
          UpdateSelection();
        }
      } else if (checks.SinusoidalOption == 1) {
        const double h = ratio / 2;
        model_.S = s0 * std::sin((h - std::floor(h)) * kTwoPi15);
        UpdateSelection();
      }
    }
    if (checks.RecombForR == 1) model_.RecombinationStep();
    if (checks.GeneticDrift == 1) model_.DriftStep();
    model_.SelectionStep();
    model_.MutationStep();
    model_.DiffusionStep();
    PlotGeneration();
    if (failed_) break;
  }
  // A single run's curves are what the user came for; in a sweep the next run clears
  // them, so the throttled repaint is enough there.
  picture_.Refresh(state_.SingleSimulation);

  model_.S = sAtStart;
  model_.S2 = s2AtStart;
  model_.S3 = s3AtStart;
}

}  // namespace quorvel
