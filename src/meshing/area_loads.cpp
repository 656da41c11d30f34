#include "meshing/area_loads.hpp"

#include <cmath>
#include <set>
#include <string>

#include "element/sampling_tables.hpp"
#include "meshing/data_file_writer.hpp"
#include "meshing/meshing_error.hpp"
#include "model/equation_numbering.hpp"
#include "results/load_vectors.hpp"

namespace lajefem::meshing {

namespace {

constexpr int nodal_load = 1;

const PlateNode& node_of(const PlateModel& model, int node) {
  return model.nodes[static_cast<std::size_t>(node) - 1];
}

LoadIntegrals load_integrals_of(const PlateModel& model, const PlateElement& element) {
  CornerValues x;
  CornerValues y;
  for (int k = 1; k <= corners; ++k) {
    const PlateNode& node = node_of(model, element.nodes[static_cast<std::size_t>(k) - 1]);
    x(k) = node.x;
    y(k) = node.y;
  }
  return element_load_integrals(sampling_tables(), x, y);
}

// Both orders of every element side.
std::set<ElementSide> element_sides(const PlateModel& model) {
  std::set<ElementSide> sides;
  for (const PlateElement& element : model.elements) {
    for (std::size_t k = 0; k < element.nodes.size(); ++k) {
      const int from = element.nodes[k];
      const int to = element.nodes[(k + 1) % element.nodes.size()];
      sides.insert({from, to});
      sides.insert({to, from});
    }
  }
  return sides;
}

double side_length(const PlateModel& model, const ElementSide& side) {
  const PlateNode& a = node_of(model, side.first);
  const PlateNode& b = node_of(model, side.second);
  return std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y);
}

}  // namespace

NodalForces patch_nodal_forces(const PlateModel& model, const std::vector<int>& elements,
                               double q) {
  NodalForces forces;
  for (const int e : elements) {
    const PlateElement& element = model.elements[static_cast<std::size_t>(e) - 1];
    const LoadIntegrals integrals = load_integrals_of(model, element);
    for (int k = 1; k <= corners; ++k) {
      forces[element.nodes[static_cast<std::size_t>(k) - 1]] +=
          q * integrals(element_freedom(k, freedom_w));
    }
  }
  return forces;
}

NodalForces line_nodal_forces(const PlateModel& model, const std::vector<ElementSide>& sides,
                              double p) {
  const std::set<ElementSide> known = element_sides(model);
  NodalForces forces;
  for (const ElementSide& side : sides) {
    if (known.count(side) == 0) {
      const PlateNode& a = node_of(model, side.first);
      const PlateNode& b = node_of(model, side.second);
      throw MeshingError("the segment from (" + real_text(a.x) + ", " + real_text(a.y) + ") to (" +
                         real_text(b.x) + ", " + real_text(b.y) +
                         ") is not a side of any element: a line load runs along element sides");
    }
    const double half = p * side_length(model, side) / 2.0;
    forces[side.first] += half;
    forces[side.second] += half;
  }
  return forces;
}

void add_nodal_forces(NodalForces& total, const NodalForces& more) {
  for (const auto& [node, force] : more) {
    total[node] += force;
  }
}

void append_nodal_loads(LoadCase& load_case, const NodalForces& forces) {
  for (const auto& [node, force] : forces) {
    PlateLoad load;
    load.type = nodal_load;
    load.node = node;
    load.values[0] = static_cast<float>(force);
    load_case.loads.push_back(load);
  }
}

}  // namespace lajefem::meshing
