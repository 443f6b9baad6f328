// The float64 power function. The models distinguish a product (a·a) from a power (a²):
// the compiler turns pow(a, 2.0) into a·a, which rounds differently from the library's
// power for some arguments, so every power of the models goes through here.
#pragma once

#include <bit>
#include <cstdint>

namespace common {

double Power(double base, double exponent);

// Power(x, 2), bit for bit, at the cost of a product for most arguments. Of internal
// linkage, so that each source (the vector kernels among them) has its own copy, built for
// its own instruction set.
static inline double Square(double x) {
#if defined(__GLIBC__)
  // The GNU library's power is within 0.54 ULP of the exact result. Where the exact square
  // lies within 0.4 ULP of the rounded product, every other double is more than 0.6 ULP
  // away, out of the power's reach: the power returns the product. The product's rounding
  // error is found exactly by splitting x into halves of 26 bits (Dekker), so no fused
  // multiply-add is needed.
  const double product = x * x;
  const uint64_t bits = std::bit_cast<uint64_t>(product);
  const uint64_t exponent = bits >> 52;
  constexpr uint64_t kMantissa = (uint64_t{1} << 52) - 1;
  // Far from underflow and overflow, where the splitting is exact; not a power of two,
  // whose lower neighbour is only half an ULP away.
  if (exponent > 123 && exponent < 1923 && (bits & kMantissa) != 0) {
    const double split = 134217729.0 * x;  // 2^27 + 1
    const double high = split - (split - x);
    const double low = x - high;
    const double error = ((high * high - product) + 2 * high * low) + low * low;
    const double ulp = std::bit_cast<double>((exponent - 52) << 52);
    if ((error < 0 ? -error : error) < 0.4 * ulp) return product;
  }
#endif
  return Power(x, 2.0);
}

}  // namespace common
