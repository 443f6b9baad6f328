#include "quorvel/run/sweep_results.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace quorvel {
namespace {

TEST(SweepResults, TablesHoldEveryRunBlockByBlock) {
  CommandRecord record;
  record.Mode = RunMode::SkSweep;
  record.S = {0.01, 0.01, 0.01, 0.02, 0.02, 0.02};
  record.K = {0.8, 0.81, 0.82, 0.8, 0.81, 0.82};
  record.Outcomes = {0.0, 0.0, 0.0, 1.0, 1.0, std::nan("")};
  const SKSweepResults blocks = SelectionResults(record);
  ASSERT_EQ(blocks.Blocks.size(), 2u);
  EXPECT_EQ(blocks.Blocks[1].K, (std::vector<double>{0.8, 0.81, 0.82}));
  const platform::CsvTable sk = SKSweepTable(blocks);
  EXPECT_EQ(sk.rows.size(), 6u);
  EXPECT_EQ(sk.rows[4], (std::vector<std::string>{"0.02", "0.81", "1"}));
  EXPECT_EQ(sk.rows[5][2], "");  // a run without a value leaves its cell empty

  NSweepResults results;
  results.Points = {{1.0f, {0.1, 0.3, 0.5}, 0.3, 0.2}, {1.5f, {0.6}, 0.6, 0}};
  const platform::CsvTable n = NSweepTable(results);
  EXPECT_EQ(n.columns.size(), 6u);
  EXPECT_EQ(n.rows[1], (std::vector<std::string>{"1.5", "0.6", "0", "0.6", "", ""}));
}

}  // namespace
}  // namespace quorvel
