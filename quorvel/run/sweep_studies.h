// The two sweeps of the window as studies: the S-K sweep varies S and K over its fixed grid
// with N infinite, the N sweep varies log10n from its first to its last value with
// `iterations` replicates. Run as studies they give the outcomes the sweeps always gave, in
// the order their report files list them.
#pragma once

#include <cstdint>

#include "quorvel/run/run_core.h"
#include "quorvel/run/study.h"

namespace quorvel {

// The S-K sweep over the base set (its S and K are the sweep's; the sinusoidal variation of
// S keeps starting from the base's S).
StudyDefinition SelectionSweepStudy(const ParameterValues& base);

// The N sweep over the base set: its from, to and iterations entries give the plan.
PopulationSweepPlan PopulationPlanOf(const ParameterValues& base);
// Null plan (no value of Log10(N)) gives a study of no runs.
StudyDefinition PopulationSweepStudy(const ParameterValues& base, uint64_t seed);

}  // namespace quorvel
