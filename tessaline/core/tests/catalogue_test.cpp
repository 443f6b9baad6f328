// Selection of a simulation: presets written into the grid, axis labels and title.
#include <gtest/gtest.h>

#include "tessaline/core/catalogue.h"
#include "tessaline/core/tests/test_support.h"

namespace tessaline {
namespace {

class Catalogue : public testing::ProgramTest {
 protected:
  Catalogue() { controls.SetOutputFileName(folder.File("out.txt")); }

  // Types text into value box row and leaves it.
  std::string Enter(int row, const std::string& text) {
    controls.SetValue(row, text);
    program.txt_LostFocus(static_cast<int16_t>(row));
    return controls.Value(row);
  }
  void ExpectRow(int row, const std::string& name, const std::string& value,
                 const std::string& minimum, const std::string& maximum) {
    SCOPED_TRACE("row " + std::to_string(row));
    EXPECT_EQ(controls.Name(row), name);
    EXPECT_EQ(controls.Value(row), value);
    EXPECT_EQ(controls.Minimum(row), minimum);
    EXPECT_EQ(controls.Maximum(row), maximum);
    EXPECT_EQ(controls.ValueLocked(row), minimum == "-");
  }
  void ExpectEmptyFrom(int first) {
    for (int row = first; row <= kRows; ++row) ExpectRow(row, "", "", "", "");
  }
};

TEST_F(Catalogue, NothingIsShownBeforeASelection) {
  ExpectEmptyFrom(1);
  EXPECT_EQ(controls.TitleTag(), "");
  // With an empty row 1 a run only clears the surface and touches no file.
  program.Execute_Click();
  EXPECT_EQ(surface.Clears(), 1);
  EXPECT_EQ(platform::CheckFile(folder.File("out.txt")), platform::FileCheck::Missing);
}

TEST_F(Catalogue, SpreadingPresets) {
  program.cmd_Click(1);
  EXPECT_EQ(controls.TitleCaption(), "Spreading within a species of a gene with advantage S");
  EXPECT_EQ(controls.TitleTag(), "1");
  ExpectRow(1, "Number of generations", "500", "2", "99999");
  ExpectRow(2, "Step", "10", "2", "1000");
  ExpectRow(3, "Number of curves", "5", "1", "5");
  ExpectRow(4, "Y(0)", "0.05", "0.001", "0.999");
  ExpectRow(5, "S for curve 1", "0.025", "0", "0.999");
  ExpectRow(6, "S for curve 2", "0.0125", "0", "0.999");
  ExpectRow(7, "S for curve 3", "0.01", "0", "0.999");
  ExpectRow(8, "S for curve 4", "0.008333", "0", "0.999");
  ExpectRow(9, "S for curve 5", "0.003333", "0", "0.999");
  ExpectRow(10, "U", "0", "-", "-");
  ExpectRow(11, "V", "0", "-", "-");
  ExpectEmptyFrom(12);
  for (int row = 1; row <= kRows; ++row)
    EXPECT_EQ(controls.ValueTag(row), row <= 3 ? "integer" : "") << row;
  EXPECT_EQ(controls.AxisCaption(5), "G e n e r a t i o n s");
}

TEST_F(Catalogue, VelocityPresetsReplaceTheSpreadingRows) {
  program.cmd_Click(1);
  program.cmd_Click(2);
  EXPECT_EQ(controls.TitleCaption(),
            "Variation of the spreading velocity of a gene depending on ML variation");
  EXPECT_EQ(controls.TitleTag(), "2");
  ExpectRow(1, "Number of time units", "500", "2", "99999");
  ExpectRow(2, "Step", "10", "2", "1000");
  ExpectRow(3, "Number of curves", "5", "1", "5");
  ExpectRow(4, "Y(0)", "0.05", "0.001", "0.999");
  ExpectRow(5, "S", "0.01", "0", "0.001");
  ExpectRow(6, "ML of curve 1", "0.4", "0.1", "10");
  ExpectRow(7, "ML of curve 2", "0.8", "0.1", "10");
  ExpectRow(8, "ML of curve 3", "1", "0.1", "10");
  ExpectRow(9, "ML of curve 4", "1.2", "0.1", "10");
  ExpectRow(10, "ML of curve 5", "3", "0.1", "10");  // unlocked again after "U"
  ExpectEmptyFrom(11);
  EXPECT_EQ(controls.ValueTag(1), "integer");
  EXPECT_EQ(controls.AxisCaption(5), "Time");
}

TEST_F(Catalogue, SenescencePresets) {
  program.cmd_Click(3);
  EXPECT_EQ(controls.TitleCaption(),
            "Evolutionary steadiness of the character senescence (Theoretical model based on "
            "inclusive fitness)");
  EXPECT_EQ(controls.TitleTag(), "3");
  ExpectRow(1, "Number of generations", "250", "2", "99999");
  ExpectRow(3, "Number of curves", "4", "1", "4");
  ExpectRow(4, "Y(0)", "0.1", "0.001", "0.999");
  ExpectRow(5, "S'", "0.2", "0", "0.5");
  ExpectRow(6, "V(C)", "0.7", "0.3", "1");
  ExpectRow(7, "S", "0.01", "0", "0.5");
  ExpectRow(8, "m", "600", "1", "100000");
  ExpectRow(9, "r for curve 1", "0.12", "0", "1");
  ExpectRow(10, "r for curve 2", "0.1", "0", "1");
  ExpectRow(11, "r for curve 3", "0.09", "0", "1");
  ExpectRow(12, "r for curve 4", "0", "0", "1");
  ExpectEmptyFrom(13);
  EXPECT_EQ(controls.AxisCaption(6), "250");
}

TEST_F(Catalogue, ASelectionDiscardsEditsButKeepsTheFileName) {
  program.cmd_Click(1);
  controls.SetOutputFileName(folder.File("other.txt"));
  Enter(5, "0.5");
  controls.SetValue(20, "7");
  program.cmd_Click(1);
  EXPECT_EQ(controls.Value(5), "0.025");
  EXPECT_EQ(controls.Value(20), "");
  EXPECT_EQ(controls.OutputFileName(), folder.File("other.txt"));
}

TEST_F(Catalogue, SetParameterRowLocksOnlyAFixedRowAndKeepsTheTag) {
  controls.SetValueTag(4, "integer");
  SetParameterRow(controls, 4, "U", "0", "-", "-");
  EXPECT_TRUE(controls.ValueLocked(4));
  EXPECT_EQ(controls.ValueTag(4), "integer");
  // It never unlocks; UnlockValueBoxes does, from the given row on.
  SetParameterRow(controls, 4, "Y(0)", "0.05", "0.001", "0.999");
  EXPECT_TRUE(controls.ValueLocked(4));
  controls.SetValueLocked(2, true);
  UnlockValueBoxes(controls, 3);
  EXPECT_FALSE(controls.ValueLocked(4));
  EXPECT_TRUE(controls.ValueLocked(2));
}

}  // namespace
}  // namespace tessaline
