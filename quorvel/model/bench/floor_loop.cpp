// The floor loop of the generation benchmark, compiled on its own so that its code (and
// so its speed) does not move with changes to the model compiled beside the benchmark.
#include <cmath>

#include "quorvel/model/uniform_generator.h"

namespace quorvel {

// `draws` generator draws and `roots` square roots with their floors, every result
// consumed: the unavoidable sampling arithmetic of one generation.
double FloorWork(UniformGenerator& gen, long draws, long roots, double x) {
  double acc = 0;
  for (long i = 0; i < draws; ++i) acc += gen.Next();
  for (long i = 0; i < roots; ++i) {
    const double m = x * 1e6 + static_cast<double>(i);
    acc += std::floor(m + std::sqrt(m * (1 - x)));
  }
  return acc;
}

}  // namespace quorvel
