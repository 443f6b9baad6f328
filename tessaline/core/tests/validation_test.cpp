// Validation of a value box when it loses the focus: blanks, decimal comma, whole numbers,
// bounds, and the correction it reports.
#include "tessaline/core/validation.h"

#include <gtest/gtest.h>

#include "tessaline/core/catalogue.h"

namespace tessaline {
namespace {

class ValueValidation : public ::testing::Test {
 protected:
  void Select(int simulation) { FillGrid(controls, *FindSimulation(simulation)); }
  // Types text into value box row and leaves it.
  std::string Enter(int row, const std::string& text) {
    controls.SetValue(row, text);
    ValidateValue(controls, row);
    return controls.Value(row);
  }

  MemoryControls controls;
};

TEST_F(ValueValidation, ValidationPullsValuesIntoTheirBounds) {
  Select(2);
  EXPECT_EQ(Enter(5, "0.01"), "0.001");  // the preset S lies above the row's maximum
  EXPECT_EQ(Enter(4, ""), "0.001");      // an empty box gets the minimum
  EXPECT_EQ(Enter(4, "   "), "0.001");
  EXPECT_EQ(Enter(4, "1e-5"), "0.001");
  EXPECT_EQ(Enter(4, "2"), "0.999");
  EXPECT_EQ(Enter(4, "abc"), "0.001");  // no number reads as 0
  EXPECT_EQ(Enter(4, "  0.5  "), "0.5");
  EXPECT_EQ(Enter(6, "1,5"), "1.5");
  EXPECT_EQ(Enter(6, "1,5,6"), "1.5,6");  // read as 1.5, inside the bounds
  EXPECT_EQ(Enter(6, ",5"), "0.5");
  EXPECT_EQ(Enter(6, ".5"), "0.5");
  EXPECT_EQ(Enter(6, "1e999"), "10");
  EXPECT_EQ(Enter(6, "-1e999"), "0.1");
}

TEST_F(ValueValidation, ValidationRoundsIntegerRowsButComparesTheTypedValue) {
  Select(1);
  EXPECT_EQ(Enter(3, "5.4"), "5");  // rounded to 5, then 5.4 exceeds the maximum "5"
  EXPECT_EQ(Enter(3, "2.5"), "3");  // floor(x + 0.5): halves go up
  EXPECT_EQ(Enter(3, "3.5"), "4");
  EXPECT_EQ(Enter(3, "0"), "1");
  EXPECT_EQ(Enter(2, "0.4"), "2");  // rounded to 0, then 0.4 lies below the minimum "2"
  EXPECT_EQ(Enter(2, "12,6"), "13");
  EXPECT_EQ(Enter(1, "1e9"), "99999");
  EXPECT_EQ(Enter(1, "-2.5"), "2");
  EXPECT_EQ(Enter(1, "250.49"), "250");
  EXPECT_EQ(Enter(4, "0.0123"), "0.0123");  // not an integer row
}

TEST_F(ValueValidation, RowsWithoutBoundsAndFixedRows) {
  Select(1);
  EXPECT_EQ(Enter(20, ""), "");    // the minimum is empty
  EXPECT_EQ(Enter(20, "5"), "");   // above the empty maximum, which reads as 0
  EXPECT_EQ(Enter(20, "-5"), "");  // below the empty minimum
  EXPECT_EQ(Enter(20, "0"), "0");
  // The fixed rows "U" and "V" are never validated.
  EXPECT_EQ(Enter(10, " x "), " x ");
  EXPECT_EQ(Enter(11, ""), "");
}

TEST_F(ValueValidation, TheLastRuleThatChangedTheTextIsReported) {
  Select(1);
  auto correction = [&](int row, const std::string& text) {
    controls.SetValue(row, text);
    const Validation v = ValidateValue(controls, row);
    EXPECT_EQ(v.typed, text);
    EXPECT_EQ(v.result, controls.Value(row));
    return v.correction;
  };
  EXPECT_EQ(correction(4, "0.5"), Correction::None);
  EXPECT_EQ(correction(4, " 0.5"), Correction::Trimmed);
  EXPECT_EQ(correction(4, ""), Correction::EmptyToMinimum);
  EXPECT_EQ(correction(4, "0,5"), Correction::DecimalPoint);
  EXPECT_EQ(correction(1, "250.4"), Correction::Rounded);
  EXPECT_EQ(correction(3, "5.4"), Correction::UpperBound);  // rounded first, then capped
  EXPECT_EQ(correction(2, "0.4"), Correction::LowerBound);
  EXPECT_EQ(correction(10, "7"), Correction::None);  // a fixed row is left alone
  EXPECT_STREQ(Describe(Correction::UpperBound), "upper bound");
}

}  // namespace
}  // namespace tessaline
