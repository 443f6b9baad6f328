#include "common/power.h"

#include <cmath>

namespace common {

// Defined apart from its callers, so that a constant exponent at a call site never lets
// the compiler replace the library's power by a product.
double Power(double base, double exponent) {
  return std::pow(base, exponent);
}

}  // namespace common
