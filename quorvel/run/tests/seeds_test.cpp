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
  EXPECT_EQ(ReplicateGenerator(7, 3, 11), UniformGenerator::FromSeed(ReplicateSeed(7, 3, 11)));
  // Stored seeds rerun their replicates only while these stay as they are.
  EXPECT_EQ(ReplicateSeed(0, 0, 0), 3393806082608305428ull);
  EXPECT_EQ(ReplicateSeed(42, 2, 7), 5791865341010227311ull);
  EXPECT_EQ(ReplicateSeed(0xffffffffffffffffull, 40, 199), 7834056292906087728ull);
}

TEST(SeedFromEntropy, DrawsEveryBit) {
  // Every bit set in some of 32 draws and clear in another: missed by chance once in 1e7.
  uint64_t any = 0, all = ~0ull;
  for (int i = 0; i < 32; ++i) {
    const uint64_t seed = SeedFromEntropy();
    any |= seed, all &= seed;
  }
  EXPECT_EQ(any, ~0ull);
  EXPECT_EQ(all, 0ull);
}

}  // namespace
}  // namespace quorvel
