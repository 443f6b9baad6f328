#include "quorvel/run/progress_estimate.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(ProgressEstimateTest, TimeLeftFollowsTheMeanPace) {
  ProgressEstimate progress(820);
  EXPECT_FALSE(progress.SecondsLeft().has_value());
  EXPECT_EQ(ProgressText(progress), "0 / 820 runs");
  progress.Update(20, 10.0);
  ASSERT_TRUE(progress.SecondsLeft().has_value());
  EXPECT_DOUBLE_EQ(*progress.SecondsLeft(), 400.0);
  EXPECT_EQ(ProgressText(progress), "20 / 820 runs, about 6 min 40 s left");
  progress.Update(820, 410.0);
  EXPECT_DOUBLE_EQ(*progress.SecondsLeft(), 0.0);
  EXPECT_EQ(ProgressText(progress), "820 / 820 runs");
  // More runs reported than planned, or a clock that went back, stay within the plan.
  progress.Update(900, -1.0);
  EXPECT_EQ(progress.Done(), 820u);
}

TEST(ProgressEstimateTest, DurationsReadInTheirTwoLargestUnits) {
  EXPECT_EQ(FormatDuration(0.4), "less than 1 s");
  EXPECT_EQ(FormatDuration(12.2), "13 s");
  EXPECT_EQ(FormatDuration(249), "4 min 09 s");
  EXPECT_EQ(FormatDuration(3 * 3600 + 4 * 60 + 1), "3 h 05 min");
  EXPECT_EQ(FormatDuration(3600 + 59 * 60 + 30), "2 h 00 min");
  EXPECT_EQ(FormatDuration(1e300), FormatDuration(1e11));
}

}  // namespace
}  // namespace quorvel
