#include "quorvel/params/parameters.h"

#include <cmath>

#include "common/number_text.h"
#include "platform/system/files.h"

namespace quorvel {

EntryKind KindOf(int entry) {
  switch (entry) {
    case kEntryIterations:
    case kEntryDemes:
    case kEntryInversionPeriod:
    case kEntryMaxGen:
      return EntryKind::Whole;
    case kEntryLog10N:
    case kEntryLoopFrom:
    case kEntryLoopTo:
      return EntryKind::Half;
    default:
      return EntryKind::Real;
  }
}

ParameterTable MakeParameterTable() {
  struct Row {
    float min, max, def;
  };
  // Entries 13 to 16 and 18 to 20 have no default (HasDefault); they start with fixed texts.
  static constexpr Row kRows[kEntryCount] = {
      {1e-10f, 1e-4f, 1e-5f},     // 0 u
      {1e-10f, 1e-4f, 1e-5f},     // 1 w
      {-1.0f, 1.0f, 0.1f},        // 2 S
      {0.6f, 1.4f, 1.0f},         // 3 K
      {0.0f, 1.0f, 1.0f},         // 4 start frequency of a
      {0.0f, 1.0f, 1.0f},         // 5 start frequency of b
      {0.0f, 1.0f, 1.0f},         // 6 start frequency of c
      {0.0f, 1.0f, 0.0f},         // 7 z
      {2.0f, 10000.0f, 100.0f},   // 8 iterations: a standard deviation needs two runs
      {1.0f, 20.0f, 6.0f},        // 9 Log10(N)
      {1.0f, 100.0f, 1.0f},       // 10 demes
      {0.0f, 1.0f, 0.1f},         // 11 interdemic diffusion
      {10.0f, 10000.0f, 100.0f},  // 12 inversion period of S
      {0.0f, 1.0f, 0.0f},         // 13 ab
      {0.0f, 1.0f, 0.0f},         // 14 Ab
      {0.0f, 1.0f, 0.0f},         // 15 aB
      {0.0f, 1.0f, 0.0f},         // 16 AB
      {10.0f, 10000.0f, 250.0f},  // 17 MaxGen
      {1.0f, 11.5f, 0.0f},        // 18 Log10(N) loop start
      {1.5f, 20.0f, 0.0f},        // 19 Log10(N) loop end
      {0.01f, 0.99f, 0.0f},       // 20 start frequency of R+
  };
  ParameterTable table;
  for (int i = 0; i < kEntryCount; ++i) {
    table.MinValue[i] = kRows[i].min;
    table.MaxValue[i] = kRows[i].max;
    table.DefaultValue[i] = kRows[i].def;
  }
  return table;
}

bool HasDefault(int entry) {
  return (entry >= 0 && entry <= kEntryInversionPeriod) || entry == kEntryMaxGen;
}

std::string StartText(const ParameterTable& table, int entry) {
  if (HasDefault(entry)) return common::FormatSingle(table.DefaultValue[entry]);
  switch (entry) {
    // The haplotype start state totals 1 and is at linkage equilibrium.
    case kEntryHaplotypeAb:
    case kEntryHaplotypeACapB:
      return "0.3";
    case kEntryHaplotypeCapAb:
    case kEntryHaplotypeCapACapB:
      return "0.2";
    case kShowTotal:
    case kEntryLoopFrom:
      return "1";
    case kShowD:
      return "0";
    case kEntryLoopTo:
      return "12";
    case kEntryStartRPlus:
      return ".5";
    default:
      return "";
  }
}

std::string EntryCaption(int entry) {
  switch (entry) {
    case kEntryU:
      return "u (from 1e-10 to 1e-4)";
    case kEntryW:
      return "w (from 1e-10 to 1e-4)";
    case kEntryS:
      return "S (from -1 to 1)";
    case kEntryK:
      return "K (epistasis: from 0.6 to 1.4; if >1 sex disadv.)";
    case kEntryStartA:
      return "Start frequency of a (from 0 to 1)";
    case kEntryStartB:
      return "Start frequency of b (from 0 to 1)";
    case kEntryStartC:
      return "Start frequency of c (from 0 to 1)";
    case kEntryZ:
      return "z value (fract. of R- recombining; from 0 to 1)";
    case kEntryIterations:
      return "No. iterations (from 1 to 10000)";
    case kEntryLog10N:
      return "Log10(N) value (from 1 to 20)";
    case kEntryDemes:
      return "No. of demes (from 1 to 100)";
    case kEntryDiffusion:
      return "Interdemic diffusion of genes (from 0 to 1)";
    case kEntryInversionPeriod:
      return "Inversion of S value (from 10 to 10000)";
    case kEntryHaplotypeAb:
      return "ab (from 0 to 1)";
    case kEntryHaplotypeCapAb:
      return "Ab (from 0 to 1)";
    case kEntryHaplotypeACapB:
      return "aB (from 0 to 1)";
    case kEntryHaplotypeCapACapB:
      return "AB (from 0 to 1)";
    case kEntryMaxGen:
      return "MaxGen (from 10 to 10000)";
    case kEntryStartRPlus:
      return "Start frequency of R+ (from .01 to .99)";
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
  if (!std::isfinite(x)) return upper;

  switch (KindOf(entry)) {
    case EntryKind::Whole:
      x = std::floor(x);
      out = common::FormatNumber(x);
      break;
    case EntryKind::Half: {
      // Cut to one decimal; a decimal of 0 or 5 stays, any other goes to the nearest whole.
      const double y = std::floor(x * 10.0);
      if (!std::isfinite(y)) return upper;
      const std::string yText = common::FormatNumber(y);
      const char last = yText.back();
      x = (last == '0' || last == '5') ? y / 10.0 : std::floor(y / 10.0 + 0.5);
      out = common::FormatNumber(x);
      NormalizeNumberText(out);
      break;
    }
    case EntryKind::Real:
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
