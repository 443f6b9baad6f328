// Number <-> text conversions shared by both programs. The decimal separator is always
// the point, whatever the user's locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace common {

// Reads the leading number of a text the way entries are read: blanks, tabs and line
// feeds are skipped wherever they stand; then sign, digits, "." and more digits, and an
// exponent introduced by E or D. Reading stops at the first character that does not fit.
// A text without a leading number reads as 0. A number too large for float64 reads as
// +/-infinity (callers that must stay finite check for it); one too small reads as 0.
double ParseLeadingNumber(std::string_view text);

// The text without the blanks (spaces and tabs) that lead and trail it.
std::string TrimBlanks(std::string_view text);

// Whether a value, written in the general text form, reads back as exactly 1: the test of
// a total shown to the user as 1.
bool ReadsAsOne(double value);

// The general text form of a float64: 15 significant digits, plain decimal notation for
// decimal exponents -4..14, otherwise mantissa "E" sign and at least two exponent digits.
std::string FormatNumber(double value);

// The general text form of a float32: the same rule with 7 significant digits.
std::string FormatSingle(float value);

// The general text form with P significant digits (15 or 7 above).
std::string FormatWithDigits(double value, int significantDigits);

// A text that is a whole number from 0 to 2^64-1 and nothing else (no sign, no blanks),
// as seeds are typed; nullopt otherwise.
std::optional<uint64_t> ParseWholeNumber(std::string_view text);

// The shortest text that reads back to the same double, with a point (files that programs
// read: parameter files, tables).
std::string ShortestText(double value);

// Conversion to a 16-bit integer: nearest integer, halves to the even neighbour. Values
// beyond the 16-bit range saturate at its ends and NaN gives 0, so no caller ever sees
// undefined behaviour; callers that need to know check InInt16Range first.
int16_t ToInt16(double value);
bool InInt16Range(double value);

// The same rounding held in 32 bits, for model values whose bounds exceed 16 bits.
int32_t ToInt32(double value);

}  // namespace common
