#include "results/load_vectors.hpp"

#include <vector>

#include "element/plate_element.hpp"
#include "model/group_size.hpp"

namespace lajefem {

namespace {

constexpr int nodal_load = 1;
constexpr int distributed_load = 2;

// Both weights of the 2 × 2 Gauss rule.
constexpr double gauss_weight = 1.0;

// The consistent-load integrals of one element, at element freedom 3(k − 1) + d of corner k:
// ∫Nk (w), ∫∂Nk/∂x (θx), ∫∂Nk/∂y (θy) over the element. A distributed load (q1, q2, q3) puts
// q1·∫Nk, q2·∫∂Nk/∂x, q3·∫∂Nk/∂y on the corner's node.
using LoadIntegrals = Array<double, element_dofs>;

// A nodal load: force on w, moments on θx and θy of its node.
void add_nodal_load(ModelStore& store, int i, int c) {
  const int n = store.load_info(i, 2, c);
  for (int d = 1; d <= freedoms_per_node; ++d) {
    store.load_vectors(node_equation(n, d), c) += store.load_values(i, d, c);
  }
}

// Σ_g of one shape-function quantity of corner k times det J over the four Gauss points.
template <typename Quantity>
double integrate_over_element(const GaussPointGeometry& geometry, int k, const Quantity& quantity) {
  double sum = 0.0;
  for (int g = 1; g <= gauss_points; ++g) {
    sum += gauss_weight * (quantity(g, k) * geometry.jacobian(g)) * gauss_weight;
  }
  return sum;
}

// From element e's own Gauss-point geometry.
LoadIntegrals element_load_integrals(const ModelStore& store, int e) {
  CornerValues x;
  CornerValues y;
  for (int k = 1; k <= corners; ++k) {
    x(k) = store.element_x(e, k);
    y(k) = store.element_y(e, k);
  }
  const GaussPointGeometry geometry = gauss_point_geometry(store, x, y);
  LoadIntegrals integrals;
  for (int k = 1; k <= corners; ++k) {
    integrals(element_freedom(k, freedom_w)) = integrate_over_element(geometry, k, store.shape_n);
    integrals(element_freedom(k, freedom_theta_x)) =
        integrate_over_element(geometry, k, geometry.dndx);
    integrals(element_freedom(k, freedom_theta_y)) =
        integrate_over_element(geometry, k, geometry.dndy);
  }
  return integrals;
}

// Every element's integrals, formed once for all the distributed loads of the run.
std::vector<LoadIntegrals> all_load_integrals(const ModelStore& store) {
  std::vector<LoadIntegrals> integrals;
  integrals.reserve(static_cast<std::size_t>(group_size(store.element_count)));
  for (int e = 1; e <= store.element_count; ++e) {
    integrals.push_back(element_load_integrals(store, e));
  }
  return integrals;
}

// A distributed load acts on every element of the plate; field 2 of the load is not used.
void add_distributed_load(ModelStore& store, const std::vector<LoadIntegrals>& integrals, int i,
                          int c) {
  const float q1 = store.load_values(i, 1, c);
  const float q2 = store.load_values(i, 2, c);
  const float q3 = store.load_values(i, 3, c);
  for (int e = 1; e <= store.element_count; ++e) {
    const LoadIntegrals& element = integrals[static_cast<std::size_t>(e - 1)];
    const ElementEquations equations = element_equations(corner_nodes(store, e));
    for (int k = 1; k <= corners; ++k) {
      const int w = element_freedom(k, freedom_w);
      const int theta_x = element_freedom(k, freedom_theta_x);
      const int theta_y = element_freedom(k, freedom_theta_y);
      store.load_vectors(equations[w - 1], c) += q1 * element(w);
      store.load_vectors(equations[theta_x - 1], c) += q2 * element(theta_x);
      store.load_vectors(equations[theta_y - 1], c) += q3 * element(theta_y);
    }
  }
}

AnalysisStop unknown_load_stop(int load_case, int load) {
  AnalysisStop stop;
  stop.kind = AnalysisStop::Kind::unknown_load_type;
  stop.load_case = load_case;
  stop.load = load;
  return stop;
}

}  // namespace

std::optional<AnalysisStop> form_load_vectors(ModelStore& store) {
  const std::vector<LoadIntegrals> integrals = all_load_integrals(store);
  for (int c = 1; c <= store.load_case_count; ++c) {
    for (int i = 1; i <= store.loads_per_case(c); ++i) {
      const int type = store.load_info(i, 1, c);
      if (type == nodal_load) {
        add_nodal_load(store, i, c);
      } else if (type == distributed_load) {
        add_distributed_load(store, integrals, i, c);
      } else {
        return unknown_load_stop(c, i);
      }
    }
  }
  return std::nullopt;
}

}  // namespace lajefem
