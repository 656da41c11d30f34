#include "model/store_destination.hpp"

#include "model/material_rule.hpp"

namespace lajefem {

void StoreDestination::take_material(float elastic_modulus_gpa, float poisson_ratio,
                                     float thickness) {
  store_.elastic_modulus = held_modulus(elastic_modulus_gpa);
  store_.poisson_ratio = poisson_ratio;
  store_.thickness = thickness;
}

void StoreDestination::take_counts(int nodes, int elements, int supports) {
  store_.node_count = nodes;
  store_.element_count = elements;
  store_.support_count = supports;
}

void StoreDestination::take_node(int node, const PlateNode& values) {
  store_.node_coord(node, 1) = values.x;
  store_.node_coord(node, 2) = values.y;
}

void StoreDestination::take_element(int element, const PlateElement& values) {
  store_.element_type(element) = values.type;
  for (int corner = 1; corner <= corners; ++corner) {
    store_.element_nodes(element, corner) = values.nodes[corner - 1];
  }
}

void StoreDestination::take_support(int support, const PlateSupport& values) {
  store_.support_data(support, 1) = static_cast<float>(values.node);
  store_.support_data(support, 2) = values.spring_w;
  store_.support_data(support, 3) = values.spring_theta_x;
  store_.support_data(support, 4) = values.spring_theta_y;
}

PlateLoad StoreDestination::load_slot(int load_case, int load) const {
  PlateLoad slot;
  slot.type = store_.load_info(load, 1, load_case);
  slot.node = store_.load_info(load, 2, load_case);
  for (int value = 1; value <= values_per_load; ++value) {
    slot.values[value - 1] = store_.load_values(load, value, load_case);
  }
  return slot;
}

void StoreDestination::take_load(int load_case, int load, const PlateLoad& values) {
  store_.load_info(load, 1, load_case) = values.type;
  store_.load_info(load, 2, load_case) = values.node;
  for (int value = 1; value <= values_per_load; ++value) {
    store_.load_values(load, value, load_case) = values.values[value - 1];
  }
}

}  // namespace lajefem
