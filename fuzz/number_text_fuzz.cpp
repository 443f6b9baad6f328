// Fuzz target for the number text conversions. Any bytes are read as a number; the value
// read, and the first eight bytes taken as the bits of a float64, are written in the general
// text form with 15 and with 7 digits. Checked on every input: reading never fails, the
// texts use only the characters of the form, a text read back writes the same text (a
// float32 text next to a power of ten may move once), and the results under a comma-decimal
// locale equal those under the C locale.
#include <locale.h>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale>
#include <string>
#include <string_view>

#include "common/number_text.h"

namespace {

locale_t cLocale = nullptr;

[[noreturn]] void Fail(const char* what, std::string_view detail) {
  std::fprintf(stderr, "number text fuzz: %s: \"%.*s\"\n", what, static_cast<int>(detail.size()),
               detail.data());
  std::abort();
}

// Values beyond float range become infinite, as IEEE arithmetic rounds them: a defined
// result where a plain cast would be undefined behaviour.
float ToSingle(double value) {
  if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
    return std::copysign(std::numeric_limits<float>::infinity(),
                         static_cast<float>(value > 0 ? 1 : -1));
  return static_cast<float>(value);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The general text form of a finite number: optional "-", digits with a point only before a
// last non-zero digit, at most `digits` significant digits, and an exponent "E", sign and at
// least two digits; no blanks, no comma, no leading zero other than the one before a point.
void CheckForm(const std::string& text, int digits) {
  size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  size_t intBegin = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  size_t intLen = i - intBegin;
  if (intLen == 0) Fail("no digit before the point", text);
  if (intLen > 1 && text[intBegin] == '0') Fail("leading zero", text);
  int significant = 0;
  bool seenNonZero = false;
  for (size_t k = intBegin; k < i; ++k) {
    if (text[k] != '0') seenNonZero = true;
    if (seenNonZero) ++significant;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    size_t fracBegin = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == fracBegin) Fail("trailing point", text);
    if (text[i - 1] == '0') Fail("trailing zero after the point", text);
    for (size_t k = fracBegin; k < i; ++k) {
      if (text[k] != '0') seenNonZero = true;
      if (seenNonZero) ++significant;
    }
  }
  // Trailing zeros of a whole number written plainly are not significant digits.
  bool plainWhole = text.find_first_of(".E") == std::string::npos;
  if (plainWhole) {
    for (size_t k = i; k > intBegin && text[k - 1] == '0'; --k) --significant;
  }
  if (significant > digits) Fail("too many significant digits", text);
  if (i < text.size()) {
    if (text[i] != 'E') Fail("unexpected character", text);
    ++i;
    if (i >= text.size() || (text[i] != '+' && text[i] != '-')) Fail("exponent sign", text);
    ++i;
    size_t expBegin = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i - expBegin < 2) Fail("fewer than two exponent digits", text);
    if (i != text.size()) Fail("text after the exponent", text);
  }
  if (text == "-0") Fail("negative zero", text);
}

void CheckFormat(double value, int digits) {
  std::string text = common::FormatWithDigits(value, digits);
  if (std::isnan(value)) {
    if (text != "NaN") Fail("text of NaN", text);
    return;
  }
  if (std::isinf(value)) {
    if (text != (value < 0 ? "-Infinity" : "Infinity")) Fail("text of infinity", text);
    return;
  }
  CheckForm(text, digits);
  auto readAndWrite = [digits](const std::string& t) {
    double back = common::ParseLeadingNumber(t);
    if (digits <= 7) back = ToSingle(back);
    return common::FormatWithDigits(back, digits);
  };
  std::string again = readAndWrite(text);
  if (again == text) return;
  // Seven digits cannot name every float32 next to a power of ten (1E+28 reads as the float
  // that writes 9.999999E+27), so there a text may move once; after that it stays.
  if (digits > 7) Fail("not idempotent, second text", text + " -> " + again);
  std::string third = readAndWrite(again);
  if (third != again) Fail("not idempotent, third text", text + " -> " + again + " -> " + third);
}

// Everything the conversions produce for one input, as one text for the locale comparison.
std::string Results(std::string_view input) {
  std::string out;
  double parsed = common::ParseLeadingNumber(input);
  if (std::isnan(parsed)) Fail("reading gave NaN", input);
  out += common::FormatNumber(parsed) + '|';
  CheckFormat(parsed, 15);
  float single = ToSingle(parsed);
  out += common::FormatSingle(single) + '|';
  CheckFormat(single, 7);

  double bits = 0.0;
  if (input.size() >= sizeof bits) {
    std::memcpy(&bits, input.data(), sizeof bits);
    out += common::FormatNumber(bits) + '|';
    CheckFormat(bits, 15);
    CheckFormat(ToSingle(bits), 7);
    int16_t whole16 = common::ToInt16(bits);
    int32_t whole32 = common::ToInt32(bits);
    if (common::InInt16Range(bits) && whole16 != std::nearbyint(bits))
      Fail("16-bit rounding", common::FormatNumber(bits));
    out += std::to_string(whole16) + '|' + std::to_string(whole32) + '|';
  }
  std::string trimmed = common::TrimBlanks(input);
  if (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t' ||
                           trimmed.back() == ' ' || trimmed.back() == '\t'))
    Fail("blank left by trimming", trimmed);
  if (input.find(trimmed) == std::string_view::npos) Fail("trimming changed the text", trimmed);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A locale whose decimal separator is the comma, for the whole process.
  const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"};
  const char* chosen = nullptr;
  for (const char* name : names) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr || std::strcmp(std::localeconv()->decimal_point, ",") != 0) {
    std::fprintf(stderr, "number text fuzz: no comma-decimal locale installed\n");
    std::abort();
  }
  std::locale::global(std::locale(chosen));
  cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  if (cLocale == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string underComma = Results(input);
  locale_t previous = uselocale(cLocale);
  std::string underC = Results(input);
  uselocale(previous);
  if (underComma != underC) Fail("results depend on the locale", underComma + " vs " + underC);
  return 0;
}
