// Consistent nodal loads of patch and line loads: totals from statics (q·area, p·length), and a
// patch over the whole plate against the program's own distributed load.
#include <gtest/gtest.h>

#include <cmath>
#include <variant>

#include "analysis/analysis.hpp"
#include "meshing/area_loads.hpp"
#include "meshing/meshing_error.hpp"
#include "tests/common/plate_grid.hpp"

namespace lajefem::meshing {
namespace {

// A 4 × 3 grid over 4 m × 3 m, interior nodes moved off the grid lines when distorted.
PlateModel plate(bool distorted) {
  PlateModel model = test::grid_plate(4, 3, 4.0f, 3.0f);
  if (distorted) {
    for (PlateNode& node : model.nodes) {
      const bool interior = node.x > 0 && node.x < 4 && node.y > 0 && node.y < 3;
      if (interior) {
        node.x += 0.3f * std::sin(2.0f * node.y + node.x);
        node.y += 0.25f * std::cos(3.0f * node.x - node.y);
      }
    }
  }
  return model;
}

// Shoelace area of an element, independent of the element's integration.
double element_area(const PlateModel& model, int e) {
  const PlateElement& element = model.elements[static_cast<std::size_t>(e) - 1];
  double twice = 0;
  for (std::size_t a = 0; a < 4; ++a) {
    const PlateNode& p = model.nodes[static_cast<std::size_t>(element.nodes[a]) - 1];
    const PlateNode& r = model.nodes[static_cast<std::size_t>(element.nodes[(a + 1) % 4]) - 1];
    twice += static_cast<double>(p.x) * r.y - static_cast<double>(r.x) * p.y;
  }
  return twice / 2;
}

double total(const NodalForces& forces) {
  double sum = 0;
  for (const auto& [node, force] : forces) {
    sum += force;
  }
  return sum;
}

template <typename Case>
std::string case_name(const ::testing::TestParamInfo<Case>& row) {
  return row.param.name;
}

struct PatchCase {
  const char* name;
  bool distorted;
  std::vector<int> elements;
  double q;
};

class PatchTotals : public ::testing::TestWithParam<PatchCase> {};

TEST_P(PatchTotals, SumToTheLoadTimesTheArea) {
  const PatchCase& c = GetParam();
  const PlateModel model = plate(c.distorted);
  double area = 0;
  for (const int e : c.elements) {
    area += element_area(model, e);
  }
  const NodalForces forces = patch_nodal_forces(model, c.elements, c.q);
  EXPECT_NEAR(total(forces), c.q * area, 1e-9 * std::abs(c.q * area));
  for (const auto& [node, force] : forces) {
    EXPECT_EQ(std::signbit(force), std::signbit(c.q)) << "node " << node;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Patches, PatchTotals,
    ::testing::Values(PatchCase{"one_element", false, {6}, -10},
                      PatchCase{"row_of_bays", false, {5, 6, 7, 8}, -12.5},
                      PatchCase{"whole_plate", false, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 3},
                      PatchCase{"distorted_block", true, {2, 3, 6, 7}, -10},
                      PatchCase{
                          "distorted_whole", true, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, -7}),
    case_name<PatchCase>);

// The plate held on its edges, loaded once by the distributed load and once by the nodal loads
// of the same load over every element: the same load vector gives the same displacements.
TEST(PatchLoads, OverTheWholePlateActAsTheDistributedLoad) {
  for (const bool distorted : {false, true}) {
    PlateModel distributed = plate(distorted);
    for (std::size_t n = 0; n < distributed.nodes.size(); ++n) {
      const PlateNode& node = distributed.nodes[n];
      if (node.x == 0 || node.x == 4 || node.y == 0 || node.y == 3) {
        distributed.supports.push_back({static_cast<int>(n) + 1, 1e6f, 0, 0});
      }
    }
    PlateModel patched = distributed;
    patched.load_cases[0].loads.clear();
    std::vector<int> every;
    for (std::size_t e = 1; e <= patched.elements.size(); ++e) {
      every.push_back(static_cast<int>(e));
    }
    append_nodal_loads(patched.load_cases[0], patch_nodal_forces(patched, every, -10));

    const auto expected = std::get<AnalysisResults>(analyse_plate_model(distributed));
    const auto found = std::get<AnalysisResults>(analyse_plate_model(patched));
    const auto& w_expected = expected.cases[0].nodes;
    const auto& w_found = found.cases[0].nodes;
    double largest = 0;
    for (const NodeDisplacement& node : w_expected) {
      largest = std::max(largest, std::abs(node.w));
    }
    ASSERT_GT(largest, 0);
    for (std::size_t n = 0; n < w_expected.size(); ++n) {
      EXPECT_NEAR(w_found[n].w, w_expected[n].w, 1e-6 * largest) << "node " << n + 1;
      EXPECT_NEAR(w_found[n].theta_x, w_expected[n].theta_x, 1e-5 * largest) << "node " << n + 1;
    }
  }
}

struct LineCase {
  const char* name;
  bool distorted;
  std::vector<ElementSide> sides;
  double p;
};

class LineTotals : public ::testing::TestWithParam<LineCase> {};

// Each end of each side takes half the side's load: the total is p·L, an interior node of the
// chain takes p times half its two sides.
TEST_P(LineTotals, SumToTheLoadTimesTheLength) {
  const LineCase& c = GetParam();
  const PlateModel model = plate(c.distorted);
  double length = 0;
  for (const auto& [a, b] : c.sides) {
    const PlateNode& p = model.nodes[static_cast<std::size_t>(a) - 1];
    const PlateNode& r = model.nodes[static_cast<std::size_t>(b) - 1];
    length += std::sqrt(std::pow(double{r.x} - p.x, 2) + std::pow(double{r.y} - p.y, 2));
  }
  const NodalForces forces = line_nodal_forces(model, c.sides, c.p);
  EXPECT_NEAR(total(forces), c.p * length, 1e-9 * std::abs(c.p * length));
  EXPECT_EQ(forces.size(), c.sides.size() + 1);
}

// Node numbers of the 5 × 4-node grid: node i + 1 + 5j at (i, j).
INSTANTIATE_TEST_SUITE_P(
    Lines, LineTotals,
    ::testing::Values(LineCase{"edge_along_x", false, {{1, 2}, {2, 3}, {3, 4}, {4, 5}}, -20},
                      LineCase{"interior_along_y", false, {{8, 3}, {8, 13}, {13, 18}}, -5},
                      LineCase{"distorted_interior", true, {{6, 7}, {7, 8}, {8, 9}, {9, 10}}, -15},
                      LineCase{"distorted_bent", true, {{2, 7}, {7, 8}, {8, 13}}, 4}),
    case_name<LineCase>);

TEST(LineLoads, OnlyAlongElementSides) {
  const PlateModel model = plate(false);
  EXPECT_THROW(line_nodal_forces(model, {{1, 7}}, -1), MeshingError);  // a diagonal
  EXPECT_THROW(line_nodal_forces(model, {{1, 3}}, -1), MeshingError);  // two sides in one
}

}  // namespace
}  // namespace lajefem::meshing
