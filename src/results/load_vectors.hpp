// The right-hand sides of every load case: nodal loads and distributed loads over the plate.
#pragma once

#include <optional>

#include "model/analysis_stop.hpp"
#include "model/model_store.hpp"

namespace lajefem {

// Adds every load of every case into load_vectors (zeroed by the caller). Stops at the first
// load of an unknown type (an empty slot included).
std::optional<AnalysisStop> form_load_vectors(ModelStore& store);

}  // namespace lajefem
