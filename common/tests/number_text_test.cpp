#include "common/number_text.h"
#include "common/power.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cstdint>
#include <cmath>
#include <limits>

using common::FormatNumber;
using common::FormatSingle;
using common::ParseLeadingNumber;
using common::ToInt16;

TEST(ParseLeadingNumber, ReadsPlainAndSignedNumbers) {
  EXPECT_EQ(ParseLeadingNumber("12"), 12.0);
  EXPECT_EQ(ParseLeadingNumber("-3.25"), -3.25);
  EXPECT_EQ(ParseLeadingNumber("+7"), 7.0);
  EXPECT_EQ(ParseLeadingNumber(".5"), 0.5);
  EXPECT_EQ(ParseLeadingNumber("5."), 5.0);
  EXPECT_EQ(ParseLeadingNumber("0.1"), 0.1);
}

TEST(ParseLeadingNumber, ReadsExponentsWithEOrD) {
  EXPECT_EQ(ParseLeadingNumber("1E-05"), 1e-5);
  EXPECT_EQ(ParseLeadingNumber("2.5e3"), 2500.0);
  EXPECT_EQ(ParseLeadingNumber("1D+2"), 100.0);
  EXPECT_EQ(ParseLeadingNumber("1d2"), 100.0);
  EXPECT_EQ(ParseLeadingNumber("3E"), 3.0);  // no exponent digits: the E is not read
  EXPECT_EQ(ParseLeadingNumber("3E+x"), 3.0);
  EXPECT_EQ(ParseLeadingNumber("4E2E3"), 400.0);
}

TEST(ParseLeadingNumber, SkipsBlanksWhereverTheyStand) {
  EXPECT_EQ(ParseLeadingNumber("  1 2 3"), 123.0);
  EXPECT_EQ(ParseLeadingNumber("\t- 1 . 5"), -1.5);
  EXPECT_EQ(ParseLeadingNumber("1 e\n2"), 100.0);
}

TEST(ParseLeadingNumber, StopsAtTheFirstCharacterThatDoesNotFit) {
  EXPECT_EQ(ParseLeadingNumber("1,5"), 1.0);
  EXPECT_EQ(ParseLeadingNumber("1.2,3"), 1.2);
  EXPECT_EQ(ParseLeadingNumber("12abc"), 12.0);
  EXPECT_EQ(ParseLeadingNumber("1.2.3"), 1.2);
}

TEST(ParseLeadingNumber, TextWithoutANumberReadsZero) {
  EXPECT_EQ(ParseLeadingNumber(""), 0.0);
  EXPECT_EQ(ParseLeadingNumber("abc"), 0.0);
  EXPECT_EQ(ParseLeadingNumber(","), 0.0);
  EXPECT_EQ(ParseLeadingNumber("."), 0.0);
  EXPECT_EQ(ParseLeadingNumber("-"), 0.0);
  EXPECT_EQ(ParseLeadingNumber("   "), 0.0);
}

