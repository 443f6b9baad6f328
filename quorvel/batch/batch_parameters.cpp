#include "quorvel/batch/batch_parameters.h"

#include <toml++/toml.h>
#include <algorithm>
#include <charconv>
#include <limits>
#include <sstream>

#include "common/number_text.h"
#include "platform/files.h"
#include "quorvel/run/run_driver.h"

namespace quorvel::batch {

namespace {

constexpr const char* kModeNames[] = {"single", "single-finite", "sk-sweep", "n-sweep"};

// A number as an entry takes it: sign, digits with at most one point (a decimal comma is
// read as a point), and an exponent introduced by E or D.
bool IsNumberText(std::string text) {
  text = common::TrimBlanks(text);
  NormalizeNumberText(text);
  size_t i = 0;
  const size_t n = text.size();
  auto digit = [&](size_t k) { return k < n && text[k] >= '0' && text[k] <= '9'; };
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  bool digits = false;
  while (digit(i)) ++i, digits = true;
  if (i < n && text[i] == '.') {
    ++i;
    while (digit(i)) ++i, digits = true;
  }
  if (!digits) return false;
  if (i < n && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    if (!digit(i)) return false;
    while (digit(i)) ++i;
  }
  return i == n;
}

CheckValue* CheckOf(ParameterSet& set, Switch which) {
  switch (which) {
    case Switch::Ld:
      return &set.Checks.LinkageDisequilibrium;
    case Switch::InterdemicDiffusion:
      return &set.Checks.InterdemicDiffusion;
    case Switch::Inversion:
      return &set.Checks.InversionOfS;
    case Switch::Sinusoidal:
      return &set.Checks.SinusoidalOption;
    case Switch::TotalStochasticity:
      return &set.Checks.TotalStochasticity;
    case Switch::Recombination:
      return &set.Checks.RecombForR;
    case Switch::Drift:
      return &set.Checks.GeneticDrift;
    case Switch::Loci:
      break;
  }
  return nullptr;
}

const char* OnOff(CheckValue value) {
  return value == 1 ? "on" : "off";
}

size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      // Case differences cost less: K and k are nearer than K and S.
      const bool same = a[i - 1] == b[j - 1];
      const bool sameLetter = std::tolower(a[i - 1]) == std::tolower(b[j - 1]);
      row[j] = std::min({row[j] + 2, row[j - 1] + 2, diagonal + (same ? 0 : sameLetter ? 1 : 2)});
      diagonal = above;
    }
  }
  return row[b.size()];
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

std::string ShortestText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::optional<RunMode> ParseRunMode(std::string_view name) {
  for (int i = 0; i < 4; ++i)
    if (name == kModeNames[i]) return static_cast<RunMode>(i);
  return std::nullopt;
}

const char* RunModeName(RunMode mode) {
  return kModeNames[static_cast<int>(mode)];
}

const std::vector<ParameterName>& ParameterNames() {
  static const std::vector<ParameterName> kNames = {
      {"u", 0, Switch::Loci, "forward mutation rate"},
      {"w", 1, Switch::Loci, "back mutation rate"},
      {"S", 2, Switch::Loci, "selection coefficient"},
      {"K", 3, Switch::Loci, "epistasis (above 1: sex disadvantaged)"},
      {"a", 4, Switch::Loci, "start frequency of allele a"},
      {"b", 5, Switch::Loci, "start frequency of allele b"},
      {"c", 6, Switch::Loci, "start frequency of allele c (three loci)"},
      {"z", 7, Switch::Loci, "fraction of R- carriers recombining"},
      {"iterations", 8, Switch::Loci, "runs per Log10(N) value (n-sweep)"},
      {"log10n", 9, Switch::Loci, "Log10(N) of a single finite run"},
      {"demes", 10, Switch::Loci, "number of demes"},
      {"diffusion", 11, Switch::Loci, "interdemic diffusion of genes"},
      {"inversion-period", 12, Switch::Loci, "generations between inversions of S"},
      {"ab", 13, Switch::Loci, "start frequency of haplotype ab (with ld)"},
      {"Ab", 14, Switch::Loci, "start frequency of haplotype Ab (with ld)"},
      {"aB", 15, Switch::Loci, "start frequency of haplotype aB (with ld)"},
      {"AB", 16, Switch::Loci, "start frequency of haplotype AB (with ld)"},
      {"maxgen", 17, Switch::Loci, "generations per run"},
      {"from", 18, Switch::Loci, "first Log10(N) of the n-sweep (step 0.5)"},
      {"to", 19, Switch::Loci, "last Log10(N) of the n-sweep"},
      {"rplus", 20, Switch::Loci, "start frequency of R+"},
      {"loci", -1, Switch::Loci, "number of loci: 2 or 3"},
      {"ld", -1, Switch::Ld, "start in linkage disequilibrium from ab, Ab, aB, AB (two loci)"},
      {"interdemic-diffusion", -1, Switch::InterdemicDiffusion,
       "genes diffuse between demes (follows demes)"},
      {"inversion", -1, Switch::Inversion, "S changes sign every inversion-period generations"},
      {"sinusoidal", -1, Switch::Sinusoidal, "S varies sinusoidally (with inversion)"},
      {"total-stochasticity", -1, Switch::TotalStochasticity,
       "R- carriers draw their own mutation randomness"},
      {"recombination", -1, Switch::Recombination, "recombination for R+"},
      {"drift", -1, Switch::Drift,
       "genetic drift (default: on in single-finite and n-sweep, off in the others)"},
  };
  return kNames;
}

