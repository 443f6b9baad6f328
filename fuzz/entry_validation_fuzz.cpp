// Fuzz target for the validation of one parameter entry: the first byte chooses the entry,
// the other bytes are its text. Checked on every input: a blank text stays as it was;
// otherwise the result reads as a value within the entry's bounds or is the text of one of
// the bounds (a bound that float32 cannot hold exactly reads as the decimal typed); and a
// second pass over the result leaves its value where the first put it.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/number_text.h"
#include "quorvel/params/parameters.h"

namespace {

const quorvel::ParameterTable& Table() {
  static const quorvel::ParameterTable table = quorvel::MakeParameterTable();
  return table;
}

[[noreturn]] void Fail(const char* what, int entry, std::string_view text,
                       std::string_view result) {
  std::fprintf(stderr, "entry validation fuzz: entry %d: %s: \"%.*s\" -> \"%.*s\"\n", entry, what,
               static_cast<int>(text.size()), text.data(), static_cast<int>(result.size()),
               result.data());
  std::abort();
}

std::string BoundText(float bound) {
  std::string text = common::FormatSingle(bound);
  return quorvel::NormalizeNumberText(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int entry = data[0] % quorvel::kEntryCount;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const quorvel::ParameterTable& table = Table();

  const std::string result = quorvel::ValidateEntryText(table, entry, text);
  if (common::TrimBlanks(text).empty()) {
    if (result != text) Fail("blank text changed", entry, text, result);
    return 0;
  }
  const double value = common::ParseLeadingNumber(result);
  const size_t index = static_cast<size_t>(entry);
  const double lower = table.MinValue[index];
  const double upper = table.MaxValue[index];
  const bool inside = value >= lower && value <= upper;
  if (!inside && result != BoundText(table.MinValue[index]) &&
      result != BoundText(table.MaxValue[index]))
    Fail("outside the bounds", entry, text, result);

  const std::string again = quorvel::ValidateEntryText(table, entry, result);
  if (common::ParseLeadingNumber(again) != value)
    Fail("second pass moved the value", entry, result, again);
  return 0;
}
