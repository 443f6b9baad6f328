// The catalogue of presets, the selection of a simulation and the validation of the grid.
#include <cmath>
#include <string>
#include <vector>

#include "common/number_text.h"
#include "tessaline/core/program.h"

namespace tessaline {
namespace {

struct PresetRow {
  int16_t row;
  const char* name;
  const char* value;
  const char* minimum;
  const char* maximum;
};

const std::vector<PresetRow> kCommonRows = {
    {1, "Number of generations", "500", "2", "99999"},
    {2, "Step", "10", "2", "1000"},
};

const std::vector<PresetRow> kSpreadingRows = {
    {3, "Number of curves", "5", "1", "5"},
    {4, "Y(0)", "0.05", "0.001", "0.999"},
    {5, "S for curve 1", "0.025", "0", "0.999"},
    {6, "S for curve 2", "0.0125", "0", "0.999"},
    {7, "S for curve 3", "0.01", "0", "0.999"},
    {8, "S for curve 4", "0.008333", "0", "0.999"},
    {9, "S for curve 5", "0.003333", "0", "0.999"},
    {10, "U", "0", "-", "-"},
    {11, "V", "0", "-", "-"},
};

// The preset S lies above the row's maximum: it is used until its box is first left.
const std::vector<PresetRow> kVelocityRows = {
    {1, "Number of time units", "500", "2", "99999"},
    {3, "Number of curves", "5", "1", "5"},
    {4, "Y(0)", "0.05", "0.001", "0.999"},
    {5, "S", "0.01", "0", "0.001"},
    {6, "ML of curve 1", "0.4", "0.1", "10"},
    {7, "ML of curve 2", "0.8", "0.1", "10"},
    {8, "ML of curve 3", "1", "0.1", "10"},
    {9, "ML of curve 4", "1.2", "0.1", "10"},
    {10, "ML of curve 5", "3", "0.1", "10"},
};

const std::vector<PresetRow> kSenescenceRows = {
    {3, "Number of curves", "4", "1", "4"},
    {4, "Y(0)", "0.1", "0.001", "0.999"},
    {5, "S'", "0.2", "0", "0.5"},
    {6, "V(C)", "0.7", "0.3", "1"},
    {7, "S", "0.01", "0", "0.5"},
    {8, "m", "600", "1", "100000"},
    {9, "r for curve 1", "0.12", "0", "1"},
    {10, "r for curve 2", "0.1", "0", "1"},
    {11, "r for curve 3", "0.09", "0", "1"},
    {12, "r for curve 4", "0", "0", "1"},
};

const char* const kTitles[] = {
    "",
    "Spreading within a species of a gene with advantage S",
    "Variation of the spreading velocity of a gene depending on ML variation",
    "Evolutionary steadiness of the character senescence (Theoretical model based on "
    "inclusive fitness)",
};

std::string TrimSpaces(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace

void Program::SetParameterRow(int16_t row, const std::string& name, const std::string& value,
                              const std::string& minimum, const std::string& maximum) {
  if (row < 1 || row > kRows) return;
  controls_.SetName(row, name);
  controls_.SetValue(row, value);
  controls_.SetMinimum(row, minimum);
  controls_.SetMaximum(row, maximum);
  if (controls_.Minimum(row) == "-") controls_.SetValueLocked(row, true);
}

void Program::UnlockValueBoxes(int16_t first) {
  for (int row = first < 1 ? 1 : first; row <= kRows; ++row) controls_.SetValueLocked(row, false);
}

void Program::cmd_Click(int16_t index) {
  if (index < 1 || index > 3) return;
  surface_.Clear();
  SetAxisLabel(1, "1", 1);
  SetAxisLabel(2, "   Frequency of C", 1);
  SetAxisLabel(3, "0", 1);
  SetAxisLabel(4, "0", 1);
  SetAxisLabel(5, "G e n e r a t i o n s", 1);
  SetAxisLabel(6, "500", 1);
  for (int row = 3; row <= kRows; ++row) {
    controls_.SetName(row, "");
    controls_.SetValue(row, "");
    controls_.SetValueTag(row, "");
    controls_.SetMinimum(row, "");
    controls_.SetMaximum(row, "");
  }
  for (const PresetRow& p : kCommonRows)
    SetParameterRow(p.row, p.name, p.value, p.minimum, p.maximum);
  for (int row = 1; row <= 3; ++row) controls_.SetValueTag(row, "integer");
  UnlockValueBoxes(1);

  const std::vector<PresetRow>* rows = &kSpreadingRows;
  if (index == 2) {
    SetAxisLabel(5, "Time", 1);
    rows = &kVelocityRows;
  } else if (index == 3) {
    rows = &kSenescenceRows;
  }
  for (const PresetRow& p : *rows) SetParameterRow(p.row, p.name, p.value, p.minimum, p.maximum);
  controls_.SetTitleCaption(kTitles[index]);
  controls_.SetTitleTag(std::to_string(index));

  Execute_Click();
  DrawCurveLabels();
  surface_.Refresh(true);
}

void Program::txt_LostFocus(int16_t index) {
  if (index < 1 || index > kRows) return;
  const int i = index;
  if (controls_.ValueLocked(i)) return;
  std::string s = TrimSpaces(controls_.Value(i));
  controls_.SetValue(i, s);
  if (s.empty()) {
    controls_.SetValue(i, controls_.Minimum(i));
    return;
  }
  // Entries always use the point; a comma typed as decimal separator is brought back to it.
  if (const size_t comma = s.find(','); comma != std::string::npos) s[comma] = '.';
  if (s.front() == '.') s = "0" + s;
  controls_.SetValue(i, s);
  const double value = common::ParseLeadingNumber(s);
  if (controls_.ValueTag(i) == "integer")
    controls_.SetValue(i, common::FormatNumber(std::floor(value + 0.5)));
  // The bounds are compared with the entry as typed, not with its rounding.
  if (common::ParseLeadingNumber(controls_.Minimum(i)) > value)
    controls_.SetValue(i, controls_.Minimum(i));
  if (common::ParseLeadingNumber(controls_.Maximum(i)) < value)
    controls_.SetValue(i, controls_.Maximum(i));
}

}  // namespace tessaline