TEST(ParseLeadingNumber, OverflowReadsInfinityAndUnderflowZero) {
  EXPECT_EQ(ParseLeadingNumber("1E400"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseLeadingNumber("-1E400"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseLeadingNumber("0.0001E313"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseLeadingNumber(std::string(400, '9')), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseLeadingNumber("1E-400"), 0.0);
  EXPECT_EQ(ParseLeadingNumber("1E99999999999999999999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseLeadingNumber("1.7976931348623157E308"), std::numeric_limits<double>::max());
}

TEST(FormatNumber, WritesPlainDecimalsWithoutTrailingZeros) {
  EXPECT_EQ(FormatNumber(0.5), "0.5");
  EXPECT_EQ(FormatNumber(-0.5), "-0.5");
  EXPECT_EQ(FormatNumber(10), "10");
  EXPECT_EQ(FormatNumber(500), "500");
  EXPECT_EQ(FormatNumber(0), "0");
  EXPECT_EQ(FormatNumber(-0.0), "0");
  EXPECT_EQ(FormatNumber(0.1 + 0.2), "0.3");
  EXPECT_EQ(FormatNumber(0.063120276515942), "0.063120276515942");
  EXPECT_EQ(FormatNumber(0.0001), "0.0001");
  EXPECT_EQ(FormatNumber(123456789012345.0), "123456789012345");
}

TEST(FormatNumber, RoundsToFifteenDigitsIncludingCarryToTheNextPower) {
  EXPECT_EQ(FormatNumber(9.9999999999999995), "10");
  EXPECT_EQ(FormatNumber(0.99999999999999994), "1");
  EXPECT_EQ(FormatNumber(0.1 + 0.1 + 0.7 + 0.1), "1");
  EXPECT_EQ(FormatNumber(999999999999999.9), "1E+15");
  EXPECT_EQ(FormatNumber(2.0 / 3.0), "0.666666666666667");
}

TEST(FormatNumber, UsesExponentFormOutsideTheDecimalRange) {
  EXPECT_EQ(FormatNumber(0.00001), "1E-05");
  EXPECT_EQ(FormatNumber(0.000012345), "1.2345E-05");
  EXPECT_EQ(FormatNumber(1e15), "1E+15");
  EXPECT_EQ(FormatNumber(-2.5e-7), "-2.5E-07");
  EXPECT_EQ(FormatNumber(6.3e-26), "6.3E-26");
  EXPECT_EQ(FormatNumber(1.5e300), "1.5E+300");
  EXPECT_EQ(FormatNumber(4.9406564584124654e-324), "4.94065645841247E-324");
}

TEST(FormatNumber, TextsOfTheLargestValuesReadBackFinite) {
  // Rounded to 15 digits the largest float64 would read back as infinity: it is cut instead.
  constexpr double kMax = std::numeric_limits<double>::max();
  EXPECT_EQ(FormatNumber(kMax), "1.79769313486231E+308");
  EXPECT_EQ(FormatNumber(-kMax), "-1.79769313486231E+308");
  EXPECT_EQ(FormatNumber(1.7976931348623e308), "1.7976931348623E+308");
}

TEST(FormatSingle, RoundsToSevenDigits) {
  EXPECT_EQ(FormatSingle(1e-5f), "1E-05");
  EXPECT_EQ(FormatSingle(1e-10f), "1E-10");
  EXPECT_EQ(FormatSingle(1e7f), "1E+07");
  EXPECT_EQ(FormatSingle(1e-4f), "0.0001");
  EXPECT_EQ(FormatSingle(0.1f), "0.1");
  EXPECT_EQ(FormatSingle(250.0f), "250");
  EXPECT_EQ(FormatSingle(9999999.0f), "9999999");
  EXPECT_EQ(FormatSingle(-0.0f), "0");
  EXPECT_EQ(FormatSingle(0.008333f), "0.008333");
  EXPECT_EQ(FormatSingle(1.0f / 3.0f), "0.3333333");
}

TEST(FormatNumber, IgnoresTheLocale) {
  // Qt programs adopt the user's locale; the text form must not follow it.
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
    EXPECT_EQ(FormatNumber(1.5), "1.5");
    EXPECT_EQ(ParseLeadingNumber("2.25"), 2.25);
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(ToInt16, RoundsHalvesToEven) {
  EXPECT_EQ(ToInt16(2.5), 2);
  EXPECT_EQ(ToInt16(3.5), 4);
  EXPECT_EQ(ToInt16(-2.5), -2);
  EXPECT_EQ(ToInt16(6.7), 7);
  EXPECT_EQ(ToInt16(0.49999999999999994), 0);
  EXPECT_EQ(ToInt16(-0.4), 0);
}

TEST(ToInt16, SaturatesOutsideTheRange) {
  EXPECT_EQ(ToInt16(32767.4), 32767);
  EXPECT_EQ(ToInt16(40000), 32767);
  EXPECT_EQ(ToInt16(-40000), -32768);
  EXPECT_EQ(ToInt16(std::nan("")), 0);
  EXPECT_TRUE(common::InInt16Range(32767.4));
  EXPECT_FALSE(common::InInt16Range(32767.5));
  EXPECT_FALSE(common::InInt16Range(-32768.6));
  EXPECT_EQ(common::ToInt32(100000.5), 100000);
  EXPECT_EQ(common::ToInt32(100001.5), 100002);
}

TEST(Power, IsTheLibraryPowerEvenForSquares) {
#ifdef __MINGW32__
  GTEST_SKIP()
      << "MinGW-w64's pow multiplies out whole powers: no argument tells it from a product";
#endif
  // Find an argument whose library square differs from the product in the last bit; a
  // Power that the compiler had turned into a product would give the product there.
  volatile double two = 2.0;
  double x = 0;
  for (int i = 1; i <= 1000000 && x == 0; ++i) {
    const double candidate = 0.1 + i * 3.7e-7;
    if (std::pow(candidate, static_cast<double>(two)) != candidate * candidate) x = candidate;
  }
  ASSERT_NE(x, 0);
  EXPECT_EQ(common::Power(x, 2.0), std::pow(x, static_cast<double>(two)));
  EXPECT_NE(common::Power(x, 2.0), x * x);
  EXPECT_EQ(common::Power(2.0, 10.0), 1024.0);
}

// Over the frequencies' range and far beyond, the cheap square is the library's.
TEST(Power, SquareIsThePowerOfTwoBitForBit) {
  uint64_t state = 12345;
  for (int i = 0; i < 400000; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const double mantissa = 1 + static_cast<double>(state >> 12) * 0x1p-52;
    const double magnitude = std::ldexp(mantissa, static_cast<int>(state % 1200) - 1000);
    const double x = (state & 1) ? -magnitude : magnitude;
    ASSERT_EQ(std::bit_cast<uint64_t>(common::Square(x)),
              std::bit_cast<uint64_t>(common::Power(x, 2.0)))
        << x;
  }
  for (double x : {0.0, -0.0, 1.0, 0.5, -3.0, 1e-200, 1e200, std::nan(""), HUGE_VAL}) {
    EXPECT_EQ(std::bit_cast<uint64_t>(common::Square(x)),
              std::bit_cast<uint64_t>(common::Power(x, 2.0)));
  }
}

TEST(TrimBlanks, RemovesLeadingAndTrailingSpacesAndTabs) {
  EXPECT_EQ(common::TrimBlanks("  1,5\t "), "1,5");
  EXPECT_EQ(common::TrimBlanks(" \t "), "");
  EXPECT_EQ(common::TrimBlanks("a b"), "a b");
}

TEST(ReadsAsOne, ATotalOneRoundingAwayFromOneReadsAsOne) {
  EXPECT_TRUE(common::ReadsAsOne(0.7 + 0.1 + 0.1 + 0.1));
  EXPECT_TRUE(common::ReadsAsOne(1.0));
  EXPECT_FALSE(common::ReadsAsOne(1.1));
  EXPECT_FALSE(common::ReadsAsOne(0.99999999999999));
}
