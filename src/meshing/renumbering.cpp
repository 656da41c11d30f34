#include "meshing/renumbering.hpp"

#include <algorithm>
#include <array>
#include <numeric>

#include "analysis/analysis.hpp"

namespace lajefem::meshing {

namespace {

using Graph = std::vector<std::vector<int>>;
using Levels = std::vector<std::vector<int>>;

constexpr int nodal_load = 1;

std::size_t degree(const Graph& graph, int node) {
  return graph[static_cast<std::size_t>(node)].size();
}

// The breadth-first level structure rooted at root: L0 = {root}, L1 its neighbours, ...
Levels level_structure(const Graph& graph, int root) {
  std::vector<bool> seen(graph.size(), false);
  seen[static_cast<std::size_t>(root)] = true;
  Levels levels{{root}};
  for (;;) {
    std::vector<int> next;
    for (const int node : levels.back()) {
      for (const int neighbour : graph[static_cast<std::size_t>(node)]) {
        if (!seen[static_cast<std::size_t>(neighbour)]) {
          seen[static_cast<std::size_t>(neighbour)] = true;
          next.push_back(neighbour);
        }
      }
    }
    if (next.empty()) {
      return levels;
    }
    levels.push_back(std::move(next));
  }
}

// The first node of least degree among nodes.
int least_degree_node(const Graph& graph, const std::vector<int>& nodes) {
  return *std::min_element(nodes.begin(), nodes.end(),
                           [&](int a, int b) { return degree(graph, a) < degree(graph, b); });
}

// George–Liu: from a node of least degree, move to a least-degree node of the last level while
// that lengthens the level structure.
int pseudo_peripheral_node(const Graph& graph, const std::vector<int>& component) {
  int root = least_degree_node(graph, component);
  Levels levels = level_structure(graph, root);
  for (;;) {
    const int candidate = least_degree_node(graph, levels.back());
    Levels candidate_levels = level_structure(graph, candidate);
    if (candidate_levels.size() <= levels.size()) {
      return root;
    }
    root = candidate;
    levels = std::move(candidate_levels);
  }
}

// The connected components, each in increasing node order, ordered by their lowest node.
std::vector<std::vector<int>> components_of(const Graph& graph) {
  std::vector<bool> placed(graph.size(), false);
  std::vector<std::vector<int>> components;
  for (std::size_t node = 0; node < graph.size(); ++node) {
    if (placed[node]) {
      continue;
    }
    std::vector<int> component;
    for (const auto& level : level_structure(graph, static_cast<int>(node))) {
      component.insert(component.end(), level.begin(), level.end());
    }
    std::sort(component.begin(), component.end());
    for (const int member : component) {
      placed[static_cast<std::size_t>(member)] = true;
    }
    components.push_back(std::move(component));
  }
  return components;
}

// The component's node nearest to each corner of its bounding box.
std::vector<int> corner_nodes(const PlateModel& model, const std::vector<int>& component) {
  std::vector<int> corners;
  // The direction is named, not unpacked: clang 14 cannot capture structured bindings.
  for (const auto& corner : std::array<std::pair<float, float>, 4>{
           {{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}}}) {
    const float sx = corner.first;
    const float sy = corner.second;
    corners.push_back(*std::max_element(component.begin(), component.end(), [&](int a, int b) {
      const PlateNode& p = model.nodes[static_cast<std::size_t>(a)];
      const PlateNode& q = model.nodes[static_cast<std::size_t>(b)];
      return sx * p.x + sy * p.y < sx * q.x + sy * q.y;
    }));
  }
  return corners;
}

std::vector<int> candidate_starts(const PlateModel& model, const Graph& graph,
                                  const std::vector<int>& component) {
  std::vector<int> starts{pseudo_peripheral_node(graph, component)};
  const std::size_t least = degree(graph, least_degree_node(graph, component));
  for (const int node : component) {
    if (degree(graph, node) == least && starts.size() < 5) {
      starts.push_back(node);
    }
  }
  for (const int node : corner_nodes(model, component)) {
    starts.push_back(node);
  }
  std::vector<int> distinct;
  for (const int node : starts) {
    if (std::find(distinct.begin(), distinct.end(), node) == distinct.end()) {
      distinct.push_back(node);
    }
  }
  return distinct;
}

// Cuthill–McKee from start: each numbered node in turn gives its unnumbered neighbours the next
// numbers, in increasing degree (then node order). Returned reversed.
std::vector<int> reverse_cuthill_mckee_order(const Graph& graph, int start,
                                             std::vector<bool>& numbered) {
  std::vector<int> order{start};
  numbered[static_cast<std::size_t>(start)] = true;
  for (std::size_t k = 0; k < order.size(); ++k) {
    std::vector<int> next;
    for (const int neighbour : graph[static_cast<std::size_t>(order[k])]) {
      if (!numbered[static_cast<std::size_t>(neighbour)]) {
        numbered[static_cast<std::size_t>(neighbour)] = true;
        next.push_back(neighbour);
      }
    }
    std::stable_sort(next.begin(), next.end(),
                     [&](int a, int b) { return degree(graph, a) < degree(graph, b); });
    order.insert(order.end(), next.begin(), next.end());
  }
  std::reverse(order.begin(), order.end());
  return order;
}

Numbering numbering_of_order(const std::vector<int>& order) {
  Numbering numbering(order.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    numbering[static_cast<std::size_t>(order[k])] = static_cast<int>(k) + 1;
  }
  return numbering;
}

Numbering file_order(const PlateModel& model) {
  Numbering numbering(model.nodes.size());
  std::iota(numbering.begin(), numbering.end(), 1);
  return numbering;
}

// How many start choices reverse_cuthill_mckee has for the model: the most of any component.
std::size_t start_choice_count(const PlateModel& model, const Graph& graph) {
  std::size_t count = 1;
  for (const auto& component : components_of(graph)) {
    count = std::max(count, candidate_starts(model, graph, component).size());
  }
  return count;
}

// A node number outside the model (a load type that names no node) stays as it is.
int renumbered_node(const Numbering& numbering, int node) {
  if (node < 1 || static_cast<std::size_t>(node) > numbering.size()) {
    return node;
  }
  return numbering[static_cast<std::size_t>(node) - 1];
}

}  // namespace

std::vector<std::vector<int>> node_neighbours(const PlateModel& model) {
  Graph graph(model.nodes.size());
  for (const PlateElement& element : model.elements) {
    for (const int a : element.nodes) {
      for (const int b : element.nodes) {
        if (a != b) {
          graph[static_cast<std::size_t>(a) - 1].push_back(b - 1);
        }
      }
    }
  }
  for (auto& neighbours : graph) {
    std::sort(neighbours.begin(), neighbours.end());
    neighbours.erase(std::unique(neighbours.begin(), neighbours.end()), neighbours.end());
  }
  return graph;
}

int numbering_half_bandwidth(const PlateModel& model, const Numbering& numbering) {
  return model_half_bandwidth(renumbered(model, numbering));
}

Numbering reverse_cuthill_mckee(const PlateModel& model, std::size_t start_choice) {
  const Graph graph = node_neighbours(model);
  std::vector<bool> numbered(graph.size(), false);
  std::vector<int> order;
  for (const auto& component : components_of(graph)) {
    const std::vector<int> starts = candidate_starts(model, graph, component);
    const int start = starts[start_choice % starts.size()];
    const std::vector<int> part = reverse_cuthill_mckee_order(graph, start, numbered);
    order.insert(order.end(), part.begin(), part.end());
  }
  return numbering_of_order(order);
}

Numbering coordinate_sweep(const PlateModel& model, bool x_first) {
  std::vector<int> order(model.nodes.size());
  std::iota(order.begin(), order.end(), 0);
  const auto key = [&](int node) {
    const PlateNode& p = model.nodes[static_cast<std::size_t>(node)];
    return x_first ? std::pair{p.x, p.y} : std::pair{p.y, p.x};
  };
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return key(a) < key(b); });
  return numbering_of_order(order);
}

