// Parameter sets: the grid of the chosen simulation saved and opened again.
#include "tessaline/core/parameter_set.h"

#include <gtest/gtest.h>

#include "tessaline/core/tests/test_support.h"

namespace tessaline {
namespace {

using ParameterSetTest = testing::ProgramTest;

std::vector<std::string> Values(const FormControls& controls) {
  std::vector<std::string> values;
  for (int row = 1; row <= kRows; ++row)
    values.push_back(controls.Name(row) + "|" + controls.Value(row));
  return values;
}

TEST_F(ParameterSetTest, ASavedSetOpensToTheSameGrid) {
  EXPECT_EQ(ParameterSetText(controls), "");  // no simulation chosen yet
  program.cmd_Click(3);
  controls.SetValue(9, "0.2");
  const std::string text = ParameterSetText(controls);
  MemoryControls other;
  const OpenedSet opened = OpenParameterSet(other, text);
  EXPECT_EQ(opened.refusal, "");
  EXPECT_TRUE(opened.corrections.empty());
  EXPECT_TRUE(opened.unknownKeys.empty());
  EXPECT_EQ(Values(other), Values(controls));
  EXPECT_EQ(other.TitleCaption(), controls.TitleCaption());
  EXPECT_EQ(other.TitleTag(), "3");
}

TEST_F(ParameterSetTest, ReportsCorrectionsAndUnknownKeysAndRefusesOtherFiles) {
  const OpenedSet opened =
      OpenParameterSet(controls, "simulation = \"velocity\"\nml1 = 50\nu = 1\ncolour = \"red\"\n");
  EXPECT_EQ(opened.refusal, "");
  EXPECT_EQ(opened.corrections, std::vector<std::string>{"ml1: 50 -> 10 (upper bound)"});
  EXPECT_EQ(opened.unknownKeys, (std::vector<std::string>{"colour", "u"}));
  EXPECT_EQ(controls.Value(6), "10");

  // The preset S of this simulation lies above its bound; a set that keeps it keeps it.
  EXPECT_TRUE(
      OpenParameterSet(controls, "simulation = \"velocity\"\ns = 0.01\n").corrections.empty());
  EXPECT_EQ(controls.Value(5), "0.01");

  const std::vector<std::string> before = Values(controls);
  for (const char* text : {"simulation = [", "generations = 5\n", "simulation = \"fourth\"\n",
                           "simulation = 2\nml1 = [1, 2]\n"}) {
    EXPECT_NE(OpenParameterSet(controls, text).refusal, "") << text;
    EXPECT_EQ(Values(controls), before) << text;
  }
}

}  // namespace
}  // namespace tessaline
