// The portable kernels: one deme (or one amount) at a time, for any processor.
#include "common/power.h"
#include "quorvel/model/genotype_tables.h"
#include "quorvel/model/lane_kernels.h"
#include "quorvel/model/uniform_generator.h"

namespace quorvel::lanes {
namespace portable {

#include "quorvel/model/lane_scalar.inc"
using Lanes = Scalar;
#include "quorvel/model/lane_operators.inc"

}  // namespace portable

const Kernels& PortableKernels() {
  return portable::kKernels;
}

}  // namespace quorvel::lanes
