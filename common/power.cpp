#include "common/power.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace common {

// Defined apart from its callers, so that a constant exponent at a call site never lets
// the compiler replace the library's power by a product.
double Power(double base, double exponent) {
  return std::pow(base, exponent);
}

double Square(double x) {
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
    if (std::fabs(error) < 0.4 * ulp) return product;
  }
#endif
  // An exponent the compiler cannot see, which it would otherwise turn into the product.
  volatile double two = 2.0;
  return std::pow(x, two);
}

}  // namespace common
