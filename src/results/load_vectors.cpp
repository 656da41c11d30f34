#include "results/load_vectors.hpp"

#include <ostream>

#include "element/plate_element.hpp"
#include "model/run_stop.hpp"
#include "text/text_fields.hpp"

namespace lajefem {

namespace {

constexpr int nodal_load = 1;
constexpr int distributed_load = 2;

// Both weights of the 2 × 2 Gauss rule.
constexpr double gauss_weight = 1.0;

// A nodal load: force on w, moments on θx and θy of its node.
void add_nodal_load(ModelStore& store, int i, int c) {
  const int n = store.load_info(i, 2, c);
  for (int d = 1; d <= freedoms_per_node; ++d) {
    store.load_vectors(node_equation(n, d), c) += store.load_values(i, d, c);
  }
}

// Σ_g of one shape-function quantity times det J over the four Gauss points of the element whose
// geometry was formed last.
template <typename Quantity>
double integrate_over_element(const ModelStore& store, int k, const Quantity& quantity) {
  double sum = 0.0;
  for (int g = 1; g <= 4; ++g) {
    sum += gauss_weight * (quantity(g, k) * store.point_jacobian(g)) * gauss_weight;
  }
  return sum;
}

// The consistent nodal loads of element e under (q1, q2, q3), integrated with the element's own
// Gauss-point geometry, added at its corner nodes.
void add_element_load(ModelStore& store, int e, float q1, float q2, float q3, int c) {
  CornerValues x;
  CornerValues y;
  for (int k = 1; k <= 4; ++k) {
    x(k) = store.element_x(e, k);
    y(k) = store.element_y(e, k);
  }
  form_gauss_point_geometry(store, x, y);

  Array<double, element_dofs> r;
  for (int k = 1; k <= 4; ++k) {
    r(element_freedom(k, freedom_w)) = q1 * integrate_over_element(store, k, store.shape_n);
    r(element_freedom(k, freedom_theta_x)) =
        q2 * integrate_over_element(store, k, store.point_dndx);
    r(element_freedom(k, freedom_theta_y)) =
        q3 * integrate_over_element(store, k, store.point_dndy);
  }
  const ElementEquations equations = element_equations(corner_nodes(store, e));
  for (int i = 1; i <= element_dofs; ++i) {
    store.load_vectors(equations[i - 1], c) += r(i);
  }
}

// A distributed load acts on every element of the plate; field 2 of the load is not used.
void add_distributed_load(ModelStore& store, int i, int c) {
  const float q1 = store.load_values(i, 1, c);
  const float q2 = store.load_values(i, 2, c);
  const float q3 = store.load_values(i, 3, c);
  for (int e = 1; e <= store.element_count; ++e) {
    add_element_load(store, e, q1, q2, q3, c);
  }
}

}  // namespace

void form_load_vectors(ModelStore& store, std::ostream& console) {
  for (int c = 1; c <= store.load_case_count; ++c) {
    for (int i = 1; i <= store.loads_per_case(c); ++i) {
      const int type = store.load_info(i, 1, c);
      if (type == nodal_load) {
        add_nodal_load(store, i, c);
      } else if (type == distributed_load) {
        add_distributed_load(store, i, c);
      } else {
        console << "Erro: Tipo de carga desconhecido"_l1 << '\n';
        throw RunStop();
      }
    }
  }
}

}  // namespace lajefem
