// The float64 power function. The models distinguish a product (a·a) from a power (a²):
// the compiler turns pow(a, 2.0) into a·a, which rounds differently from the library's
// power for some arguments, so every power of the models goes through here.
#pragma once

namespace common {

double Power(double base, double exponent);

// Power(x, 2), bit for bit, at the cost of a product for most arguments.
double Square(double x);

}  // namespace common
