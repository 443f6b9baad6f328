// Fuzz target for the validation pass over every entry, as Start runs it: the first byte
// sets the check boxes, the rest are the texts of the parameter entries (in the order of
// their rows) and of the folder, one per line (missing lines keep the start-up texts). Checked on
// every input:
// - a blank entry stays as it was; any other reads as a value within its entry's bounds or
//   is the text of one of the bounds (a bound that float32 cannot hold exactly reads as
//   the decimal typed);
// - S is never exactly -1, the N sweep never starts above its end, the folder is the one
//   typed or the default;
// - the haplotype displays, when shown, read as finite numbers;
// - a second pass over the result reads every value where the first left it.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/number_text.h"
#include "quorvel/params/parameter_set.h"

namespace {

const char* const kDefaultFolder = "/nonexistent-default-folder";

const quorvel::ParameterTable& Table() {
  static const quorvel::ParameterTable table = quorvel::MakeParameterTable();
  return table;
}

// The text with every byte outside printable ASCII as \xHH.
std::string Shown(std::string_view text) {
  std::string shown;
  for (const char c : text) {
    if (c >= 0x20 && c < 0x7f) {
      shown += c;
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
      shown += hex;
    }
  }
  return shown;
}

[[noreturn]] void Fail(const char* what, int box, std::string_view before, std::string_view after) {
  std::fprintf(stderr, "entry validation fuzz: box %d: %s: \"%s\" -> \"%s\"\n", box, what,
               Shown(before).c_str(), Shown(after).c_str());
  std::abort();
}

std::string BoundText(float bound) {
  std::string text = common::FormatSingle(bound);
  return quorvel::NormalizeNumberText(text);
}

bool Blank(std::string_view text) {
  return common::TrimBlanks(text).empty();
}

bool Finite(const std::string& text) {
  return std::isfinite(common::ParseLeadingNumber(text)) &&
         text.find_first_of("nNiI") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const quorvel::ParameterTable& table = Table();
  quorvel::ParameterSet set = quorvel::StartUpParameterSet(table, kDefaultFolder);
  const uint8_t boxes = data[0];
  set.Checks.LinkageDisequilibrium = static_cast<quorvel::CheckValue>(boxes & 3);
  set.Checks.InversionOfS = static_cast<quorvel::CheckValue>((boxes >> 2) & 1);
  set.Checks.GeneticDrift = static_cast<quorvel::CheckValue>((boxes >> 3) & 1);

  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<int> typedBoxes(quorvel::kParameterEntries.begin(), quorvel::kParameterEntries.end());
  typedBoxes.push_back(quorvel::kEntryFolder);
  for (size_t i = 0; i < typedBoxes.size() && !rest.empty(); ++i) {
    const size_t end = std::min(rest.find('\n'), rest.size());
    set.Text(typedBoxes[i]) = std::string(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  const quorvel::ParameterSet typed = set;
  const quorvel::ValidationOutcome outcome = quorvel::ValidateEntries(table, set, kDefaultFolder);

  for (int entry : quorvel::kParameterEntries) {
    const std::string& before = typed.Text(entry);
    const std::string& after = set.Text(entry);
    if (Blank(before)) {
      // The loop rule may give a blank start the end's text; nothing else fills a blank.
      if (after != before && entry != quorvel::kEntryLoopFrom)
        Fail("blank text changed", entry, before, after);
      continue;
    }
    // The start of the N sweep may take its end's text, which is checked as the end.
    if (entry == quorvel::kEntryLoopFrom && after == set.Text(quorvel::kEntryLoopTo)) continue;
    const double value = common::ParseLeadingNumber(after);
    const size_t index = static_cast<size_t>(entry);
    const bool inside = value >= table.MinValue[index] && value <= table.MaxValue[index];
    if (!inside && after != BoundText(table.MinValue[index]) &&
        after != BoundText(table.MaxValue[index]))
      Fail("outside the bounds", entry, before, after);
  }
  if (common::ParseLeadingNumber(set.Text(quorvel::kEntryS)) == -1.0)
    Fail("S left at -1", quorvel::kEntryS, typed.Text(quorvel::kEntryS),
         set.Text(quorvel::kEntryS));
  if (common::ParseLeadingNumber(set.Text(quorvel::kEntryLoopFrom)) >
      common::ParseLeadingNumber(set.Text(quorvel::kEntryLoopTo)))
    Fail("the N sweep starts above its end", quorvel::kEntryLoopFrom,
         set.Text(quorvel::kEntryLoopFrom), set.Text(quorvel::kEntryLoopTo));
  const std::string& folder = set.Text(quorvel::kEntryFolder);
  if (folder != typed.Text(quorvel::kEntryFolder) && folder != kDefaultFolder)
    Fail("folder neither typed nor default", quorvel::kEntryFolder,
         typed.Text(quorvel::kEntryFolder), folder);
  if (outcome.HaplotypesShown &&
      (!Finite(set.Text(quorvel::kShowTotal)) || !Finite(set.Text(quorvel::kShowD))))
    Fail("haplotype display not a finite number", quorvel::kShowTotal, set.Text(quorvel::kShowD),
         set.Text(quorvel::kShowTotal));

  // A second pass reads every value where the first left it. (The texts may still change:
  // a pass turns only the first comma of a text into a point.)
  quorvel::ParameterSet again = set;
  quorvel::ValidateEntries(table, again, kDefaultFolder);
  for (int box = 0; box < quorvel::kBoxNumbers; ++box) {
    const bool same = box == quorvel::kEntryFolder ? again.Text(box) == set.Text(box)
                                                   : common::ParseLeadingNumber(again.Text(box)) ==
                                                         common::ParseLeadingNumber(set.Text(box));
    if (!same) Fail("second pass moved the value", box, set.Text(box), again.Text(box));
  }
  return 0;
}
