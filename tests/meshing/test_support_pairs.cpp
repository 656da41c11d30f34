// Neighbouring point supports and the element sides between them, on grids of unequal bays.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "meshing/support_pairs.hpp"
#include "tests/common/plate_grid.hpp"

namespace lajefem::meshing {
namespace {

struct PairCase {
  const char* name;
  int nx, ny;                                // elements
  float lx, ly;                              // m
  std::vector<std::pair<int, int>> columns;  // grid points (i, j)
  std::vector<std::array<int, 3>> expected;  // (column, column, elements), by column index
};

class NeighbouringSupports : public ::testing::TestWithParam<PairCase> {};

TEST_P(NeighbouringSupports, AreCountedAlongTheElementSides) {
  const PairCase& c = GetParam();
  const PlateModel model =
      test::grid_model(test::even_lines(c.nx, c.lx), test::even_lines(c.ny, c.ly));
  std::vector<int> nodes;
  for (const auto& [i, j] : c.columns) {
    nodes.push_back(test::grid_node(c.nx, i, j));
  }
  std::vector<std::array<int, 3>> found;
  for (const SupportPair& pair : neighbouring_supports(model, nodes)) {
    const auto index = [&](int node) {
      return static_cast<int>(std::find(nodes.begin(), nodes.end(), node) - nodes.begin());
    };
    found.push_back({index(pair.first), index(pair.second), pair.elements});
  }
  EXPECT_EQ(found, c.expected);
}

// Four columns at the corners of a block: its sides are neighbours, its diagonals are not, also
// where one side is longer than the other (the wider bay's columns are not each other's nearest).
INSTANTIATE_TEST_SUITE_P(
    Grids, NeighbouringSupports,
    ::testing::Values(
        PairCase{"square_block",
                 6,
                 6,
                 6,
                 6,
                 {{0, 0}, {3, 0}, {3, 3}, {0, 3}},
                 {{0, 1, 3}, {0, 3, 3}, {1, 2, 3}, {2, 3, 3}}},
        PairCase{"wide_bay",
                 8,
                 5,
                 8,
                 5,
                 {{0, 0}, {4, 0}, {4, 5}, {0, 5}},
                 {{0, 1, 4}, {0, 3, 5}, {1, 2, 5}, {2, 3, 4}}},
        PairCase{"row_of_three", 6, 2, 6, 2, {{0, 1}, {3, 1}, {6, 1}}, {{0, 1, 3}, {1, 2, 3}}},
        PairCase{"staggered", 6, 6, 6, 6, {{0, 0}, {3, 1}, {6, 0}}, {{0, 1, 4}, {1, 2, 4}}}),
    [](const ::testing::TestParamInfo<PairCase>& row) { return row.param.name; });

}  // namespace
}  // namespace lajefem::meshing
