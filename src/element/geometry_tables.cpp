#include "element/geometry_tables.hpp"

#include "element/sampling_tables.hpp"

namespace lajefem {

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
  const SamplingTables& tables = sampling_tables();
  store.shape_n = tables.n;
  store.shape_dxi = tables.dxi;
  store.shape_deta = tables.deta;
}

}  // namespace lajefem
