// Element corner coordinates and the shape-function tables at the four Gauss points and the
// element centre.
#pragma once

#include "model/model_store.hpp"

namespace lajefem {

// element_x(e, a), element_y(e, a) = coordinates of corner a's node, for e = 1..element_count.
void gather_element_coordinates(ModelStore& store);

// shape_n, shape_dxi, shape_deta at points 1..4 = (∓g, ∓g), g = 1/√3, and point 5 = centre.
void build_sampling_tables(ModelStore& store);

}  // namespace lajefem
