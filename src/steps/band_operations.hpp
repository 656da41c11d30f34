// The driver's own small computations between the steps: the half-bandwidth that the node
// numbering implies, the support springs, the local-mechanism check and the banded copy.
#pragma once

#include "model/model_store.hpp"

namespace lajefem {

// half_bandwidth = the largest spread of an element's equations (see equation_spread).
void compute_half_bandwidth(ModelStore& store);

// Adds each support's springs (GN/m × 1e6) to the diagonal of global_stiffness.
void add_support_springs(ModelStore& store);

// The first equation whose diagonal stiffness is below 0.1 (or not a number), 0 when none.
int find_local_mechanism(const ModelStore& store);

// band_stiffness(i, m) = global_stiffness(i, i + m − 1), for the rows and diagonals in use.
void copy_upper_band(ModelStore& store);

}  // namespace lajefem
