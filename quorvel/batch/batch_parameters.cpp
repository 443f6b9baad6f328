#include "quorvel/batch/batch_parameters.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <sstream>

#include "common/number_text.h"
#include "platform/system/files.h"
#include "quorvel/run/run_driver.h"

namespace quorvel::batch {

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
    return KindOf(entry) == EntryKind::Half ? "rounded to a half step" : "rounded down";
  return after == BoundText(table.MaxValue[static_cast<size_t>(entry)]) ? "upper bound"
                                                                        : "lower bound";
}

}  // namespace

ParameterValues StartUpSet(const ParameterTable& table, RunMode mode) {
  ParameterValues set;
  for (int i = 0; i < kEntryCount; ++i) set.Entries[static_cast<size_t>(i)] = StartText(table, i);
  set.Checks.TotalStochasticity = 1;
  set.Checks.RecombForR = 1;
  // The run mode decides whether drift is on, as choosing its button does.
  RunState state;
  UniformGenerator generator;
  Model model(generator);
  ChooseRunMode(RunModeOption(mode), state, model);
  set.Checks.GeneticDrift = state.Checks.GeneticDrift;
  return set;
}

Prepared PrepareParameters(const ParameterTable& table, RunMode mode,
                           const std::vector<std::pair<std::string, std::string>>& assignments) {
  Prepared out;
  ParameterValues& set = out.Set;
  set = StartUpSet(table, mode);
  bool diffusionSet = false;
  for (const auto& [name, value] : assignments) {
    const ParameterName* p = FindName(name);
    if (!p) {
      out.Refusal = "unknown parameter '" + name + "'; did you mean '" + NearestName(name) + "'?";
      return out;
    }
    if (p->Entry >= 0) {
      if (common::TrimBlanks(value).empty()) {
        out.Refusal = name + ": " +
                      (p->Entry <= 8 ? std::string(kValuesNeededMessage) : "a number is needed");
        return out;
      }
      if (!IsNumberText(value)) {
        out.Refusal = name + ": '" + value + "' is not a number";
        return out;
      }
      set.Entries[static_cast<size_t>(p->Entry)] = value;
    } else if (p->Which == Switch::Loci) {
      if (value != "2" && value != "3") {
        out.Refusal = "loci: '" + value + "' is not 2 or 3";
        return out;
      }
      set.Loci = value == "2" ? 2 : 3;
    } else {
      if (value != "on" && value != "off") {
        out.Refusal = name + ": '" + value + "' is not on or off";
        return out;
      }
      SwitchValue(set, p->Which) = value == "on" ? 1 : 0;
      if (p->Which == Switch::InterdemicDiffusion) diffusionSet = true;
    }
  }

  // The check boxes that the window keeps in step with others.
  auto correctSwitch = [&](const char* name, CheckValue& value, CheckValue to, const char* why) {
    if (value == to) return;
    out.Corrections.push_back({name, OnOff(value), OnOff(to), why});
    value = to;
  };
  if (set.Loci == 3) correctSwitch("ld", set.Checks.LinkageDisequilibrium, 0, "two loci only");
  if (set.Checks.InversionOfS == 0)
    correctSwitch("sinusoidal", set.Checks.SinusoidalOption, 0, "needs inversion");

  // The window's validation pass; each change of a value is explained by the first step
  // of the pass alone (rounding, bounds) and by the rules between entries after it.
  quorvel::ParameterSet core;
  for (int i = 0; i < kEntryCount; ++i) core.Text(i) = set.Entries[static_cast<size_t>(i)];
  core.Checks = set.Checks;
  const std::string folder = platform::DefaultFolder();
  core.Text(kEntryFolder) = folder;
  ValidateEntries(table, core, folder);
  auto note = [&](int entry, const std::string& before, const std::string& after,
                  const std::string& why) {
    if (common::ParseLeadingNumber(before) == common::ParseLeadingNumber(after)) return;
    out.Corrections.push_back(
        {ParameterNames()[static_cast<size_t>(entry)].Name, before, after, why});
  };
  for (int i = 0; i < kEntryCount; ++i) {
    const std::string before = set.Entries[static_cast<size_t>(i)];
    const std::string bounded = ValidateEntryText(table, i, before);
    note(i, before, bounded, EntryReason(table, i, before, bounded));
    note(i, bounded, core.Text(i), i == kEntryS ? "S of -1 is not allowed" : "not above to");
    set.Entries[static_cast<size_t>(i)] = core.Text(i);
  }
  if (diffusionSet)
    correctSwitch("interdemic-diffusion", set.Checks.InterdemicDiffusion,
                  core.Checks.InterdemicDiffusion, "follows demes");
  set.Checks.InterdemicDiffusion = core.Checks.InterdemicDiffusion;
  return out;
}

std::string ListText(const ParameterTable& table) {
  const ParameterValues start = StartUpSet(table, RunMode::Single);
  std::string text;
  for (const ParameterName& p : ParameterNames()) {
    std::string line = p.Name;
    line.resize(std::max<size_t>(line.size() + 1, 22), ' ');
    std::string value;
    std::string bounds;
    if (p.Entry >= 0) {
      std::string startText = start.Entries[static_cast<size_t>(p.Entry)];
      value = ValidateEntryText(table, p.Entry, startText);
      bounds = "[" + BoundText(table.MinValue[static_cast<size_t>(p.Entry)]) + ", " +
               BoundText(table.MaxValue[static_cast<size_t>(p.Entry)]) + "]";
    } else if (p.Which == Switch::Loci) {
      value = "2";
      bounds = "2|3";
    } else if (p.Which == Switch::Drift) {
      value = "mode";  // off for N infinite, on for a finite population
      bounds = "on|off";
    } else {
      value = ValueText(start, p);
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

}  // namespace quorvel::batch
