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

TEST_F(Catalogue, ASelectionWritesItsRowsOverThoseOfTheLastOne) {
  // In button order, each selection replaces rows of the one before (row 10 of the
  // spreading simulation is fixed, that of the velocity simulation is not).
  for (const Simulation& simulation : Simulations()) {
    SCOPED_TRACE(simulation.name);
    program.cmd_Click(simulation.number);
    EXPECT_EQ(controls.TitleCaption(), simulation.title);
    EXPECT_EQ(controls.TitleTag(), std::to_string(simulation.number));
    const std::vector<RowDescription> rows = GridRows(simulation);
    for (const RowDescription& r : rows) ExpectRow(r.row, r.name, r.value, r.minimum, r.maximum);
    ExpectEmptyFrom(rows.back().row + 1);
    for (int row = 1; row <= kRows; ++row)
      EXPECT_EQ(controls.ValueTag(row), row <= 3 ? "integer" : "") << row;
  }
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
