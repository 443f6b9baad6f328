#include "quorvel/params/parameter_file.h"

#include <toml++/toml.h>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/nearest_word.h"
#include "common/number_text.h"

namespace quorvel {

namespace {

std::string ShortestText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

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
