// Plate meshes for the results tests: the shared store grid and the element geometry on it.
#pragma once

#include "element/geometry_tables.hpp"
#include "model/model_store.hpp"
#include "tests/common/plate_grid.hpp"

namespace lajefem::test {

// Corner tables and shape-function tables, as the run prepares them before the element loop.
inline void prepare_element_geometry(ModelStore& store) {
  gather_element_coordinates(store);
  build_sampling_tables(store);
}

}  // namespace lajefem::test
