// Load cases asked for on the command line, put on a model's nodes: a uniform load over the whole
// plate, a point load at the node nearest to a point, a patch load over the elements in a
// rectangle, a line load along the element sides on a segment, the plate's self-weight.
#pragma once

#include <vector>

#include "model/plate_model.hpp"

namespace lajefem::meshing {

struct LoadRequest {
  enum class Kind { uniform, point, patch, line, self_weight };
  Kind kind = Kind::uniform;
  double x = 0;     // m, point loads; the first corner or end of patch and line loads
  double y = 0;     // m
  float value = 0;  // kN/m² (uniform, patch), kN (point), kN/m (line), with the data file's
                    // sign; kN/m³ (self-weight: the density, with the sign of gravity)
  double x1 = 0;    // m, the other corner or end of patch and line loads
  double y1 = 0;    // m
};

using LoadCaseRequest = std::vector<LoadRequest>;

// A point load and the node it went to.
struct PlacedPointLoad {
  double x = 0;
  double y = 0;
  int node = 0;         // 1-based
  double distance = 0;  // m, from the point asked for to the node
};

// The node nearest to (x, y), the lowest number among equally near ones (1-based).
int nearest_node(const PlateModel& model, double x, double y);

// Appends the load cases to the model and returns where each point load went, in order. A uniform
// load is type 2; the self-weight too, ρ·t with the model's thickness (ρ signed as gravity); a
// point load is type 1 on the nearest node; a patch or a line load is one type 1 load on each node
// it touches, its consistent nodal force (see area_loads). MeshingError for a patch that covers no
// element or a line that runs along no element side.
std::vector<PlacedPointLoad> add_load_cases(PlateModel& model,
                                            const std::vector<LoadCaseRequest>& cases);

// The nodes that the nodal loads of a case act on, each counted once.
std::size_t loaded_node_count(const LoadCase& load_case);

// Merges the nodal loads of a case that share a node into one, at the place of the first, when
// the case holds more loads than the program takes; other cases are left as given.
void merge_crowded_cases(PlateModel& model);

}  // namespace lajefem::meshing
