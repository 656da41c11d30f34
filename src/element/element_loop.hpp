// The element loop: every element's matrices, its stress-recovery record on the results scratch
// file, and the assembly of the full global stiffness.
#pragma once

#include <iosfwd>
#include <optional>

#include "model/analysis_stop.hpp"
#include "model/model_store.hpp"

namespace lajefem {

// Told of each element once its matrices are formed (element_stiffness and
// element_stress_matrix of the store hold them): the console program logs them.
class ElementListener {
 public:
  virtual ~ElementListener() = default;
  virtual void element_formed(const ModelStore& store, int element) = 0;
};

// Element e, whose corners gather_element_coordinates has placed, enters the stiffness only
// when its Jacobian determinant is positive and finite at the four Gauss points and at the
// centre: corners listed clockwise, or a folded element, fail.
bool element_has_valid_geometry(const ModelStore& store, int e);

// Fills global_stiffness and writes one stress-matrix record per element to scratch. Stops, with
// the elements before it formed, at an element of unknown type or one whose Jacobian determinant
// is not positive at a Gauss point or at the centre.
std::optional<AnalysisStop> assemble_global_stiffness(ModelStore& store, std::ostream& scratch,
                                                      ElementListener& listener);

}  // namespace lajefem
