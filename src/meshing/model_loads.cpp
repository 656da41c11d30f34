#include "meshing/model_loads.hpp"

#include <cmath>
#include <limits>

namespace lajefem::meshing {

namespace {

double squared_distance(const PlateNode& node, double x, double y) {
  const double dx = node.x - x;
  const double dy = node.y - y;
  return dx * dx + dy * dy;
}

constexpr int nodal_load = 1;
constexpr int distributed_load = 2;

}  // namespace

int nearest_node(const PlateModel& model, double x, double y) {
  int nearest = 0;
  double least = std::numeric_limits<double>::infinity();
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    const double distance = squared_distance(model.nodes[n], x, y);
    if (distance < least) {
      least = distance;
      nearest = static_cast<int>(n) + 1;
    }
  }
  return nearest;
}

std::vector<PlacedPointLoad> add_load_cases(PlateModel& model,
                                            const std::vector<LoadCaseRequest>& cases) {
  std::vector<PlacedPointLoad> placed;
  for (const LoadCaseRequest& request : cases) {
    LoadCase load_case;
    for (const LoadRequest& asked : request) {
      PlateLoad load;
      load.values[0] = asked.value;
      if (asked.kind == LoadRequest::Kind::uniform) {
        load.type = distributed_load;
      } else {
        load.type = nodal_load;
        load.node = nearest_node(model, asked.x, asked.y);
        const double distance =
            std::sqrt(squared_distance(model.nodes[load.node - 1], asked.x, asked.y));
        placed.push_back({asked.x, asked.y, load.node, distance});
      }
      load_case.loads.push_back(load);
    }
    model.load_cases.push_back(load_case);
  }
  return placed;
}

}  // namespace lajefem::meshing
