// The right-hand sides of every load case: nodal loads and distributed loads over the plate.
#pragma once

#include <optional>

#include "element/sampling_tables.hpp"
#include "model/analysis_stop.hpp"
#include "model/model_store.hpp"

namespace lajefem {

// The consistent-load integrals of one element, at element freedom 3(k − 1) + d of corner k:
// ∫Nk (w), ∫∂Nk/∂x (θx), ∫∂Nk/∂y (θy) over the element, by the 2 × 2 Gauss rule. A distributed
// load (q1, q2, q3) puts q1·∫Nk, q2·∫∂Nk/∂x, q3·∫∂Nk/∂y on the corner's node.
using LoadIntegrals = Array<double, element_dofs>;
LoadIntegrals element_load_integrals(const SamplingTables& tables, const CornerValues& x,
                                     const CornerValues& y);

// Adds every load of every case into load_vectors (zeroed by the caller). Stops at the first
// load of an unknown type (an empty slot included).
std::optional<AnalysisStop> form_load_vectors(ModelStore& store);

}  // namespace lajefem
