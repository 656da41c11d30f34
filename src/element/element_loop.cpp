#include "element/element_loop.hpp"

#include <cmath>

#include "element/plate_element.hpp"
#include "element/point_jacobian.hpp"
#include "model/scratch_records.hpp"

namespace lajefem {

namespace {

constexpr int plate_element_type = 1;

AnalysisStop element_stop(AnalysisStop::Kind kind, int e) {
  AnalysisStop stop;
  stop.kind = kind;
  stop.element = e;
  return stop;
}

// Corners listed clockwise, or a degenerate element, would enter the stiffness with a negative
// or non-finite determinant: the run stops before such an element is formed.
bool has_valid_geometry(const ModelStore& store, const CornerValues& x, const CornerValues& y) {
  return has_valid_geometry(sampling_tables_of(store), x, y);
}

void element_corners(const ModelStore& store, int e, CornerValues& x, CornerValues& y) {
  for (int a = 1; a <= corners; ++a) {
    x(a) = store.element_x(e, a);
    y(a) = store.element_y(e, a);
  }
}

// Adds element e's stiffness into the upper triangle (row ≤ column) of global_stiffness.
void assemble_element(ModelStore& store, int e) {
  const ElementEquations equations = element_equations(corner_nodes(store, e));
  for (int r = 1; r <= element_dofs; ++r) {
    const int i = equations[r - 1];
    for (int c = 1; c <= element_dofs; ++c) {
      const int j = equations[c - 1];
      if (i <= j)
        store.global_stiffness(i, j) += store.element_stiffness(r, c);
    }
  }
}

void mirror_lower_triangle(ModelStore& store) {
  for (int i = 2; i <= store.equation_count; ++i) {
    for (int j = 1; j <= i - 1; ++j)
      store.global_stiffness(i, j) = store.global_stiffness(j, i);
  }
}

}  // namespace

bool element_has_valid_geometry(const ModelStore& store, int e) {
  CornerValues x;
  CornerValues y;
  element_corners(store, e, x, y);
  return has_valid_geometry(store, x, y);
}

std::optional<AnalysisStop> assemble_global_stiffness(ModelStore& store, std::ostream& scratch,
                                                      ElementListener& listener) {
  store.global_stiffness.fill(0.0);
  for (int e = 1; e <= store.element_count; ++e) {
    if (store.element_type(e) != plate_element_type) {
      return element_stop(AnalysisStop::Kind::unknown_element_type, e);
    }
    CornerValues x;
    CornerValues y;
    element_corners(store, e, x, y);
    if (!has_valid_geometry(store, x, y)) {
      return element_stop(AnalysisStop::Kind::invalid_geometry, e);
    }
    form_material_matrices(store);
    plate_element_matrices(store, x, y);
    write_scratch_record(scratch, store.element_stress_matrix.data(),
                         store.element_stress_matrix.size);
    listener.element_formed(store, e);
    assemble_element(store, e);
  }
  mirror_lower_triangle(store);
  return std::nullopt;
}

}  // namespace lajefem
