#include "quorvel/model/uniform_generator.h"

#include <bit>

namespace quorvel {

void UniformGenerator::Reseed(float secondsSinceMidnight) {
  // Hash the whole current state together with the clock bits, then refill the state
  // from that hash: the new state depends on both, and it is never all zeros.
  uint64_t mix = std::bit_cast<uint32_t>(secondsSinceMidnight);
  for (uint32_t word : state_) {
    mix = SplitMix64(mix) ^ word;
  }
  const uint64_t a = SplitMix64(mix);
  const uint64_t b = SplitMix64(mix);
  state_ = {static_cast<uint32_t>(a), static_cast<uint32_t>(a >> 32), static_cast<uint32_t>(b),
            static_cast<uint32_t>(b >> 32)};
  if ((state_[0] | state_[1] | state_[2] | state_[3]) == 0) state_[0] = 1;
}

void UniformGenerator::Seed(uint64_t seed) {
  uint64_t x = seed;
  const uint64_t a = SplitMix64(x);
  const uint64_t b = SplitMix64(x);
  state_ = {static_cast<uint32_t>(a), static_cast<uint32_t>(a >> 32), static_cast<uint32_t>(b),
            static_cast<uint32_t>(b >> 32)};
  if ((state_[0] | state_[1] | state_[2] | state_[3]) == 0) state_[0] = 1;
}

}  // namespace quorvel
