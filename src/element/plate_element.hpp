// The four-node Reissner–Mindlin plate element: bending integrated with the 2 × 2 Gauss rule,
// transverse shear at the element centre.
#pragma once

#include <iosfwd>

#include "model/model_store.hpp"

namespace lajefem {

// bending_rigidity and shear_rigidity from the modulus, Poisson's ratio and thickness.
void form_material_matrices(ModelStore& store);

// Geometry at the four Gauss points of the element with corners (x, y): point_dndx, point_dndy
// and point_jacobian. This is the first stage of plate_element_matrices; the distributed-load
// integration calls it alone, for each element, with that element's own corners.
void form_gauss_point_geometry(ModelStore& store, const CornerValues& x, const CornerValues& y);

// element_stiffness, element_stress_matrix, the point geometry and centre_jacobian of the
// element with corners (x, y); writes the 144 "i j value" stiffness lines to the log.
void plate_element_matrices(ModelStore& store, const CornerValues& x, const CornerValues& y,
                            std::ostream& log);

}  // namespace lajefem
