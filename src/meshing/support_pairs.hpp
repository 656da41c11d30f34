// Neighbouring point supports of a mesh and how many elements lie between them along the element
// sides: what the odd rule counts on an unstructured mesh, where no grid lines say which columns
// are neighbours.
#pragma once

#include <vector>

#include "model/plate_model.hpp"

namespace lajefem::meshing {

struct SupportPair {
  int first = 0;     // node (1-based)
  int second = 0;    // node (1-based), after first in the order given
  int elements = 0;  // element sides on the shortest path along element sides between them
};

// The pairs of the nodes that are neighbours, no other of them within or on the circle that has
// the pair as its diameter (two columns of a row are neighbours, the diagonal of a bay is not),
// in the order of the nodes given. Nodes that no path along element sides joins make no pair, nor
// do nodes of a part whose sides the checkerboard's alternating signs do not fit (an odd ring of
// elements round a hole): there no pattern exists and the count depends on the path.
std::vector<SupportPair> neighbouring_supports(const PlateModel& model,
                                               const std::vector<int>& nodes);

}  // namespace lajefem::meshing
