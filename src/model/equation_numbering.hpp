// The numbering of the unknowns. Node n owns three equations, one per freedom in the order
// w, θx, θy: 3n − 2, 3n − 1, 3n. An element's twelve freedoms run corner by corner in the same
// order: freedom d of corner a is element freedom 3(a − 1) + d.
#pragma once

#include <algorithm>
#include <array>

#include "model/limits.hpp"

namespace lajefem {

constexpr int freedom_w = 1;
constexpr int freedom_theta_x = 2;
constexpr int freedom_theta_y = 3;

// A node and one of its freedoms (freedom_w, freedom_theta_x or freedom_theta_y).
struct NodeFreedom {
  int node = 0;
  int freedom = 0;
};

// Node 2, θx -> equation 5.
constexpr int node_equation(int node, int freedom) {
  return limits::freedoms_per_node * (node - 1) + freedom;
}

// Corner 2, w -> element freedom 4.
constexpr int element_freedom(int corner, int freedom) {
  return limits::freedoms_per_node * (corner - 1) + freedom;
}

// Equation 5 -> node 2, θx.
constexpr NodeFreedom equation_owner(int equation) {
  const int node = (equation - 1) / limits::freedoms_per_node + 1;
  return {node, equation - limits::freedoms_per_node * (node - 1)};
}

// 4 nodes -> 12 equations.
constexpr int equation_count_of(int node_count) {
  return limits::freedoms_per_node * node_count;
}

using CornerNodes = std::array<int, limits::corners>;            // corner 1..4 at [a − 1]
using ElementEquations = std::array<int, limits::element_dofs>;  // element freedom i at [i − 1]

// Corners (1, 2, 5, 4) -> equations (1, 2, 3, 4, 5, 6, 13, 14, 15, 10, 11, 12).
constexpr ElementEquations element_equations(const CornerNodes& nodes) {
  ElementEquations equations{};
  for (int a = 1; a <= limits::corners; ++a) {
    for (int d = 1; d <= limits::freedoms_per_node; ++d) {
      equations[element_freedom(a, d) - 1] = node_equation(nodes[a - 1], d);
    }
  }
  return equations;
}

// Stored diagonals that an element's equations need in the band, its diagonal included:
// corners (1, 2, 5, 4) -> 15 − 1 + 1 = 15.
constexpr int equation_spread(const CornerNodes& nodes) {
  const auto [smallest, largest] = std::minmax_element(nodes.begin(), nodes.end());
  return node_equation(*largest, freedom_theta_y) - node_equation(*smallest, freedom_w) + 1;
}

}  // namespace lajefem
