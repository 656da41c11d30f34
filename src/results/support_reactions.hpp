// Support reactions: the spring-free stiffness times the displacements, minus the applied loads.
#pragma once

#include <iosfwd>

#include "model/model_store.hpp"

namespace lajefem {

// Reads the element-only stiffness (into global_stiffness) and the applied loads, the two records
// that follow the element records on the results scratch file (ScratchFileError when they cannot
// be read back), and fills support_reactions.
void compute_support_reactions(ModelStore& store, std::istream& scratch);

}  // namespace lajefem
