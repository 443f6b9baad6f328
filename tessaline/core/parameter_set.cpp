#include "tessaline/core/parameter_set.h"

#include <toml++/toml.h>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <sstream>

#include "common/number_text.h"
#include "tessaline/core/catalogue.h"
#include "tessaline/core/simulations.h"
#include "tessaline/core/validation.h"

namespace tessaline {
namespace {

constexpr const char* kSimulationKey = "simulation";

// The text of a value as a box would hold it; nullopt for a table or an array.
std::optional<std::string> ValueText(const toml::node& node) {
  if (auto text = node.value_exact<std::string>()) return *text;
  if (auto whole = node.value_exact<int64_t>()) return std::to_string(*whole);
  if (auto real = node.value_exact<double>()) {
    if (!std::isfinite(*real)) return std::nullopt;
    return common::FormatNumber(*real);
  }
  return std::nullopt;
}

// The number a text holds from its first to its last character, point as decimal
// separator; nullopt for anything else.
std::optional<double> WholeNumber(const std::string& text) {
  double number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || stop != end || !std::isfinite(number))
    return std::nullopt;
  return number;
}

std::string SimulationNames() {
  std::string names;
  for (const Simulation& simulation : Simulations()) {
    if (!names.empty()) names += ", ";
    names += simulation.name;
  }
  return names;
}

}  // namespace

std::string ParameterSetText(const FormControls& controls) {
  const Simulation* simulation = FindSimulationByTag(controls.TitleTag());
  if (!simulation) return {};
  std::ostringstream text;
  text << kSimulationKey << " = " << toml::value<std::string>(simulation->name) << "\n";
  for (const RowDescription& row : GridRows(*simulation)) {
    text << row.alias << " = ";
    // A box that holds a number is written as that number, anything else as a text.
    if (const std::optional<double> number = WholeNumber(controls.Value(row.row))) {
      text << common::FormatNumber(*number);
    } else {
      text << toml::value<std::string>(controls.Value(row.row));
    }
    text << "\n";
  }
  return text.str();
}

OpenedSet OpenParameterSet(FormControls& controls, std::string_view text) {
  OpenedSet opened;
  toml::table file;
  try {
    file = toml::parse(text);
  } catch (const toml::parse_error& error) {
    std::ostringstream why;
    why << "This is not a parameter file (line " << error.source().begin.line << ": "
        << error.description() << ").";
    opened.refusal = why.str();
    return opened;
  }
  const std::optional<std::string> name =
      file.contains(kSimulationKey) ? ValueText(*file.get(kSimulationKey)) : std::nullopt;
  const Simulation* simulation = name ? FindSimulationByName(*name) : nullptr;
  if (!simulation) {
    opened.refusal = "This is not a tessaline parameter set: it names no simulation (" +
                     SimulationNames() + ").";
    return opened;
  }
  // Every value is checked before the grid changes.
  std::map<std::string, int> rowOf;
  for (const RowDescription& row : GridRows(*simulation)) rowOf[row.alias] = row.row;
  struct Typed {
    std::string alias;
    int row;
    std::string value;
  };
  std::vector<Typed> typed;
  for (const auto& [key, node] : file) {
    const std::string alias(key.str());
    if (alias == kSimulationKey) continue;
    const auto row = rowOf.find(alias);
    if (row == rowOf.end()) {
      opened.unknownKeys.push_back(alias);
      continue;
    }
    const std::optional<std::string> value = ValueText(node);
    if (!value) {
      opened.refusal = alias + ": a number or a text is needed.";
      opened.unknownKeys.clear();
      return opened;
    }
    typed.push_back({alias, row->second, *value});
  }

  FillGrid(controls, *simulation);
  for (const auto& [alias, row, value] : typed) {
    if (controls.ValueLocked(row)) {
      if (value != controls.Value(row))
        opened.corrections.push_back(alias + ": " + value + " -> " + controls.Value(row) +
                                     " (fixed)");
      continue;
    }
    // A row left at the selection's preset is not typed, so it is not validated either:
    // the grid holds what the selection gave it, as in the window.
    if (value == controls.Value(row)) continue;
    controls.SetValue(row, value);
    const Validation v = ValidateValue(controls, row);
    if (v.correction != Correction::None)
      opened.corrections.push_back(alias + ": " + v.typed + " -> " + v.result + " (" +
                                   Describe(v.correction) + ")");
  }
  return opened;
}

}  // namespace tessaline
