// The consistent nodal loads of a patch load over some elements and of a line load along element
// sides: the element's own shape functions integrated exactly over the loaded part, one force on
// w per node, so that the data file carries them as nodal loads.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "model/plate_model.hpp"

namespace lajefem::meshing {

// Force on w of each loaded node (1-based node -> kN), with the sign of the load given.
using NodalForces = std::map<int, double>;

// q (kN/m², the data file's sign) over the elements (1-based numbers): q·∫Nk over each element on
// each of its corners, from the element's own load integrals. Over every element of the plate it
// gives the nodal loads of a distributed load q.
NodalForces patch_nodal_forces(const PlateModel& model, const std::vector<int>& elements, double q);

// An element side given by its two end nodes (1-based), in either order.
using ElementSide = std::pair<int, int>;

// p (kN/m, the data file's sign) along element sides. A side is straight and the element's shape
// functions along it are the linear ones of its two end nodes, so each end takes p·L/2.
// MeshingError for a pair of nodes that is no side of any element.
NodalForces line_nodal_forces(const PlateModel& model, const std::vector<ElementSide>& sides,
                              double p);

// Adds more into total, node by node.
void add_nodal_forces(NodalForces& total, const NodalForces& more);

// Appends one nodal load (type 1, the force alone) per node to the case, in node order.
void append_nodal_loads(LoadCase& load_case, const NodalForces& forces);

}  // namespace lajefem::meshing
