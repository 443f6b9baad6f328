#include "tessaline/core/validation.h"

#include <cmath>

#include "common/number_text.h"

namespace tessaline {
namespace {

// Only spaces: a tab in a value box stays and reads as a blank.
std::string TrimSpaces(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace

Validation ValidateValue(Grid& grid, int row) {
  Validation v;
  if (row < 1 || row > kRows) return v;
  v.typed = grid.Value(row);
  v.result = v.typed;
  if (grid.ValueLocked(row)) return v;
  // A bound that replaces the value is named even when the rounding gave the same text.
  auto write = [&](const std::string& text, Correction why) {
    grid.SetValue(row, text);
    if (text != v.result || why == Correction::LowerBound || why == Correction::UpperBound)
      v.correction = why;
    v.result = text;
  };
  std::string s = TrimSpaces(v.typed);
  write(s, Correction::Trimmed);
  if (s.empty()) {
    write(grid.Minimum(row), Correction::EmptyToMinimum);
    return v;
  }
  // Entries always use the point; a comma typed as decimal separator is brought back to it.
  if (const size_t comma = s.find(','); comma != std::string::npos) s[comma] = '.';
  if (s.front() == '.') s = "0" + s;
  write(s, Correction::DecimalPoint);
  const double value = common::ParseLeadingNumber(s);
  if (grid.ValueTag(row) == "integer")
    write(common::FormatNumber(std::floor(value + 0.5)), Correction::Rounded);
  // The bounds are compared with the entry as typed, not with its rounding.
  if (common::ParseLeadingNumber(grid.Minimum(row)) > value)
    write(grid.Minimum(row), Correction::LowerBound);
  if (common::ParseLeadingNumber(grid.Maximum(row)) < value)
    write(grid.Maximum(row), Correction::UpperBound);
  return v;
}

const char* Describe(Correction correction) {
  switch (correction) {
    case Correction::None:
      return "unchanged";
    case Correction::Trimmed:
      return "spaces removed";
    case Correction::EmptyToMinimum:
      return "empty: the minimum";
    case Correction::DecimalPoint:
      return "decimal point";
    case Correction::Rounded:
      return "whole number";
    case Correction::LowerBound:
      return "lower bound";
    case Correction::UpperBound:
      return "upper bound";
  }
  return "";
}

}  // namespace tessaline
