// The table of simulations: how a simulation is found, and that each description holds
// together (a row for every curve it can draw, names that tell its rows apart).
#include "tessaline/core/simulations.h"

#include <gtest/gtest.h>

#include <set>

#include "common/number_text.h"

namespace tessaline {
namespace {

TEST(Simulations, FoundByNumberNameOrTag) {
  int number = 0;
  for (const Simulation& s : Simulations()) {
    EXPECT_EQ(s.number, ++number);
    EXPECT_EQ(FindSimulation(number), &s);
    EXPECT_EQ(FindSimulationByTag(std::to_string(number)), &s);
    EXPECT_EQ(FindSimulationByName(s.name), &s);
    EXPECT_EQ(FindSimulationByName(std::to_string(number)), &s);
  }
  EXPECT_EQ(FindSimulation(0), nullptr);
  EXPECT_EQ(FindSimulationByTag(""), nullptr);
  EXPECT_EQ(FindSimulationByName("Spreading"), nullptr);
}

TEST(Simulations, EveryCurveHasARowAndALabelAndEveryRowAName) {
  for (const Simulation& s : Simulations()) {
    SCOPED_TRACE(s.name);
    const std::vector<RowDescription> rows = GridRows(s);
    std::set<std::string> names, aliases;
    int expected = 0;
    for (const RowDescription& r : rows) {
      EXPECT_EQ(r.row, ++expected);  // no gaps in the grid
      EXPECT_TRUE(names.insert(r.name).second) << r.name;
      EXPECT_TRUE(aliases.insert(r.alias).second) << r.alias;
      EXPECT_FALSE(names.count(r.alias) && std::string(r.alias) != r.name) << r.alias;
    }
    ASSERT_GE(rows.size(), 3u);
    const auto curves = static_cast<size_t>(common::ParseLeadingNumber(rows[2].maximum));
    EXPECT_EQ(s.curveLabels.size(), curves);
    EXPECT_LE(static_cast<size_t>(s.firstCurveRow) + curves - 1, rows.size());
    EXPECT_LE(rows.size(), static_cast<size_t>(kRows));
  }
}

}  // namespace
}  // namespace tessaline
