// How the meshing library reports an input it cannot use (a mesh file it cannot read, a model
// beyond the program's limits, a numbering that cannot fit): one sentence that says what is wrong
// and what to do. The commands turn it into their error line.
#pragma once

#include <stdexcept>

namespace lajefem::meshing {

struct MeshingError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace lajefem::meshing
