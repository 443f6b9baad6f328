#include "quorvel/params/parameter_file.h"

#include <toml++/toml.h>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/nearest_word.h"
#include "common/number_text.h"

namespace quorvel {

namespace {

constexpr const char* kModeNames[] = {"single", "single-finite", "sk-sweep", "n-sweep"};

using common::ShortestText;

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
  std::vector<std::string> names;
  for (const ParameterName& p : ParameterNames()) names.emplace_back(p.Name);
  return common::NearestWord(name, names);
}

CheckValue& SwitchValue(ParameterValues& values, Switch which) {
  CheckBoxes& c = values.Checks;
  switch (which) {
    case Switch::Ld:
      return c.LinkageDisequilibrium;
    case Switch::InterdemicDiffusion:
      return c.InterdemicDiffusion;
    case Switch::Inversion:
      return c.InversionOfS;
    case Switch::Sinusoidal:
      return c.SinusoidalOption;
    case Switch::TotalStochasticity:
      return c.TotalStochasticity;
    case Switch::Recombination:
      return c.RecombForR;
    case Switch::Drift:
    case Switch::Loci:  // no check box: callers never ask for it
      break;
  }
  return c.GeneticDrift;
}

std::string ValueText(const ParameterValues& values, const ParameterName& name) {
  if (name.Entry >= 0) return values.Entries[static_cast<size_t>(name.Entry)];
  if (name.Which == Switch::Loci) return std::to_string(values.Loci);
  ParameterValues copy = values;
  return SwitchValue(copy, name.Which) == 1 ? "on" : "off";
}

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

namespace {

bool ReadStudyTable(const toml::table& table, const std::string& source, StudyTable& study,
                    std::string& message) {
  const std::string where = source + ": [study] ";
  for (const auto& [key, node] : table) {
    const std::string name(key.str());
    if (name == "vary") {
      const toml::array* list = node.as_array();
      if (!list) {
        message = where + "vary: a list of texts \"NAME=FROM:TO:STEP\" or \"NAME=V1,V2\" is needed";
        return false;
      }
      for (const toml::node& item : *list) {
        const auto text = item.value_exact<std::string>();
        if (!text) {
          message = where + "vary: every item must be a text";
          return false;
        }
        study.Vary.push_back(*text);
      }
    } else if (name == "replicates") {
      const auto count = node.value_exact<int64_t>();
      if (!count || *count < 1 || *count > 1'000'000'000) {
        message = where + "replicates: a whole number from 1 is needed";
        return false;
      }
      study.Replicates = static_cast<int>(*count);
    } else if (name == "population") {
      const auto kind = node.value_exact<std::string>();
      if (!kind || (*kind != "finite" && *kind != "infinite")) {
        message = where + "population: \"finite\" or \"infinite\" is needed";
        return false;
      }
      study.Finite = *kind == "finite";
    } else if (name == "seed") {
      // A seed beyond the signed integers of TOML is kept as a text.
      uint64_t seed = 0;
      const auto whole = node.value_exact<int64_t>();
      const auto text = node.value_exact<std::string>();
      const bool ok =
          whole ? *whole >= 0
                : text && !text->empty() &&
                      std::from_chars(text->data(), text->data() + text->size(), seed).ptr ==
                          text->data() + text->size();
      if (!ok) {
        message = where + "seed: a whole number from 0 to 2^64-1 is needed";
        return false;
      }
      study.Seed = whole ? static_cast<uint64_t>(*whole) : seed;
    } else {
      message = where + "unknown key '" + name + "' (vary, replicates, population, seed)";
      return false;
    }
  }
  return true;
}

}  // namespace

std::string StudyTableText(const StudyTable& study) {
  std::string text = std::string("[") + kStudyKey + "]\nvary = [";
  for (size_t i = 0; i < study.Vary.size(); ++i) {
    text += i ? ", " : "";
    std::ostringstream quoted;
    quoted << toml::value<std::string>(study.Vary[i]);
    text += quoted.str();
  }
  text += "]\nreplicates = " + std::to_string(study.Replicates) + "\npopulation = \"" +
          (study.Finite ? "finite" : "infinite") + "\"\n";
  if (study.Seed) {
    const bool fits = *study.Seed <= static_cast<uint64_t>(INT64_MAX);
    const std::string digits = std::to_string(*study.Seed);
    text += "seed = " + (fits ? digits : '"' + digits + '"') + "\n";
  }
  return text;
}

bool ParseParameterText(std::string_view text, const std::string& source, ParameterFile& file,
                        std::string& message) {
  toml::table table;
  try {
    table = toml::parse(text, source);
  } catch (const toml::parse_error& error) {
    std::ostringstream out;
    out << source << ":" << error.source().begin.line << ": " << error.description();
    message = out.str();
    return false;
  }
  file = ParameterFile();
  for (const auto& [key, node] : table) {
    const std::string name(key.str());
    if (name == kStudyKey && node.is_table()) {
      file.Study.emplace();
      if (!ReadStudyTable(*node.as_table(), source, *file.Study, message)) return false;
      continue;
    }
    std::string value;
    if (auto str = node.value_exact<std::string>()) {
      value = *str;
    } else if (auto whole = node.value_exact<int64_t>()) {
      value = std::to_string(*whole);
    } else if (auto real = node.value_exact<double>()) {
      value = ShortestText(*real);
    } else if (auto flag = node.value_exact<bool>()) {
      value = *flag ? "on" : "off";
    } else {
      message = source + ": " + name + ": a number, a text or true/false is needed";
      return false;
    }
    if (name == kModeKey) {
      file.Mode = ParseRunMode(value);
      if (!file.Mode) {
        message =
            source + ": mode: '" + value + "' is none of single, single-finite, sk-sweep, n-sweep";
        return false;
      }
      continue;
    }
    file.Assignments.emplace_back(name, value);
  }
  return true;
}

bool ReadParameterFile(const std::string& path, ParameterFile& file, std::string& message) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  std::ostringstream text;
  if (!in || !(text << in.rdbuf())) {
    message = "cannot read " + path;
    return false;
  }
  return ParseParameterText(text.str(), path, file, message);
}

std::string ParameterFileText(const ParameterValues& values, std::optional<RunMode> mode) {
  std::string text;
  if (mode) text += std::string(kModeKey) + " = \"" + RunModeName(*mode) + "\"\n";
  for (const ParameterName& p : ParameterNames()) {
    text += p.Name;
    text += " = ";
    if (p.Entry >= 0) {
      const std::string& entry = values.Entries[static_cast<size_t>(p.Entry)];
      // Written as the number the entry reads, which reads back to the same number; an
      // entry left empty stays empty.
      if (common::TrimBlanks(entry).empty())
        text += "\"\"";
      else
        text += ShortestText(common::ParseLeadingNumber(entry));
    } else if (p.Which == Switch::Loci) {
      text += std::to_string(values.Loci);
    } else {
      text += '"' + ValueText(values, p) + '"';
    }
    text += '\n';
  }
  return text;
}

}  // namespace quorvel
