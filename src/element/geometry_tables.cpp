#include "element/geometry_tables.hpp"

#include <cmath>

namespace lajefem {

namespace {

// The bilinear functions and their natural derivatives at one sampling point (xi, eta), corners
// in the order (−1, −1), (+1, −1), (+1, +1), (−1, +1).
void fill_sampling_point(ModelStore& store, int point, double xi, double eta) {
  store.shape_n(point, 1) = 0.25 * (1.0 - xi) * (1.0 - eta);
  store.shape_n(point, 2) = 0.25 * (1.0 + xi) * (1.0 - eta);
  store.shape_n(point, 3) = 0.25 * (1.0 + xi) * (1.0 + eta);
  store.shape_n(point, 4) = 0.25 * (1.0 - xi) * (1.0 + eta);

  store.shape_dxi(point, 1) = 0.25 * eta - 0.25;
  store.shape_dxi(point, 2) = 0.25 - 0.25 * eta;
  store.shape_dxi(point, 3) = 0.25 + 0.25 * eta;
  store.shape_dxi(point, 4) = -0.25 - 0.25 * eta;

  store.shape_deta(point, 1) = 0.25 * xi - 0.25;
  store.shape_deta(point, 2) = -0.25 - 0.25 * xi;
  store.shape_deta(point, 3) = 0.25 + 0.25 * xi;
  store.shape_deta(point, 4) = 0.25 - 0.25 * xi;
}

}  // namespace

void gather_element_coordinates(ModelStore& store) {
  for (int e = 1; e <= store.element_count; ++e) {
    for (int a = 1; a <= corners; ++a) {
      const int node = store.element_nodes(e, a);
      store.element_x(e, a) = store.node_coord(node, 1);
      store.element_y(e, a) = store.node_coord(node, 2);
    }
  }
}

void build_sampling_tables(ModelStore& store) {
  const double g = 1.0 / std::sqrt(3.0);
  fill_sampling_point(store, 1, -g, -g);
  fill_sampling_point(store, 2, +g, -g);
  fill_sampling_point(store, 3, +g, +g);
  fill_sampling_point(store, 4, -g, +g);
  fill_sampling_point(store, 5, 0.0, 0.0);
}

}  // namespace lajefem
