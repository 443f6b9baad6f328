#include "quorvel/params/parameter_set.h"

namespace quorvel {

ParameterSet StartUpParameterSet(const ParameterTable& table, const std::string& defaultFolder) {
  ParameterSet set;
  for (int box = 0; box < kBoxNumbers; ++box) set.Text(box) = StartText(table, box);
  set.Text(kEntryFolder) = defaultFolder;
  set.Checks.TotalStochasticity = 1;
  set.Checks.RecombForR = 1;
  ValidateEntries(table, set, defaultFolder);
  return set;
}

ValidationOutcome ValidateEntries(const ParameterTable& table, ParameterSet& set,
                                  const std::string& defaultFolder) {
  for (int i = 0; i < kEntryCount; ++i) set.Text(i) = ValidateEntryText(table, i, set.Text(i));

  set.Text(kEntryS) = ApplySRule(set.Text(kEntryS));
  set.Checks.InterdemicDiffusion = DemesNeedDiffusion(set.Text(kEntryDemes)) ? 1 : 0;

  ValidationOutcome outcome;
  if (set.Checks.LinkageDisequilibrium == 1) {
    const HaplotypeDisplays shown =
        ComputeHaplotypeDisplays(set.Text(kEntryHaplotypeAb), set.Text(kEntryHaplotypeCapAb),
                                 set.Text(kEntryHaplotypeACapB), set.Text(kEntryHaplotypeCapACapB));
    set.Text(kShowTotal) = shown.Total;
    set.Text(kShowD) = shown.D;
    outcome.HaplotypesShown = true;
    outcome.TotalIsOne = shown.TotalIsOne;
  }

  set.Text(kEntryLoopFrom) = ApplyLoopRule(set.Text(kEntryLoopFrom), set.Text(kEntryLoopTo));
  set.Text(kEntryFolder) = ApplyFolderRule(set.Text(kEntryFolder), defaultFolder);
  return outcome;
}

}  // namespace quorvel
