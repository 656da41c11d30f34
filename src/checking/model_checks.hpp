// Checks of a plate model that need no stiffness: the band limit, units of the material,
// element types and shapes, duplicates and overlaps, unused nodes, supports and loads.
#pragma once

#include "checking/findings.hpp"
#include "model/plate_model.hpp"

namespace lajefem {

// limit (band), units-modulus, units-thickness, unused-node, element-type, invalid-geometry,
// degenerate-element, duplicate-element, overlapping-elements, distorted-element,
// duplicate-support, load-type and empty-load-case findings, in that order.
Findings check_plate_model(const PlateModel& model);

}  // namespace lajefem
