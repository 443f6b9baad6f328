#include "common/nearest_word.h"

#include <gtest/gtest.h>

namespace common {
namespace {

TEST(NearestWord, ACaseChangeCostsLessThanAnotherLetter) {
  EXPECT_EQ(NearestWord("k", {"S", "K"}), "K");
  EXPECT_EQ(NearestWord("maxgne", {"MaxGen", "demes"}), "MaxGen");
  EXPECT_EQ(NearestWord("x", {}), "");
}

}  // namespace
}  // namespace common
