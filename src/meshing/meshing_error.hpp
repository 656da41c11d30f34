// How the meshing library reports an input it cannot use (a mesh file it cannot read, a model
// beyond the program's limits, a numbering that cannot fit): one sentence that says what is wrong
// and what to do. The commands turn it into their error line.
#pragma once

#include <stdexcept>
#include <string>

#include "text/visible_bytes.hpp"

namespace lajefem::meshing {

// Bytes of the file quoted in the sentence are shown, a NUL byte included (see visible_bytes).
struct MeshingError : std::runtime_error {
  explicit MeshingError(const std::string& what) : std::runtime_error(visible_bytes(what)) {}
};

}  // namespace lajefem::meshing
