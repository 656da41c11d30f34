// The Jacobian matrix of the element map at one sampling point, shared by the element matrices
// and by the element loop's shape check.
#pragma once

#include "element/sampling_tables.hpp"
#include "model/model_store.hpp"

namespace lajefem {

// j11 = ∂x/∂ξ, j21 = ∂x/∂η, j12 = ∂y/∂ξ, j22 = ∂y/∂η; determinant = j22·j11 − j21·j12.
struct PointJacobian {
  double j11 = 0;
  double j21 = 0;
  double j12 = 0;
  double j22 = 0;
  double determinant = 0;
};

// At sampling point 1..5 of the tables (5 is the centre), for the corners (x, y).
PointJacobian point_jacobian(const SamplingTables& tables, const CornerValues& x,
                             const CornerValues& y, int point);

// Whether the Jacobian determinant is finite and positive at all five sampling points: corners
// listed clockwise, or a degenerate element, fail.
bool has_valid_geometry(const SamplingTables& tables, const CornerValues& x, const CornerValues& y);

// The same from the store's tables.
PointJacobian form_point_jacobian(const ModelStore& store, const CornerValues& x,
                                  const CornerValues& y, int point);

}  // namespace lajefem
