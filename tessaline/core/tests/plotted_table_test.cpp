// The numbers behind the picture for Export data.
#include "tessaline/core/plotted_table.h"

#include <gtest/gtest.h>

#include "common/number_text.h"
#include "tessaline/core/tests/test_support.h"

namespace tessaline {
namespace {

class PlottedTableTest : public testing::ProgramTest {
 protected:
  PlottedTableTest() { controls.SetOutputFileName(out); }
  std::string out = folder.File("out.txt");
};

TEST_F(PlottedTableTest, HoldsEveryPointOfTheOutputFileByCurve) {
  program.cmd_Click(2);  // on a time axis: curves of different lengths
  program.cmd_Click(2);  // a second run starts the points afresh
  const std::vector<std::string> lines = testing::ReadLines(out);
  const platform::CsvTable table = PlottedTable(controls, program.Points());
  ASSERT_EQ(table.rows.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(table.rows[i][1] + " " + table.rows[i][2], lines[i]);
  EXPECT_EQ(table.rows.front()[0], "ML of curve 1 = 0.4");
  EXPECT_EQ(table.rows.back()[0], "ML of curve 5 = 3");
  EXPECT_EQ(table.program, "tessaline");
  EXPECT_EQ(table.parameters.front().second, controls.TitleCaption());

  const platform::TidyTable tidy = TidyPlottedTable(controls, program.Points());
  ASSERT_EQ(tidy.Rows.size(), lines.size());
  EXPECT_EQ(tidy.Columns, (std::vector<std::string>{"simulation", "curve", "x", "y"}));
  EXPECT_EQ(tidy.Rows.back()[0], "velocity");
  EXPECT_EQ(tidy.Rows.back()[1], "ML of curve 5 = 3");
  // The same points, each to every digit that tells it from its neighbours.
  EXPECT_EQ(common::FormatNumber(std::stod(tidy.Rows[7][3])), table.rows[7][2]);
}

}  // namespace
}  // namespace tessaline
