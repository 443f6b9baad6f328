#include "quorvel/params/parameters.h"

#include <cmath>
#include <cstdlib>

#include "common/number_text.h"
#include "platform/system/files.h"

namespace quorvel {

const ParameterRow* FindParameter(std::string_view name) {
  for (const ParameterRow& row : kParameterRows)
    if (name == row.Name) return &row;
  return nullptr;
}

const ParameterRow* ParameterOfEntry(int entry) {
  for (const ParameterRow& row : kParameterRows)
    if (row.IsEntry() && row.Entry == entry) return &row;
  return nullptr;
}

const ParameterRow& ParameterOfSwitch(CheckValue CheckBoxes::*box) {
  for (const ParameterRow& row : kParameterRows)
    if (row.Box == box) return row;
  // Every check box has its row.
  std::abort();
}

bool NamesEntry(std::string_view name, int entry) {
  const ParameterRow* row = FindParameter(name);
  return row != nullptr && row->IsEntry() && row->Entry == entry;
}

bool NamesSwitch(std::string_view name, CheckValue CheckBoxes::*box) {
  const ParameterRow* row = FindParameter(name);
  return row != nullptr && row->Box == box;
}

bool NamesLoci(std::string_view name) {
  const ParameterRow* row = FindParameter(name);
  return row != nullptr && row->Kind == ParameterKind::Loci;
}

ParameterKind KindOf(int entry) {
  const ParameterRow* row = ParameterOfEntry(entry);
  return row ? row->Kind : ParameterKind::Real;
}

ParameterTable MakeParameterTable() {
  ParameterTable table;
  for (const ParameterRow& row : kParameterRows) {
    if (!row.IsEntry()) continue;
    const size_t i = static_cast<size_t>(row.Entry);
    table.MinValue[i] = row.Min;
    table.MaxValue[i] = row.Max;
    table.DefaultValue[i] = row.Default;
  }
  return table;
}

bool HasDefault(int entry) {
  const ParameterRow* row = ParameterOfEntry(entry);
  return row && row->HasDefault();
}

std::string StartText(const ParameterTable& table, int entry) {
  if (const ParameterRow* row = ParameterOfEntry(entry))
    return row->Start ? row->Start : common::FormatSingle(table.DefaultValue[entry]);
  switch (entry) {
    // The displays of the haplotype start state: its total and D.
    case kShowTotal:
      return "1";
    case kShowD:
      return "0";
    default:
      return "";
  }
}

std::string EntryCaption(int entry) {
  if (const ParameterRow* row = ParameterOfEntry(entry)) return row->Caption;
  switch (entry) {
    case kShowD:
      return "D (if >0 sex disadv.)";
    case kShowTotal:
      return "Total";
    case kEntryFolder:
      return "Directory for saving files?";
    case kShowS:
      return "S =";
    case kShowK:
      return "K =";
    case kShowLog10N:
      return "N value =";
    case kShowIteration:
      return "Iteration =";
    default:
      return "";
  }
}

bool NormalizedOnLeaving(int entry) {
  return entry >= kEntryW && entry <= kEntryLoopTo;
}

std::string NormalizeNumberText(std::string& text) {
  if (text.size() >= 2) {
    if (size_t comma = text.find(','); comma != std::string::npos) text[comma] = '.';
    if (text.front() == '.') text.insert(text.begin(), '0');
  }
  while (text.size() >= 2 && text[0] == '0' && text[1] == '0') text.erase(0, 1);
  return text;
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

std::string BoundText(float bound) {
  std::string text = common::FormatSingle(bound);
  return NormalizeNumberText(text);
}

}  // namespace

std::string ValidateEntryText(const ParameterTable& table, int entry, std::string_view text) {
  std::string s = common::TrimBlanks(text);
  if (s.empty()) return std::string(text);
  std::string out = NormalizeNumberText(s);
  double x = common::ParseLeadingNumber(out);
  const std::string upper = BoundText(table.MaxValue[entry]);
  // A number too large for float64 lies beyond the bound on its own side.
  if (!std::isfinite(x)) return x < 0 ? BoundText(table.MinValue[entry]) : upper;

  switch (KindOf(entry)) {
    case ParameterKind::Whole:
      x = std::floor(x);
      out = common::FormatNumber(x);
      break;
    case ParameterKind::Half: {
      // Cut to one decimal; a decimal of 0 or 5 stays, any other goes to the nearest whole.
      const double y = std::floor(x * 10.0);
      if (!std::isfinite(y)) return y < 0 ? BoundText(table.MinValue[entry]) : upper;
      const std::string yText = common::FormatNumber(y);
      const char last = yText.back();
      x = (last == '0' || last == '5') ? y / 10.0 : std::floor(y / 10.0 + 0.5);
      out = common::FormatNumber(x);
      NormalizeNumberText(out);
      break;
    }
    default:
      break;
  }

  if (x < static_cast<double>(table.MinValue[entry])) return BoundText(table.MinValue[entry]);
  if (x > static_cast<double>(table.MaxValue[entry])) return upper;
  return out;
}

std::string ApplySRule(const std::string& sText) {
  if (common::ParseLeadingNumber(sText) == -1.0) return common::FormatNumber(-0.99);
  return sText;
}

bool DemesNeedDiffusion(const std::string& demesText) {
  return common::ParseLeadingNumber(demesText) > 1.0;
}

HaplotypeDisplays ComputeHaplotypeDisplays(const std::string& ab, const std::string& capAb,
                                           const std::string& aB, const std::string& capAB) {
  const double e13 = common::ParseLeadingNumber(ab);
  const double e14 = common::ParseLeadingNumber(capAb);
  const double e15 = common::ParseLeadingNumber(aB);
  const double e16 = common::ParseLeadingNumber(capAB);
  HaplotypeDisplays out;
  const double total = ((e13 + e14) + e15) + e16;
  out.Total = common::FormatNumber(total);
  NormalizeNumberText(out.Total);
  // Read back from its 15-digit text, so a sum one rounding away from 1 shows as 1.
  out.TotalIsOne = common::ReadsAsOne(total);
  out.D = common::FormatNumber((e13 * e16) - (e15 * e14));
  return out;
}

std::string ApplyLoopRule(const std::string& fromText, const std::string& toText) {
  if (common::ParseLeadingNumber(toText) < common::ParseLeadingNumber(fromText)) return toText;
  return fromText;
}

std::string ApplyFolderRule(const std::string& folderText, const std::string& defaultFolder) {
  // A folder is kept with or without a trailing separator; a file, a wildcard pattern or a
  // missing folder could not take the report files.
  if (platform::IsExistingFolder(folderText)) return folderText;
  return defaultFolder;
}

}  // namespace quorvel
