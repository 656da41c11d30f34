// Stress resultants at the Gauss points and corner displacements of every element.
#pragma once

#include <iosfwd>

#include "model/model_store.hpp"

namespace lajefem {

using StressMatrix = Array<double, stress_rows, element_dofs>;  // row 5(p − 1) + resultant
using ElementFreedomValues = Array<double, element_dofs>;       // w, θx, θy corner by corner
using StressResultants = Array<float, stress_rows>;             // row 5(p − 1) + resultant

// Mx, My, Mxy at each Gauss point p in rows 5(p − 1) + 1..3, and Qx, Qy of the centre in rows 4
// and 5 (the first point's slot), from one element's displacements: S · u, rounded to single
// precision as the report holds them.
StressResultants stress_resultants(const StressMatrix& stress_matrix,
                                   const ElementFreedomValues& u);

// Rewinds the results scratch file and streams back the element stress matrices, one per element
// (ScratchFileError when they cannot be read back).
void compute_element_results(ModelStore& store, std::iostream& scratch);

}  // namespace lajefem
