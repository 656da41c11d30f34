// The shape-function tables of the four-node element at its five sampling points: the four Gauss
// points (∓g, ∓g), g = 1/√3, point p nearest corner p, and point 5, the centre.
#pragma once

#include "model/model_store.hpp"

namespace lajefem {

struct SamplingTables {
  Array<double, sampling_points, corners> n;     // (point, corner) Na
  Array<double, sampling_points, corners> dxi;   // (point, corner) ∂Na/∂ξ
  Array<double, sampling_points, corners> deta;  // (point, corner) ∂Na/∂η
};

// The tables, computed once: every element of every model shares them.
const SamplingTables& sampling_tables();

// The tables as the store holds them (shape_n, shape_dxi, shape_deta).
SamplingTables sampling_tables_of(const ModelStore& store);

}  // namespace lajefem
