// The element loop: every element's matrices, its stress-recovery record on the results scratch
// file and in the log, and the assembly of the full global stiffness.
#pragma once

#include <iosfwd>

#include "model/model_store.hpp"

namespace lajefem {

// Stops the run (RunStop, after its console line) on an unknown element type or on an element
// whose Jacobian determinant is not positive at a Gauss point or at the centre.
void assemble_global_stiffness(ModelStore& store, std::ostream& console, std::ostream& log,
                               std::ostream& scratch);

}  // namespace lajefem
