#include "quorvel/params/parameter_set.h"

#include "common/number_text.h"

namespace quorvel {

CheckBoxes StartChecks(RunMode mode) {
  CheckBoxes checks;
  for (const ParameterRow& row : kParameterRows) {
    if (!row.Box) continue;
    checks.*row.Box = row.FollowsRunMode ? RunModeDrift(mode) : row.StartValue;
  }
  return checks;
}

ParameterSet StartUpParameterSet(const ParameterTable& table, const std::string& defaultFolder) {
  ParameterSet set;
  for (int box = 0; box < kBoxNumbers; ++box) set.Text(box) = StartText(table, box);
  set.Text(kEntryFolder) = defaultFolder;
  set.Checks = StartChecks(RunMode::Single);
  ValidateEntries(table, set, defaultFolder);
  return set;
}

const char* SwitchHeldOff(CheckValue CheckBoxes::*box, const CheckBoxes& checks, int loci) {
  if (box == &CheckBoxes::LinkageDisequilibrium && loci == 3) return "two loci only";
  if (box == &CheckBoxes::SinusoidalOption && checks.InversionOfS == 0) return "needs inversion";
  return nullptr;
}

std::string AssignmentRefusal(const ParameterRow& row, const std::string& value) {
  switch (row.Kind) {
    case ParameterKind::Loci:
      return value == "2" || value == "3" ? "" : "'" + value + "' is not 2 or 3";
    case ParameterKind::Switch:
      return value == "on" || value == "off" ? "" : "'" + value + "' is not on or off";
    default:
      if (common::TrimBlanks(value).empty() || IsNumberText(value)) return "";
      return "'" + value + "' is not a number";
  }
}

ValidationOutcome ValidateEntries(const ParameterTable& table, ParameterSet& set,
                                  const std::string& defaultFolder) {
  for (int i : kParameterEntries) set.Text(i) = ValidateEntryText(table, i, set.Text(i));

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
