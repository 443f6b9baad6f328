// Seeds of the random runs of a command. Every random run is a pure function of the
// command's seed and of its place in the command: replicate r of the v-th Log10(N) value
// draws from a generator seeded with ReplicateSeed(seed, v, r), never from the state the
// previous replicate left, so replicates are independent and any one of them can be rerun
// (or run on another machine) alone.
#pragma once

#include <cstdint>

#include "quorvel/model/uniform_generator.h"

namespace quorvel {

// The seed of replicate `replicate` of the `valueIndex`-th Log10(N) value (both from 0):
// the three numbers absorbed in turn through the SplitMix64 mixer. For fixed other
// arguments each argument maps one to one onto the result, so no two replicates of a
// command share a seed.
uint64_t ReplicateSeed(uint64_t seed, uint64_t valueIndex, uint64_t replicate);

// The generator of that replicate.
inline UniformGenerator ReplicateGenerator(uint64_t seed, uint64_t valueIndex, uint64_t replicate) {
  return UniformGenerator::FromSeed(ReplicateSeed(seed, valueIndex, replicate));
}

// A seed from the operating system's entropy source, for a command given none.
uint64_t SeedFromEntropy();

// A 64-bit seed read off a generator's state (for a seed taken from a clock-mixed
// generator).
uint64_t SeedFromState(const UniformGenerator& generator);

}  // namespace quorvel
