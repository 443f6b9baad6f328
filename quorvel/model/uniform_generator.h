// The program's one source of random numbers: uniform in [0, 1) in single precision.
// It is xoshiro128** (Blackman and Vigna), whose output is cut to its top 24 bits so
// that every value is an exact float below 1. Every program start begins from the same
// fixed state, so a program that is never reseeded repeats its sequence.
#pragma once

#include <array>
#include <cstdint>

namespace quorvel {

// One step of SplitMix64 (Vigna): advances x and returns a well-mixed 64-bit value.
inline uint64_t SplitMix64(uint64_t& x) {
  uint64_t z = (x += 0x9e3779b97f4a7c15ull);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

// One advance of the xoshiro128** state (s0 to s3), returning the state word the next
// number is made from. A template, so that the vector kernels, which draw ahead while
// they compute, each instantiate a copy of their own for their instruction set (their
// lane type as `Isa`).
template <class Isa = void>
inline uint32_t XoshiroStep(uint32_t& s0, uint32_t& s1, uint32_t& s2, uint32_t& s3) {
  const uint32_t word = s1;
  const uint32_t t = s1 << 9;
  s2 ^= s0;
  s3 ^= s1;
  s1 ^= s2;
  s0 ^= s3;
  s2 ^= t;
  s3 = (s3 << 11) | (s3 >> 21);
  return word;
}

class UniformGenerator {
 public:
  using State = std::array<uint32_t, 4>;

  UniformGenerator() = default;
  // A generator in a chosen state (which must not be all zeros).
  explicit UniformGenerator(const State& state) : state_(state) {}

  // The next number, uniform in [0, 1): one of the 2^24 multiples of 2^-24.
  float Next() { return Uniform(NextWord()); }

  // The same draw in two halves, so that the serial part (the state's advance) can run
  // alone and the scrambling be done later on many draws at once: the state word the
  // number is made from, then the number a word stands for.
  uint32_t NextWord() { return XoshiroStep(state_[0], state_[1], state_[2], state_[3]); }
  static constexpr float Uniform(uint32_t word) {
    return static_cast<float>((Rotl(word * 5u, 7) * 9u) >> 8) * (1.0f / 16777216.0f);
  }

  // Mixes the time of day into the current state. The clock value is added to what the
  // generator holds rather than replacing it, so two reseeds within the same clock tick
  // still lead to different sequences.
  void Reseed(float secondsSinceMidnight);

  // Back to the start-up state.
  void Restart() { state_ = kStartState; }

  // A state that depends on the 64-bit seed alone: four words of the SplitMix64 sequence
  // from it, the standard way to fill a xoshiro state from one number.
  void Seed(uint64_t seed);
  static UniformGenerator FromSeed(uint64_t seed) {
    UniformGenerator generator;
    generator.Seed(seed);
    return generator;
  }

  const State& CurrentState() const { return state_; }
  friend bool operator==(const UniformGenerator&, const UniformGenerator&) = default;

 private:
  static constexpr uint32_t Rotl(uint32_t x, int k) { return (x << k) | (x >> (32 - k)); }

  // Any state but all zeros works; these are the first outputs of SplitMix64 from 0.
  static constexpr State kStartState = {0xe220a839u, 0x7b1dcdafu, 0x6e789e6au, 0xe5b9c28fu};
  State state_ = kStartState;
};

}  // namespace quorvel
