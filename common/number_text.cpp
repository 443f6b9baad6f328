#include "common/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace common {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Cursor over the text that passes over blanks wherever they stand.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  char Peek() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }
  void Advance() { ++pos_; }
  size_t Position() const { return pos_; }
  void Rewind(size_t pos) { pos_ = pos; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

double ParseLeadingNumber(std::string_view text) {
  Reader in(text);
  std::string mantissa;  // sign, digits and point, blanks removed
  bool negative = false;
  if (in.Peek() == '+' || in.Peek() == '-') {
    negative = in.Peek() == '-';
    in.Advance();
  }
  bool anyDigit = false;
  // Decimal magnitude of the leading significant digit, to tell overflow from underflow.
  long long integerDigits = 0;
  bool significantSeen = false;
  long long leadingFractionZeros = 0;
  while (IsDigit(in.Peek())) {
    char c = in.Peek();
    anyDigit = true;
    if (c != '0') significantSeen = true;
    if (significantSeen) ++integerDigits;
    mantissa += c;
    in.Advance();
  }
  if (in.Peek() == '.') {
    in.Advance();
    mantissa += '.';
    while (IsDigit(in.Peek())) {
      char c = in.Peek();
      anyDigit = true;
      if (c != '0') significantSeen = true;
      if (!significantSeen) ++leadingFractionZeros;
      mantissa += c;
      in.Advance();
    }
  }
  if (!anyDigit) return 0.0;

  long long exponent = 0;
  char e = in.Peek();
  if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
    size_t mark = in.Position();
    in.Advance();
    bool expNegative = false;
    if (in.Peek() == '+' || in.Peek() == '-') {
      expNegative = in.Peek() == '-';
      in.Advance();
    }
    if (IsDigit(in.Peek())) {
      while (IsDigit(in.Peek())) {
        if (exponent < 1000000000LL) exponent = exponent * 10 + (in.Peek() - '0');
        in.Advance();
      }
      if (expNegative) exponent = -exponent;
    } else {
      in.Rewind(mark);  // "1E" without digits is just 1
    }
  }
  if (!significantSeen) return negative ? -0.0 : 0.0;

  std::string full = mantissa + "e" + std::to_string(exponent);
  double value = 0.0;
  auto [ptr, ec] = std::from_chars(full.data(), full.data() + full.size(), value);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    long long magnitude =
        integerDigits > 0 ? integerDigits - 1 + exponent : exponent - leadingFractionZeros - 1;
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

std::string FormatWithDigits(double value, int digits) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  if (value == 0.0) return "0";  // negative zero reads as plain 0

  char buf[64];
  // d.ddddde±XX, rounded once from the exact binary value, independent of the locale.
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific,
                           digits - 1);
  std::string text(buf, res.ptr);
  size_t ePos = text.find('e');
  std::string digitsText;
  for (size_t i = 0; i < ePos; ++i)
    if (text[i] != '.') digitsText += text[i];
  int exponent = std::stoi(text.substr(ePos + 1));
  // The largest float64 values round up to texts beyond the float64 range, which would read
  // back as infinity: those are cut instead (one unit less in the last digit), so that every
  // finite value's text reads back as a finite value.
  if (exponent == std::numeric_limits<double>::max_exponent10) {
    double back = 0.0;
    if (std::from_chars(buf, res.ptr, back).ec == std::errc::result_out_of_range) {
      size_t i = digitsText.size();
      while (i > 0 && digitsText[i - 1] == '0') digitsText[--i] = '9';
      if (i > 0) --digitsText[i - 1];
    }
  }
  while (digitsText.size() > 1 && digitsText.back() == '0') digitsText.pop_back();

  std::string out = value < 0 ? "-" : "";
  if (exponent >= -4 && exponent <= digits - 1) {
    if (exponent < 0) {
      out += "0.";
      out.append(static_cast<size_t>(-exponent - 1), '0');
      out += digitsText;
    } else {
      size_t intLen = static_cast<size_t>(exponent) + 1;
      if (digitsText.size() <= intLen) {
        out += digitsText + std::string(intLen - digitsText.size(), '0');
      } else {
        out += digitsText.substr(0, intLen) + "." + digitsText.substr(intLen);
      }
    }
  } else {
    out += digitsText.substr(0, 1);
    if (digitsText.size() > 1) out.append(".").append(digitsText, 1);
    char expBuf[16];
    std::snprintf(expBuf, sizeof expBuf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    out += expBuf;
  }
  return out;
}

std::string FormatNumber(double value) {
  return FormatWithDigits(value, 15);
}

std::string TrimBlanks(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  size_t begin = 0, end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

bool ReadsAsOne(double value) {
  return ParseLeadingNumber(FormatNumber(value)) == 1.0;
}

std::string FormatSingle(float value) {
  return FormatWithDigits(static_cast<double>(value), 7);
}

bool InInt16Range(double value) {
  return !std::isnan(value) && std::nearbyint(value) >= -32768.0 &&
         std::nearbyint(value) <= 32767.0;
}

int16_t ToInt16(double value) {
  if (std::isnan(value)) return 0;
  double r = std::nearbyint(value);  // the default rounding mode rounds halves to even
  if (r < -32768.0) return -32768;
  if (r > 32767.0) return 32767;
  return static_cast<int16_t>(r);
}

int32_t ToInt32(double value) {
  if (std::isnan(value)) return 0;
  double r = std::nearbyint(value);
  if (r < -2147483648.0) return std::numeric_limits<int32_t>::min();
  if (r > 2147483647.0) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

std::optional<uint64_t> ParseWholeNumber(std::string_view text) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string ShortestText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace common
