// Small plate meshes for the results tests, built straight into the model store.
#pragma once

#include <vector>

#include "element/geometry_tables.hpp"
#include "model/model_store.hpp"

namespace lajefem::test {

// A grid of (xs.size() − 1) × (ys.size() − 1) elements of type 1. Node i + 1 + j·xs.size() sits at
// (xs[i], ys[j]); elements run row by row, corners anticlockwise from the lower left.
inline void make_grid_mesh(ModelStore& store, const std::vector<float>& xs,
                           const std::vector<float>& ys) {
  const int columns = static_cast<int>(xs.size());
  const int rows = static_cast<int>(ys.size());
  store.node_count = columns * rows;
  store.equation_count = 3 * store.node_count;
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < columns; ++i) {
      store.node_coord(i + 1 + j * columns, 1) = xs[i];
      store.node_coord(i + 1 + j * columns, 2) = ys[j];
    }
  }
  store.element_count = 0;
  for (int j = 0; j + 1 < rows; ++j) {
    for (int i = 0; i + 1 < columns; ++i) {
      const int e = ++store.element_count;
      const int lower_left = i + 1 + j * columns;
      store.element_type(e) = 1;
      store.element_nodes(e, 1) = lower_left;
      store.element_nodes(e, 2) = lower_left + 1;
      store.element_nodes(e, 3) = lower_left + 1 + columns;
      store.element_nodes(e, 4) = lower_left + columns;
    }
  }
}

// Corner tables and shape-function tables, as the run prepares them before the element loop.
inline void prepare_element_geometry(ModelStore& store) {
  gather_element_coordinates(store);
  build_sampling_tables(store);
}

}  // namespace lajefem::test
