#include "meshing/support_pairs.hpp"

#include <deque>
#include <set>

namespace lajefem::meshing {

namespace {

// The nodes each node shares an element side with (0-based).
std::vector<std::set<int>> side_neighbours(const PlateModel& model) {
  std::vector<std::set<int>> neighbours(model.nodes.size());
  for (const PlateElement& element : model.elements) {
    for (std::size_t k = 0; k < element.nodes.size(); ++k) {
      const int a = element.nodes[k] - 1;
      const int b = element.nodes[(k + 1) % element.nodes.size()] - 1;
      neighbours[static_cast<std::size_t>(a)].insert(b);
      neighbours[static_cast<std::size_t>(b)].insert(a);
    }
  }
  return neighbours;
}

// Element sides from node `from` (1-based) to every node, −1 where no path reaches.
std::vector<int> side_distances(const std::vector<std::set<int>>& neighbours, int from) {
  std::vector<int> distance(neighbours.size(), -1);
  std::deque<int> queue{from - 1};
  distance[static_cast<std::size_t>(from) - 1] = 0;
  while (!queue.empty()) {
    const int node = queue.front();
    queue.pop_front();
    for (const int next : neighbours[static_cast<std::size_t>(node)]) {
      if (distance[static_cast<std::size_t>(next)] < 0) {
        distance[static_cast<std::size_t>(next)] = distance[static_cast<std::size_t>(node)] + 1;
        queue.push_back(next);
      }
    }
  }
  return distance;
}

// Whether the signs ±1 of the element's checkerboard, alternating along every element side, fit
// the nodes that the distances reach: no side joins two nodes of one parity.
bool alternating_signs_fit(const std::vector<std::set<int>>& neighbours,
                           const std::vector<int>& distance) {
  for (std::size_t node = 0; node < neighbours.size(); ++node) {
    for (const int next : neighbours[node]) {
      if (distance[node] >= 0 &&
          distance[node] % 2 == distance[static_cast<std::size_t>(next)] % 2) {
        return false;
      }
    }
  }
  return true;
}

// Whether c lies within or on the circle with diameter ab: the angle acb is not acute.
bool within_diameter_circle(const PlateNode& a, const PlateNode& b, const PlateNode& c) {
  const double ax = static_cast<double>(a.x) - c.x;
  const double ay = static_cast<double>(a.y) - c.y;
  const double bx = static_cast<double>(b.x) - c.x;
  const double by = static_cast<double>(b.y) - c.y;
  const double dx = static_cast<double>(b.x) - a.x;
  const double dy = static_cast<double>(b.y) - a.y;
  constexpr double on_circle = 1e-9;  // of |ab|², for coordinates held in single precision
  return ax * bx + ay * by <= on_circle * (dx * dx + dy * dy);
}

bool neighbours(const PlateModel& model, const std::vector<int>& nodes, std::size_t i,
                std::size_t j) {
  const auto node = [&](std::size_t k) -> const PlateNode& {
    return model.nodes[static_cast<std::size_t>(nodes[k]) - 1];
  };
  for (std::size_t k = 0; k < nodes.size(); ++k) {
    if (k != i && k != j && within_diameter_circle(node(i), node(j), node(k))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<SupportPair> neighbouring_supports(const PlateModel& model,
                                               const std::vector<int>& nodes) {
  const std::vector<std::set<int>> graph = side_neighbours(model);
  std::vector<SupportPair> pairs;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const std::vector<int> distance = side_distances(graph, nodes[i]);
    if (!alternating_signs_fit(graph, distance)) {
      continue;
    }
    for (std::size_t j = i + 1; j < nodes.size(); ++j) {
      const int elements = distance[static_cast<std::size_t>(nodes[j]) - 1];
      if (elements > 0 && neighbours(model, nodes, i, j)) {
        pairs.push_back({nodes[i], nodes[j], elements});
      }
    }
  }
  return pairs;
}

}  // namespace lajefem::meshing
