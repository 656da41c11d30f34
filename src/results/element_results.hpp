// Stress resultants at the Gauss points and corner displacements of every element.
#pragma once

#include <iosfwd>

#include "model/model_store.hpp"

namespace lajefem {

// Rewinds the results scratch file and streams back the element stress matrices, one per element
// (ScratchFileError when they cannot be read back).
void compute_element_results(ModelStore& store, std::iostream& scratch);

}  // namespace lajefem
