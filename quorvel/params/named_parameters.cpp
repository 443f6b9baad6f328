#include "quorvel/params/named_parameters.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <sstream>

#include "common/number_text.h"
#include "platform/system/files.h"

namespace quorvel {

namespace {

const char* OnOff(CheckValue value) {
  return value == 1 ? "on" : "off";
}

std::string BoundText(float bound) {
  std::string text = common::FormatSingle(bound);
  return NormalizeNumberText(text);
}

// Why the first step of the validation pass changed the value of an entry: its rounding
// alone (the same step without bounds) or a bound.
std::string EntryReason(const ParameterTable& table, int entry, const std::string& before,
                        const std::string& after) {
  ParameterTable unbounded = table;
  unbounded.MinValue[static_cast<size_t>(entry)] = std::numeric_limits<float>::lowest();
  unbounded.MaxValue[static_cast<size_t>(entry)] = std::numeric_limits<float>::max();
  const std::string rounded = ValidateEntryText(unbounded, entry, before);
  if (common::ParseLeadingNumber(rounded) == common::ParseLeadingNumber(after))
    return KindOf(entry) == ParameterKind::Half ? "rounded to a half step" : "rounded down";
  return after == BoundText(table.MaxValue[static_cast<size_t>(entry)]) ? "upper bound"
                                                                        : "lower bound";
}

}  // namespace

ParameterSet CoreSet(const ParameterValues& set) {
  ParameterSet core;
  for (int i : kParameterEntries) core.Text(i) = set.Entries[static_cast<size_t>(i)];
  core.Checks = set.Checks;
  return core;
}

ParameterValues StartUpSet(const ParameterTable& table, RunMode mode) {
  ParameterValues set;
  for (int i : kParameterEntries) set.Entries[static_cast<size_t>(i)] = StartText(table, i);
  set.Checks = StartChecks(mode);
  return set;
}

Prepared PrepareParameters(const ParameterTable& table, RunMode mode,
                           const std::vector<std::pair<std::string, std::string>>& assignments) {
  Prepared out;
  ParameterValues& set = out.Set;
  set = StartUpSet(table, mode);
  bool diffusionSet = false;
  for (const auto& [name, value] : assignments) {
    const ParameterRow* p = FindParameter(name);
    if (!p) {
      out.Refusal = "unknown parameter '" + name + "'; did you mean '" + NearestName(name) + "'?";
      return out;
    }
    if (p->IsEntry() && common::TrimBlanks(value).empty()) {
      out.Refusal =
          name + ": " + (IsEssentialEntry(p->Entry) ? kValuesNeededMessage : "a number is needed");
      return out;
    }
    if (const std::string refusal = AssignmentRefusal(*p, value); !refusal.empty()) {
      out.Refusal = name + ": " + refusal;
      return out;
    }
    if (p->IsEntry()) {
      set.Entries[static_cast<size_t>(p->Entry)] = value;
    } else if (p->Kind == ParameterKind::Loci) {
      set.Loci = value == "2" ? 2 : 3;
    } else {
      SwitchValue(set, *p) = value == "on" ? 1 : 0;
      if (p->Box == &CheckBoxes::InterdemicDiffusion) diffusionSet = true;
    }
  }

  // The check boxes that the window keeps in step with others.
  auto correctSwitch = [&](CheckValue CheckBoxes::*box, CheckValue to, const char* why) {
    CheckValue& value = set.Checks.*box;
    if (value == to) return;
    out.Corrections.push_back({ParameterOfSwitch(box).Name, OnOff(value), OnOff(to), why});
    value = to;
  };
  for (const ParameterRow& row : kParameterRows)
    if (row.Box)
      if (const char* why = SwitchHeldOff(row.Box, set.Checks, set.Loci))
        correctSwitch(row.Box, 0, why);

  // The window's validation pass; each change of a value is explained by the first step
  // of the pass alone (rounding, bounds) and by the rules between entries after it.
  ParameterSet core = CoreSet(set);
  const std::string folder = platform::DefaultFolder();
  core.Text(kEntryFolder) = folder;
  ValidateEntries(table, core, folder);
  // A text that holds the same number another way (1,1 for 1.1) is no correction.
  auto number = [](std::string text) {
    return common::ParseLeadingNumber(NormalizeNumberText(text));
  };
  auto note = [&](int entry, const std::string& before, const std::string& after,
                  const std::string& why) {
    if (number(before) == number(after)) return;
    out.Corrections.push_back({ParameterOfEntry(entry)->Name, before, after, why});
  };
  for (int i : kParameterEntries) {
    const std::string before = set.Entries[static_cast<size_t>(i)];
    const std::string bounded = ValidateEntryText(table, i, before);
    note(i, before, bounded, EntryReason(table, i, before, bounded));
    note(i, bounded, core.Text(i), i == kEntryS ? "S of -1 is not allowed" : "not above to");
    set.Entries[static_cast<size_t>(i)] = core.Text(i);
  }
  if (diffusionSet)
    correctSwitch(&CheckBoxes::InterdemicDiffusion, core.Checks.InterdemicDiffusion,
                  "follows demes");
  set.Checks.InterdemicDiffusion = core.Checks.InterdemicDiffusion;
  return out;
}

std::string ListText(const ParameterTable& table) {
  const ParameterValues start = StartUpSet(table, RunMode::Single);
  std::string text;
  for (const ParameterRow& p : kParameterRows) {
    std::string line = p.Name;
    line.resize(std::max<size_t>(line.size() + 1, 22), ' ');
    std::string value;
    std::string bounds;
    if (p.IsEntry()) {
      std::string startText = start.Entries[static_cast<size_t>(p.Entry)];
      value = ValidateEntryText(table, p.Entry, startText);
      bounds = std::string(1, '[')
                   .append(BoundText(table.MinValue[static_cast<size_t>(p.Entry)]))
                   .append(", ")
                   .append(BoundText(table.MaxValue[static_cast<size_t>(p.Entry)]))
                   .append("]");
    } else if (p.Kind == ParameterKind::Loci) {
      value = "2";
      bounds = "2|3";
    } else {
      value = p.FollowsRunMode ? "mode" : ValueText(start, p);
      bounds = "on|off";
    }
    line += value;
    line.resize(std::max<size_t>(line.size() + 1, 30), ' ');
    line += bounds;
    line.resize(std::max<size_t>(line.size() + 1, 48), ' ');
    line += p.Meaning;
    text += line + '\n';
  }
  return text;
}

}  // namespace quorvel
