#include "steps/band_operations.hpp"

#include <algorithm>

namespace lajefem {

void compute_half_bandwidth(ModelStore& store) {
  int widest = freedoms_per_node;  // a node's own equations, even without elements
  for (int e = 1; e <= store.element_count; ++e) {
    widest = std::max(widest, equation_spread(corner_nodes(store, e)));
  }
  store.half_bandwidth = widest;
}

void add_support_springs(ModelStore& store) {
  for (int s = 1; s <= store.support_count; ++s) {
    const int node = static_cast<int>(store.support_data(s, 1));
    for (int d = 1; d <= freedoms_per_node; ++d) {
      const int i = node_equation(node, d);
      store.global_stiffness(i, i) = static_cast<double>(store.support_data(s, d + 1)) * 1000000.0 +
                                     store.global_stiffness(i, i);
    }
  }
}

int find_local_mechanism(const ModelStore& store) {
  for (int i = 1; i <= store.equation_count; ++i) {
    if (!(store.global_stiffness(i, i) >= 0.1)) {
      return i;
    }
  }
  return 0;
}

void copy_upper_band(ModelStore& store) {
  const int n = store.equation_count;
  for (int i = 1; i <= n; ++i) {
    const int last = std::min(i + store.half_bandwidth - 1, n);
    for (int j = i; j <= last; ++j) {
      store.band_stiffness(i, j - i + 1) = store.global_stiffness(i, j);
    }
  }
}

}  // namespace lajefem
