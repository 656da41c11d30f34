// A rectangular mesh of the neutral model for the post-processing tests.
#pragma once

#include <vector>

#include "model/plate_model.hpp"

namespace lajefem::testing {

// Nodes at the crossings of the given x and y lines, numbered along x first; elements
// anticlockwise, numbered the same way.
inline PlateModel grid_model(const std::vector<float>& xs, const std::vector<float>& ys) {
  PlateModel model;
  const int columns = static_cast<int>(xs.size());
  for (const float y : ys) {
    for (const float x : xs) {
      model.nodes.push_back({x, y});
    }
  }
  for (int j = 0; j + 1 < static_cast<int>(ys.size()); ++j) {
    for (int i = 0; i + 1 < columns; ++i) {
      const int first = j * columns + i + 1;
      model.elements.push_back({1, {first, first + 1, first + 1 + columns, first + columns}});
    }
  }
  return model;
}

}  // namespace lajefem::testing
