// Load cases asked for on the command line, put on a model's nodes: a uniform load over the whole
// plate, or a point load at the node nearest to a point.
#pragma once

#include <vector>

#include "model/plate_model.hpp"

namespace lajefem::meshing {

struct LoadRequest {
  enum class Kind { uniform, point };
  Kind kind = Kind::uniform;
  double x = 0;     // m, point loads
  double y = 0;     // m, point loads
  float value = 0;  // kN/m² (uniform) or kN (point), with the data file's sign
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

// Appends the load cases to the model (type 2 for uniform loads, type 1 on the nearest node for
// point loads) and returns where each point load went, in order.
std::vector<PlacedPointLoad> add_load_cases(PlateModel& model,
                                            const std::vector<LoadCaseRequest>& cases);

}  // namespace lajefem::meshing
