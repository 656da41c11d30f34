// Node numberings that make the half-bandwidth small: the model's own, reverse Cuthill–McKee from
// several starts and coordinate sweeps, the least half-bandwidth kept, never worse than the
// model's own numbering.
#pragma once

#include <string>
#include <vector>

#include "model/plate_model.hpp"

namespace lajefem::meshing {

// new_number[old - 1]: the new (1-based) number of node `old`, a permutation of 1..N.
using Numbering = std::vector<int>;

// The nodes that share an element with each node (all six corner pairs of a quadrilateral count),
// in increasing order, 0-based.
std::vector<std::vector<int>> node_neighbours(const PlateModel& model);

// The half-bandwidth the model would have under the numbering: 3 × spread + 3.
int numbering_half_bandwidth(const PlateModel& model, const Numbering& numbering);

// Reverse Cuthill–McKee, one connected component after another (in order of their lowest node),
// each started at the start_choice-th of its candidate starts (modulo their count): the
// George–Liu pseudo-peripheral node, the nodes of least degree, the nodes nearest to the corners
// of the component's bounding box.
Numbering reverse_cuthill_mckee(const PlateModel& model, std::size_t start_choice);

// Nodes ordered by (x, y) when x_first, else by (y, x); equal points keep their order.
Numbering coordinate_sweep(const PlateModel& model, bool x_first);

struct NumberingChoice {
  Numbering numbering;
  std::string method;  // "file order", "reverse Cuthill-McKee", "sweep along x", "sweep along y"
  int half_bandwidth_before = 0;
  int half_bandwidth_after = 0;
};

// The candidate with the least half-bandwidth; the model's own numbering wins ties.
NumberingChoice best_numbering(const PlateModel& model);

// The model with its nodes renumbered: coordinates in the new order, element corners, support
// nodes and nodal-load nodes changed with them; everything else as it was.
PlateModel renumbered(const PlateModel& model, const Numbering& numbering);

}  // namespace lajefem::meshing
