#include "quorvel/model/model_impl.h"

namespace quorvel {

template class BasicModel<UniformGenerator>;

}  // namespace quorvel
