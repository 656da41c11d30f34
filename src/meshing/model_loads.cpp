#include "meshing/model_loads.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <string>

#include "meshing/area_loads.hpp"
#include "meshing/data_file_writer.hpp"
#include "meshing/meshing_error.hpp"
#include "model/limits.hpp"

namespace lajefem::meshing {

namespace {

double squared_distance(const PlateNode& node, double x, double y) {
  const double dx = node.x - x;
  const double dy = node.y - y;
  return dx * dx + dy * dy;
}

constexpr int nodal_load = 1;
constexpr int distributed_load = 2;

// How far a node may lie from a line or a corner asked for and still be on it: the nodes hold
// their coordinates in single precision.
double coordinate_tolerance(const PlateModel& model) {
  double extent = 0;
  for (const PlateNode& node : model.nodes) {
    extent = std::max(
        {extent, std::abs(static_cast<double>(node.x)), std::abs(static_cast<double>(node.y))});
  }
  return 1e-6 * extent;
}

std::string segment_text(const LoadRequest& load) {
  const auto text = [](double value) { return real_text(static_cast<float>(value)); };
  return "(" + text(load.x) + ", " + text(load.y) + ") to (" + text(load.x1) + ", " +
         text(load.y1) + ")";
}

// The elements whose centre lies inside the patch (grid lines pass through its sides, so an
// element is either inside or outside).
std::vector<int> elements_in(const PlateModel& model, const LoadRequest& patch) {
  const double x0 = std::min(patch.x, patch.x1);
  const double x1 = std::max(patch.x, patch.x1);
  const double y0 = std::min(patch.y, patch.y1);
  const double y1 = std::max(patch.y, patch.y1);
  std::vector<int> inside;
  for (std::size_t e = 0; e < model.elements.size(); ++e) {
    double x = 0;
    double y = 0;
    for (const int node : model.elements[e].nodes) {
      x += model.nodes[static_cast<std::size_t>(node) - 1].x / 4.0;
      y += model.nodes[static_cast<std::size_t>(node) - 1].y / 4.0;
    }
    if (x > x0 && x < x1 && y > y0 && y < y1) {
      inside.push_back(static_cast<int>(e) + 1);
    }
  }
  if (inside.empty()) {
    throw MeshingError("the patch load " + segment_text(patch) + " covers no element");
  }
  return inside;
}

// The element sides, each once, whose two ends lie on the segment of the line load.
std::vector<ElementSide> sides_along(const PlateModel& model, const LoadRequest& line) {
  const double tolerance = coordinate_tolerance(model);
  const auto on_segment = [&](int node) {
    const PlateNode& at = model.nodes[static_cast<std::size_t>(node) - 1];
    const double dx = line.x1 - line.x;
    const double dy = line.y1 - line.y;
    const double length = std::hypot(dx, dy);
    const double along = ((at.x - line.x) * dx + (at.y - line.y) * dy) / length;
    const double off = std::abs((at.x - line.x) * dy - (at.y - line.y) * dx) / length;
    return off <= tolerance && along >= -tolerance && along <= length + tolerance;
  };
  std::set<ElementSide> sides;
  for (const PlateElement& element : model.elements) {
    for (std::size_t k = 0; k < element.nodes.size(); ++k) {
      const int from = element.nodes[k];
      const int to = element.nodes[(k + 1) % element.nodes.size()];
      if (on_segment(from) && on_segment(to)) {
        sides.insert({std::min(from, to), std::max(from, to)});
      }
    }
  }
  if (sides.empty()) {
    throw MeshingError("the line load " + segment_text(line) + " runs along no element side");
  }
  return {sides.begin(), sides.end()};
}

PlateLoad distributed(float value) {
  PlateLoad load;
  load.type = distributed_load;
  load.values[0] = value;
  return load;
}

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
  using Kind = LoadRequest::Kind;
  std::vector<PlacedPointLoad> placed;
  for (const LoadCaseRequest& request : cases) {
    LoadCase load_case;
    for (const LoadRequest& asked : request) {
      switch (asked.kind) {
        case Kind::uniform:
          load_case.loads.push_back(distributed(asked.value));
          break;
        case Kind::self_weight:
          load_case.loads.push_back(
              distributed(static_cast<float>(static_cast<double>(asked.value) * model.thickness)));
          break;
        case Kind::patch:
          append_nodal_loads(load_case,
                             patch_nodal_forces(model, elements_in(model, asked), asked.value));
          break;
        case Kind::line:
          append_nodal_loads(load_case,
                             line_nodal_forces(model, sides_along(model, asked), asked.value));
          break;
        case Kind::point: {
          PlateLoad load;
          load.type = nodal_load;
          load.values[0] = asked.value;
          load.node = nearest_node(model, asked.x, asked.y);
          const double distance =
              std::sqrt(squared_distance(model.nodes[load.node - 1], asked.x, asked.y));
          placed.push_back({asked.x, asked.y, load.node, distance});
          load_case.loads.push_back(load);
          break;
        }
      }
    }
    model.load_cases.push_back(load_case);
  }
  return placed;
}

std::size_t loaded_node_count(const LoadCase& load_case) {
  std::set<int> nodes;
  for (const PlateLoad& load : load_case.loads) {
    if (load.type == nodal_load) {
      nodes.insert(load.node);
    }
  }
  return nodes.size();
}

namespace {

// One nodal load per node, its values the sums, at the place of the node's first load.
void merge_shared_nodes(LoadCase& load_case) {
  std::map<int, std::size_t> first_of_node;
  std::vector<PlateLoad> merged;
  for (const PlateLoad& load : load_case.loads) {
    if (load.type != nodal_load) {
      merged.push_back(load);
      continue;
    }
    const auto [found, fresh] = first_of_node.try_emplace(load.node, merged.size());
    if (fresh) {
      merged.push_back(load);
      continue;
    }
    for (std::size_t v = 0; v < load.values.size(); ++v) {
      merged[found->second].values[v] += load.values[v];
    }
  }
  load_case.loads = std::move(merged);
}

}  // namespace

void merge_crowded_cases(PlateModel& model) {
  for (LoadCase& load_case : model.load_cases) {
    if (load_case.loads.size() > static_cast<std::size_t>(limits::max_loads_per_case)) {
      merge_shared_nodes(load_case);
    }
  }
}

}  // namespace lajefem::meshing
