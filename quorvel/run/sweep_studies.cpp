#include "quorvel/run/sweep_studies.h"

#include "common/number_text.h"

namespace quorvel {

using common::ShortestText;

namespace {

// The entry varied by its batch name.
VariedParameter Varied(int entry, const std::vector<double>& values) {
  VariedParameter p;
  p.Name = ParameterOfEntry(entry)->Name;
  for (double v : values) p.Values.push_back(ShortestText(v));
  return p;
}

}  // namespace

StudyDefinition SelectionSweepStudy(const ParameterValues& base) {
  const SelectionSweepPlan plan = MakeSelectionSweepPlan();
  StudyDefinition d;
  d.Base = base;
  d.Varied = {Varied(kEntryS, plan.S), Varied(kEntryK, plan.K)};
  d.KeepEnteredS = true;
  return d;
}

PopulationSweepPlan PopulationPlanOf(const ParameterValues& base) {
  auto value = [&](int entry) {
    return common::ParseLeadingNumber(base.Entries[static_cast<size_t>(entry)]);
  };
  return MakePopulationSweepPlan(static_cast<float>(value(kEntryLoopFrom)),
                                 static_cast<float>(value(kEntryLoopTo)),
                                 common::ToInt16(value(kEntryIterations)));
}

StudyDefinition PopulationSweepStudy(const ParameterValues& base, uint64_t seed) {
  const PopulationSweepPlan plan = PopulationPlanOf(base);
  StudyDefinition d;
  d.Base = base;
  d.Varied = {Varied(kEntryLog10N, std::vector<double>(plan.Log10N.begin(), plan.Log10N.end()))};
  d.Replicates = plan.Iterations;
  d.Finite = true;
  d.Seed = seed;
  return d;
}

}  // namespace quorvel
