#include "results/element_results.hpp"

#include <istream>

#include "model/scratch_records.hpp"

namespace lajefem {

namespace {

using ElementDisplacements = Array<double, element_dofs, max_load_cases>;  // (element dof, case)

// u(i, c) = the displacement of element freedom i in case c.
void gather_element_displacements(const ModelStore& store, int e, ElementDisplacements& u) {
  const ElementEquations equations = element_equations(corner_nodes(store, e));
  for (int i = 1; i <= element_dofs; ++i) {
    for (int c = 1; c <= store.load_case_count; ++c) {
      u(i, c) = store.load_vectors(equations[i - 1], c);
    }
  }
}

void compute_stress_resultants(ModelStore& store, int e, const ElementDisplacements& u) {
  for (int c = 1; c <= store.load_case_count; ++c) {
    ElementFreedomValues case_u;
    for (int j = 1; j <= element_dofs; ++j) {
      case_u(j) = u(j, c);
    }
    const StressResultants resultants = stress_resultants(store.element_stress_matrix, case_u);
    for (int r = 1; r <= stress_rows; ++r) {
      store.element_results(e, r, c) = resultants(r);
    }
  }
}

// The corner displacements as the report shows them: w in mm, rotations in rad.
void copy_corner_displacements(ModelStore& store, int e, const ElementDisplacements& u) {
  for (int c = 1; c <= store.load_case_count; ++c) {
    for (int k = 1; k <= corners; ++k) {
      const int w = element_freedom(k, freedom_w);
      const int theta_x = element_freedom(k, freedom_theta_x);
      const int theta_y = element_freedom(k, freedom_theta_y);
      store.element_displacements(e, w, c) = static_cast<float>(u(w, c)) * 1000.0f;
      store.element_displacements(e, theta_x, c) = static_cast<float>(u(theta_x, c));
      store.element_displacements(e, theta_y, c) = static_cast<float>(u(theta_y, c));
    }
  }
}

}  // namespace

StressResultants stress_resultants(const StressMatrix& stress_matrix,
                                   const ElementFreedomValues& u) {
  StressResultants resultants;
  for (int r = 1; r <= stress_rows; ++r) {
    double s = 0.0;
    for (int j = 1; j <= element_dofs; ++j) {
      s += stress_matrix(r, j) * u(j);
    }
    resultants(r) = static_cast<float>(s);
  }
  return resultants;
}

void compute_element_results(ModelStore& store, std::iostream& scratch) {
  rewind_scratch(scratch);
  ElementDisplacements u;
  for (int e = 1; e <= store.element_count; ++e) {
    gather_element_displacements(store, e, u);
    read_scratch_record(scratch, store.element_stress_matrix.data(),
                        store.element_stress_matrix.size);
    compute_stress_resultants(store, e, u);
    copy_corner_displacements(store, e, u);
  }
}

}  // namespace lajefem
