// Helpers shared by the element tests: a store with the sampling tables built and a material,
// one element formed from its corners, and the work of a displacement pattern.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "element/geometry_tables.hpp"
#include "element/plate_element.hpp"
#include "model/model_store.hpp"

namespace lajefem::test {

using Freedoms = std::array<double, element_dofs>;
using Corners = std::array<std::array<double, 2>, corners>;

inline std::unique_ptr<ModelStore> make_element_store(float e = 30.0e6f, float nu = 0.2f,
                                                      float t = 0.2f) {
  auto store = make_model_store();
  store->elastic_modulus = e;
  store->poisson_ratio = nu;
  store->thickness = t;
  build_sampling_tables(*store);
  form_material_matrices(*store);
  return store;
}

inline CornerValues corner_x(const Corners& c) {
  CornerValues x;
  for (int a = 1; a <= corners; ++a)
    x(a) = c[a - 1][0];
  return x;
}

inline CornerValues corner_y(const Corners& c) {
  CornerValues y;
  for (int a = 1; a <= corners; ++a)
    y(a) = c[a - 1][1];
  return y;
}

// Forms the element's matrices in the store.
inline void form_element(ModelStore& store, const Corners& c) {
  plate_element_matrices(store, corner_x(c), corner_y(c));
}

inline double largest_stiffness(const ModelStore& store) {
  double largest = 0.0;
  for (int i = 1; i <= element_dofs; ++i) {
    for (int j = 1; j <= element_dofs; ++j) {
      largest = std::max(largest, std::fabs(store.element_stiffness(i, j)));
    }
  }
  return largest;
}

// Largest |(K·u)(i)|.
inline double largest_force(const ModelStore& store, const Freedoms& u) {
  double largest = 0.0;
  for (int i = 1; i <= element_dofs; ++i) {
    double force = 0.0;
    for (int j = 1; j <= element_dofs; ++j)
      force += store.element_stiffness(i, j) * u[j - 1];
    largest = std::max(largest, std::fabs(force));
  }
  return largest;
}

// (S·u)(row) for the stress-recovery matrix.
inline double stress_resultant(const ModelStore& store, int row, const Freedoms& u) {
  double value = 0.0;
  for (int c = 1; c <= element_dofs; ++c)
    value += store.element_stress_matrix(row, c) * u[c - 1];
  return value;
}

}  // namespace lajefem::test
