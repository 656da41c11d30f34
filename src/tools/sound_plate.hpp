// The generated plate whose columns hold the element's checkerboard firmly. Odd counts between
// neighbouring columns stop the pattern on columns that share grid lines; columns scattered off
// shared lines may still hold it only softly (the check's mechanism-soft-spurious), which then
// depends on which columns the counts put on nodes of either colour. For such a layout the
// stretches between neighbouring columns (or a column and an edge) are made even instead of odd,
// one of them at a time, then two and more, and the plate whose pattern is firmest by the
// check's own measure is kept.
#pragma once

#include <array>

#include "meshing/plate_generator.hpp"

namespace lajefem::tools {

// The plate of the request, or of the request with some stretches even when that one's pattern
// is soft and another's is firmer. `material` is E (GPa), ν, t (m), which the measure needs.
meshing::GeneratedPlate sound_plate(const meshing::PlateRequest& request,
                                    const std::array<float, 3>& material);

}  // namespace lajefem::tools