const ParameterName* FindName(std::string_view name) {
  for (const ParameterName& p : ParameterNames())
    if (name == p.Name) return &p;
  return nullptr;
}

std::string NearestName(std::string_view name) {
  std::string best;
  size_t bestDistance = SIZE_MAX;
  for (const ParameterName& p : ParameterNames()) {
    const size_t d = EditDistance(name, p.Name);
    if (d < bestDistance) {
      bestDistance = d;
      best = p.Name;
    }
  }
  return best;
}

ParameterSet StartUpSet(const ParameterTable& table, RunMode mode) {
  ParameterSet set;
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

std::string ValueText(const ParameterSet& set, const ParameterName& name) {
  if (name.Entry >= 0) return set.Entries[static_cast<size_t>(name.Entry)];
  if (name.Which == Switch::Loci) return std::to_string(set.Loci);
  ParameterSet copy = set;
  return OnOff(*CheckOf(copy, name.Which));
}

Prepared PrepareParameters(const ParameterTable& table, RunMode mode,
                           const std::vector<std::pair<std::string, std::string>>& assignments) {
  Prepared out;
  ParameterSet& set = out.Set;
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
      *CheckOf(set, p->Which) = value == "on" ? 1 : 0;
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

bool ReadParameterFile(const std::string& path,
                       std::vector<std::pair<std::string, std::string>>& assignments,
                       std::string& message) {
  toml::table file;
  try {
    file = toml::parse_file(path);
  } catch (const toml::parse_error& error) {
    std::ostringstream text;
    text << path << ":" << error.source().begin.line << ": " << error.description();
    message = text.str();
    return false;
  }
  for (const auto& [key, node] : file) {
    const std::string name(key.str());
    std::string value;
    if (auto text = node.value_exact<std::string>()) {
      value = *text;
    } else if (auto whole = node.value_exact<int64_t>()) {
      value = std::to_string(*whole);
    } else if (auto real = node.value_exact<double>()) {
      value = ShortestText(*real);
    } else if (auto flag = node.value_exact<bool>()) {
      value = *flag ? "on" : "off";
    } else {
      message = path + ": " + name + ": a number, a text or true/false is needed";
      return false;
    }
    assignments.emplace_back(name, value);
  }
  return true;
}

std::string ParameterFileText(const ParameterSet& set) {
  std::string text;
  for (const ParameterName& p : ParameterNames()) {
    text += p.Name;
    text += " = ";
    if (p.Entry >= 0) {
      // Written as the number the entry reads, which reads back to the same number.
      text += ShortestText(common::ParseLeadingNumber(set.Entries[static_cast<size_t>(p.Entry)]));
    } else if (p.Which == Switch::Loci) {
      text += std::to_string(set.Loci);
    } else {
      text += '"' + ValueText(set, p) + '"';
    }
    text += '\n';
  }
  return text;
}

std::string ListText(const ParameterTable& table) {
  const ParameterSet start = StartUpSet(table, RunMode::Single);
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
