#include "quorvel/params/parameter_file.h"

#include <toml++/toml.h>
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/nearest_word.h"
#include "common/number_text.h"

namespace quorvel {

namespace {

using common::ShortestText;

}  // namespace

CheckValue& SwitchValue(ParameterValues& values, const ParameterRow& row) {
  return values.Checks.*row.Box;
}

std::string ValueText(const ParameterValues& values, const ParameterRow& row) {
  if (row.IsEntry()) return values.Entries[static_cast<size_t>(row.Entry)];
  if (row.Kind == ParameterKind::Loci) return std::to_string(values.Loci);
  return values.Checks.*row.Box == 1 ? "on" : "off";
}

std::string NearestName(std::string_view name) {
  std::vector<std::string> names;
  for (const ParameterRow& row : kParameterRows) names.emplace_back(row.Name);
  return common::NearestWord(name, names);
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
      const auto whole = node.value_exact<int64_t>();
      const auto text = node.value_exact<std::string>();
      const std::optional<uint64_t> seed =
          whole  ? (*whole >= 0 ? std::optional<uint64_t>(static_cast<uint64_t>(*whole))
                                : std::nullopt)
          : text ? common::ParseWholeNumber(*text)
                 : std::nullopt;
      if (!seed) {
        message = where + "seed: a whole number from 0 to 2^64-1 is needed";
        return false;
      }
      study.Seed = seed;
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
  for (const ParameterRow& p : kParameterRows) {
    text += p.Name;
    text += " = ";
    if (p.IsEntry()) {
      const std::string& entry = values.Entries[static_cast<size_t>(p.Entry)];
      // Written as the number the entry reads, which reads back to the same number; an
      // entry left empty stays empty.
      if (common::TrimBlanks(entry).empty())
        text += "\"\"";
      else
        text += ShortestText(common::ParseLeadingNumber(entry));
    } else if (p.Kind == ParameterKind::Loci) {
      text += std::to_string(values.Loci);
    } else {
      text += '"' + ValueText(values, p) + '"';
    }
    text += '\n';
  }
  return text;
}

}  // namespace quorvel
