#include "results/element_results.hpp"

#include <iostream>

#include "model/scratch_records.hpp"

namespace lajefem {

namespace {

using ElementDisplacements = Array<double, element_dofs, max_load_cases>;  // (element dof, case)

// u(3(k−1)+d, c) = the displacement of degree d of corner k's node in case c.
void gather_element_displacements(const ModelStore& store, int e, ElementDisplacements& u) {
  for (int k = 1; k <= 4; ++k) {
    const int n = store.element_nodes(e, k);
    for (int d = 1; d <= 3; ++d) {
      for (int c = 1; c <= store.load_case_count; ++c) {
        u(3 * (k - 1) + d, c) = store.load_vectors(3 * (n - 1) + d, c);
      }
    }
  }
}

// Mx, My, Mxy at each Gauss point and Qx, Qy of the centre (in the first point's slot).
void compute_stress_resultants(ModelStore& store, int e, const ElementDisplacements& u) {
  for (int c = 1; c <= store.load_case_count; ++c) {
    for (int r = 1; r <= stress_rows; ++r) {
      double s = 0.0;
      for (int j = 1; j <= element_dofs; ++j) {
        s += store.element_stress_matrix(r, j) * u(j, c);
      }
      store.element_results(e, r, c) = static_cast<float>(s);
    }
  }
}

// The corner displacements as the report shows them: w in mm, rotations in rad.
void copy_corner_displacements(ModelStore& store, int e, const ElementDisplacements& u) {
  for (int c = 1; c <= store.load_case_count; ++c) {
    for (int k = 1; k <= 4; ++k) {
      const int w = 3 * (k - 1) + 1;
      store.element_displacements(e, w, c) = static_cast<float>(u(w, c)) * 1000.0f;
      store.element_displacements(e, w + 1, c) = static_cast<float>(u(w + 1, c));
      store.element_displacements(e, w + 2, c) = static_cast<float>(u(w + 2, c));
    }
  }
}

}  // namespace

void compute_element_results(ModelStore& store, std::iostream& scratch, std::ostream& console) {
  rewind_scratch(scratch);
  ElementDisplacements u;
  for (int e = 1; e <= store.element_count; ++e) {
    gather_element_displacements(store, e, u);
    read_scratch_record(scratch, store.element_stress_matrix.data(),
                        store.element_stress_matrix.size, console);
    compute_stress_resultants(store, e, u);
    copy_corner_displacements(store, e, u);
  }
}

}  // namespace lajefem
