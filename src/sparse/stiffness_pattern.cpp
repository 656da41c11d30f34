#include "sparse/stiffness_pattern.hpp"

#include <algorithm>

namespace lajefem::sparse {

namespace {

// For every node, the nodes numbered no higher that share an element with it, itself included.
std::vector<std::vector<int>> lower_neighbours_of(const PlateModel& model) {
  std::vector<std::vector<int>> neighbours(model.nodes.size());
  for (std::size_t n = 0; n < neighbours.size(); ++n) {
    neighbours[n].push_back(static_cast<int>(n));
  }
  for (const PlateElement& element : model.elements) {
    for (const int a : element.nodes) {
      for (const int b : element.nodes) {
        if (b < a) {
          neighbours[static_cast<std::size_t>(a - 1)].push_back(b - 1);
        }
      }
    }
  }
  for (std::vector<int>& list : neighbours) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
  }
  return neighbours;
}

}  // namespace

StiffnessPattern stiffness_pattern(const PlateModel& model) {
  StiffnessPattern pattern;
  pattern.lower_neighbours = lower_neighbours_of(model);
  pattern.equations = 3 * static_cast<std::int64_t>(model.nodes.size());
  pattern.column_starts.reserve(static_cast<std::size_t>(pattern.equations) + 1);
  pattern.column_starts.push_back(0);
  for (std::size_t n = 0; n < pattern.lower_neighbours.size(); ++n) {
    const std::vector<int>& blocks = pattern.lower_neighbours[n];
    for (int d = 0; d < 3; ++d) {
      for (const int m : blocks) {
        const int last = m == static_cast<int>(n) ? d : 2;  // the diagonal block's upper part
        for (int dm = 0; dm <= last; ++dm) {
          pattern.rows.push_back(3 * static_cast<std::int64_t>(m) + dm);
        }
      }
      pattern.column_starts.push_back(static_cast<std::int64_t>(pattern.rows.size()));
    }
  }
  return pattern;
}

std::int64_t entry_index(const StiffnessPattern& pattern, int m, int dm, int n, int dn) {
  const std::vector<int>& blocks = pattern.lower_neighbours[static_cast<std::size_t>(n)];
  const auto found = std::lower_bound(blocks.begin(), blocks.end(), m);
  if (found == blocks.end() || *found != m) {
    return -1;
  }
  const std::int64_t block = found - blocks.begin();
  return pattern.column_starts[static_cast<std::size_t>(3 * static_cast<std::int64_t>(n) + dn)] +
         3 * block + dm;
}

}  // namespace lajefem::sparse
