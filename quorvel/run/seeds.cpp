#include "quorvel/run/seeds.h"

#include <random>

namespace quorvel {

namespace {

uint64_t Absorb(uint64_t hash, uint64_t word) {
  uint64_t x = hash ^ word;
  return SplitMix64(x);
}

// Keeps these seeds apart from a generator seeded with the command's seed itself (the
// single finite run).
constexpr uint64_t kReplicateDomain = 0x71756f7276656c52ull;

}  // namespace

uint64_t ReplicateSeed(uint64_t seed, uint64_t valueIndex, uint64_t replicate) {
  return Absorb(Absorb(Absorb(kReplicateDomain, seed), valueIndex), replicate);
}

uint64_t SeedFromEntropy() {
  std::random_device device;
  const uint64_t high = device();
  return (high << 32) ^ device();
}

uint64_t SeedFromState(const UniformGenerator& generator) {
  const UniformGenerator::State& s = generator.CurrentState();
  const uint64_t low = (static_cast<uint64_t>(s[1]) << 32) | s[0];
  const uint64_t high = (static_cast<uint64_t>(s[3]) << 32) | s[2];
  return Absorb(low, high);
}

}  // namespace quorvel
