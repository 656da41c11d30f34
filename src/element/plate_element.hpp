// The four-node Reissner–Mindlin plate element: bending integrated with the 2 × 2 Gauss rule,
// transverse shear at the element centre. The kernels take the corner coordinates, the material
// and the sampling tables and return the element's matrices; the store's steps wrap them.
#pragma once

#include "element/sampling_tables.hpp"
#include "model/model_store.hpp"

namespace lajefem {

constexpr int gauss_points = 4;

// The rigidities of the section: bending (Mx, My, Mxy against κx, κy, κxy), kN·m, and shear
// (Qx, Qy against γxz, γyz), kN/m.
struct MaterialRigidity {
  Array<double, 3, 3> bending;
  Array<double, 2, 2> shear;
};

// From the modulus E (kN/m²), Poisson's ratio and the thickness (m).
MaterialRigidity material_rigidity(double elastic_modulus, double poisson_ratio, double thickness);

// The element map at the four Gauss points of one element.
struct GaussPointGeometry {
  Array<double, gauss_points, corners> dndx;  // (Gauss point, corner) ∂Na/∂x
  Array<double, gauss_points, corners> dndy;  // (Gauss point, corner) ∂Na/∂y
  Array<double, gauss_points> jacobian;       // (Gauss point) Jacobian determinant
};

// The Gauss-point geometry of the element with corners (x, y).
GaussPointGeometry gauss_point_geometry(const SamplingTables& tables, const CornerValues& x,
                                        const CornerValues& y);

// Everything the element loop takes from one element.
struct ElementMatrices {
  GaussPointGeometry geometry;
  double centre_jacobian = 0;                              // Jacobian determinant at the centre
  Array<double, element_dofs, element_dofs> stiffness;     // 12 × 12, corner by corner
  Array<double, stress_rows, element_dofs> stress_matrix;  // row 5(p − 1) + resultant
};

// The stiffness, the stress-recovery matrix and the geometry of the element with corners (x, y).
ElementMatrices plate_element_matrices(const SamplingTables& tables,
                                       const MaterialRigidity& material, const CornerValues& x,
                                       const CornerValues& y);

// Store steps. bending_rigidity and shear_rigidity from the modulus, Poisson's ratio and
// thickness.
void form_material_matrices(ModelStore& store);

// The Gauss-point geometry from the store's tables.
GaussPointGeometry gauss_point_geometry(const ModelStore& store, const CornerValues& x,
                                        const CornerValues& y);

// element_stiffness, element_stress_matrix, the point geometry and centre_jacobian of the
// element with corners (x, y).
void plate_element_matrices(ModelStore& store, const CornerValues& x, const CornerValues& y);

}  // namespace lajefem
