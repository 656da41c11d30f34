#include "element/sampling_tables.hpp"

#include <cmath>

namespace lajefem {

namespace {

// The bilinear functions and their natural derivatives at one sampling point (xi, eta), corners
// in the order (−1, −1), (+1, −1), (+1, +1), (−1, +1).
void fill_sampling_point(SamplingTables& tables, int point, double xi, double eta) {
  tables.n(point, 1) = 0.25 * (1.0 - xi) * (1.0 - eta);
  tables.n(point, 2) = 0.25 * (1.0 + xi) * (1.0 - eta);
  tables.n(point, 3) = 0.25 * (1.0 + xi) * (1.0 + eta);
  tables.n(point, 4) = 0.25 * (1.0 - xi) * (1.0 + eta);

  tables.dxi(point, 1) = 0.25 * eta - 0.25;
  tables.dxi(point, 2) = 0.25 - 0.25 * eta;
  tables.dxi(point, 3) = 0.25 + 0.25 * eta;
  tables.dxi(point, 4) = -0.25 - 0.25 * eta;

  tables.deta(point, 1) = 0.25 * xi - 0.25;
  tables.deta(point, 2) = -0.25 - 0.25 * xi;
  tables.deta(point, 3) = 0.25 + 0.25 * xi;
  tables.deta(point, 4) = 0.25 - 0.25 * xi;
}

SamplingTables computed_tables() {
  SamplingTables tables;
  const double g = 1.0 / std::sqrt(3.0);
  fill_sampling_point(tables, 1, -g, -g);
  fill_sampling_point(tables, 2, +g, -g);
  fill_sampling_point(tables, 3, +g, +g);
  fill_sampling_point(tables, 4, -g, +g);
  fill_sampling_point(tables, 5, 0.0, 0.0);
  return tables;
}

}  // namespace

const SamplingTables& sampling_tables() {
  static const SamplingTables tables = computed_tables();
  return tables;
}

SamplingTables sampling_tables_of(const ModelStore& store) {
  return {store.shape_n, store.shape_dxi, store.shape_deta};
}

}  // namespace lajefem
