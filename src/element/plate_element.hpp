// The four-node Reissner–Mindlin plate element: bending integrated with the 2 × 2 Gauss rule,
// transverse shear at the element centre.
#pragma once

#include "model/model_store.hpp"

namespace lajefem {

// bending_rigidity and shear_rigidity from the modulus, Poisson's ratio and thickness.
void form_material_matrices(ModelStore& store);

constexpr int gauss_points = 4;

// The element map at the four Gauss points of one element.
struct GaussPointGeometry {
  Array<double, gauss_points, corners> dndx;  // (Gauss point, corner) ∂Na/∂x
  Array<double, gauss_points, corners> dndy;  // (Gauss point, corner) ∂Na/∂y
  Array<double, gauss_points> jacobian;       // (Gauss point) Jacobian determinant
};

// The Gauss-point geometry of the element with corners (x, y), from the sampling tables.
GaussPointGeometry gauss_point_geometry(const ModelStore& store, const CornerValues& x,
                                        const CornerValues& y);

// The same into the store's point_dndx, point_dndy and point_jacobian: the first stage of
// plate_element_matrices.
void form_gauss_point_geometry(ModelStore& store, const CornerValues& x, const CornerValues& y);

// element_stiffness, element_stress_matrix, the point geometry and centre_jacobian of the
// element with corners (x, y).
void plate_element_matrices(ModelStore& store, const CornerValues& x, const CornerValues& y);

}  // namespace lajefem
