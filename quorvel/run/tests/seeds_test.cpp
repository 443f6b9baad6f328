#include "quorvel/run/seeds.h"

#include <gtest/gtest.h>

#include <set>

namespace quorvel {
namespace {

TEST(ReplicateSeed, EveryPlaceOfACommandHasItsOwnRepeatableSeed) {
  std::set<uint64_t> seeds;
  for (uint64_t seed : {0ull, 1ull, 0xffffffffffffffffull}) {
    for (uint64_t v = 0; v < 40; ++v)
      for (uint64_t r = 0; r < 200; ++r) seeds.insert(ReplicateSeed(seed, v, r));
    // Not the seed a single finite run takes.
    EXPECT_EQ(seeds.count(seed), 0u);
  }
  EXPECT_EQ(seeds.size(), 3u * 40 * 200);
  EXPECT_EQ(ReplicateSeed(7, 3, 11), ReplicateSeed(7, 3, 11));
  EXPECT_EQ(ReplicateGenerator(7, 3, 11), UniformGenerator::FromSeed(ReplicateSeed(7, 3, 11)));
}

}  // namespace
}  // namespace quorvel