NumberingChoice best_numbering(const PlateModel& model) {
  const Graph graph = node_neighbours(model);
  std::vector<std::pair<Numbering, std::string>> candidates{{file_order(model), "file order"}};
  const std::size_t choices = start_choice_count(model, graph);
  for (std::size_t choice = 0; choice < choices; ++choice) {
    candidates.emplace_back(reverse_cuthill_mckee(model, choice), "reverse Cuthill-McKee");
  }
  candidates.emplace_back(coordinate_sweep(model, true), "sweep along x");
  candidates.emplace_back(coordinate_sweep(model, false), "sweep along y");
  NumberingChoice best;
  best.half_bandwidth_before = model_half_bandwidth(model);
  best.half_bandwidth_after = best.half_bandwidth_before + 1;
  for (auto& [numbering, method] : candidates) {
    const int band = numbering_half_bandwidth(model, numbering);
    if (band < best.half_bandwidth_after) {
      best.numbering = std::move(numbering);
      best.method = method;
      best.half_bandwidth_after = band;
    }
  }
  return best;
}

PlateModel renumbered(const PlateModel& model, const Numbering& numbering) {
  PlateModel result = model;
  for (std::size_t old = 0; old < model.nodes.size(); ++old) {
    result.nodes[static_cast<std::size_t>(numbering[old]) - 1] = model.nodes[old];
  }
  for (PlateElement& element : result.elements) {
    for (int& node : element.nodes) {
      node = renumbered_node(numbering, node);
    }
  }
  for (PlateSupport& support : result.supports) {
    support.node = renumbered_node(numbering, support.node);
  }
  for (LoadCase& load_case : result.load_cases) {
    for (PlateLoad& load : load_case.loads) {
      if (load.type == nodal_load) {
        load.node = renumbered_node(numbering, load.node);
      }
    }
  }
  return result;
}

}  // namespace lajefem::meshing
