// Patch, line and self-weight loads put on a generated plate: their nodal loads against statics
// and against the program's own distributed load, and the merging of crowded load cases.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <variant>

#include "analysis/analysis.hpp"
#include "meshing/meshing_error.hpp"
#include "meshing/model_loads.hpp"
#include "meshing/plate_generator.hpp"

namespace lajefem::meshing {
namespace {

using Kind = LoadRequest::Kind;

// An 8 m × 6 m plate, simply supported, with an opening and grid lines through unequal
// stretches (the points at 2.7 and 1.3), so that the elements are not all alike.
PlateModel uneven_plate(const std::vector<LoadRequest>& loads) {
  PlateRequest request;
  request.length_x = 8;
  request.length_y = 6;
  request.least_nx = 4;
  request.least_ny = 3;
  request.edges = {EdgeKind::simple, EdgeKind::simple, EdgeKind::simple, EdgeKind::simple};
  request.openings = {{5, 4, 6.5, 5}};
  request.points = {{2.7, 1.3}};
  for (const LoadRequest& load : loads) {
    request.points.push_back({load.x, load.y});
    request.points.push_back({load.x1, load.y1});
  }
  PlateModel model = generate_plate(request).model;
  model.elastic_modulus_gpa = 30;
  model.poisson_ratio = 0.2f;
  model.thickness = 0.2f;
  return model;
}

double total_force(const LoadCase& load_case) {
  double total = 0;
  for (const PlateLoad& load : load_case.loads) {
    EXPECT_EQ(load.type, 1);
    total += load.values[0];
  }
  return total;
}

TEST(AreaLoads, NodalLoadsAddUpToTheLoadOnTheElements) {
  const struct {
    const char* what;
    LoadRequest load;
    double total;  // kN, by hand: load times the area or length that elements cover
  } rows[] = {
      {"patch over the whole plate", {Kind::patch, 0, 0, -10, 8, 6}, -10 * (48 - 1.5)},
      {"patch over part of the plate", {Kind::patch, 1, 0.5, -4, 3.5, 2}, -4 * 2.5 * 1.5},
      {"patch over the opening and beyond", {Kind::patch, 4, 3, -2, 7, 6}, -2 * (9 - 1.5)},
      {"line along x", {Kind::line, 0.5, 2.2, -5, 7.5, 2.2}, -5 * 7.0},
      {"line along y", {Kind::line, 3.1, 0, 6, 3.1, 6}, 6 * 6.0},
      {"line on the opening's side", {Kind::line, 5, 4, -3, 6.5, 4}, -3 * 1.5},
      {"line across the opening", {Kind::line, 4, 4.5, -3, 7, 4.5}, -3 * (3 - 1.5)},
  };
  for (const auto& row : rows) {
    PlateModel model = uneven_plate({row.load});
    add_load_cases(model, {{row.load}});
    std::set<int> nodes;
    for (const PlateLoad& load : model.load_cases[0].loads) {
      EXPECT_TRUE(nodes.insert(load.node).second) << row.what << ": node " << load.node << " twice";
    }
    EXPECT_NEAR(total_force(model.load_cases[0]), row.total, 1e-5 * std::abs(row.total))
        << row.what;
  }
}

const LoadCaseResults& results_of(const AnalysisOutcome& outcome) {
  static const LoadCaseResults none;
  const auto* results = std::get_if<AnalysisResults>(&outcome);
  EXPECT_NE(results, nullptr);
  return results == nullptr ? none : results->cases[0];
}

// A patch over the whole plate is the distributed load: the program's own type 2 load, formed
// from the same element integrals, deflects the plate alike at every node.
TEST(AreaLoads, APatchOverThePlateDeflectsItAsTheDistributedLoad) {
  const LoadRequest patch{Kind::patch, 0, 0, -10, 8, 6};
  PlateModel nodal = uneven_plate({patch});
  PlateModel distributed = nodal;
  ASSERT_LE(nodal.nodes.size(), 80u);  // one nodal load per node, within the program's limit
  add_load_cases(nodal, {{patch}});
  add_load_cases(distributed, {{{Kind::uniform, 0, 0, -10}}});
  const AnalysisOutcome nodal_outcome = analyse_plate_model(nodal);
  const AnalysisOutcome distributed_outcome = analyse_plate_model(distributed);
  const LoadCaseResults& by_nodes = results_of(nodal_outcome);
  const LoadCaseResults& by_load = results_of(distributed_outcome);
  ASSERT_EQ(by_nodes.nodes.size(), by_load.nodes.size());
  double largest = 0;
  for (const NodeDisplacement& node : by_load.nodes) {
    largest = std::max(largest, std::abs(node.w));
  }
  ASSERT_GT(largest, 0);
  for (std::size_t n = 0; n < by_load.nodes.size(); ++n) {
    EXPECT_NEAR(by_nodes.nodes[n].w, by_load.nodes[n].w, 1e-6 * largest) << "node " << n + 1;
  }
}

TEST(AreaLoads, SelfWeightIsTheWeightOfTheThicknessDown) {
  PlateModel model = uneven_plate({});
  add_load_cases(model, {{{Kind::self_weight, 0, 0, -25}}});  // +w up: gravity is -w
  ASSERT_EQ(model.load_cases[0].loads.size(), 1u);
  EXPECT_EQ(model.load_cases[0].loads[0].type, 2);
  EXPECT_FLOAT_EQ(model.load_cases[0].loads[0].values[0], -25 * 0.2f);
}

TEST(AreaLoads, LoadsOnNoElementAreRefused) {
  PlateModel model = uneven_plate({});
  EXPECT_THROW(add_load_cases(model, {{{Kind::patch, 5, 4, -1, 6.5, 5}}}), MeshingError);
  EXPECT_THROW(add_load_cases(model, {{{Kind::line, 5.5, 4, -1, 5.5, 5}}}), MeshingError);
}

// A case beyond the 80 loads the program takes keeps one nodal load per node, the sums of those
// that shared it, in the order of the nodes' first loads; a case within the limit is left alone.
TEST(AreaLoads, CrowdedCasesAreMergedNodeByNode) {
  const auto nodal = [](int node, float force) {
    PlateLoad load;
    load.type = 1;
    load.node = node;
    load.values[0] = force;
    return load;
  };
  PlateModel model;
  LoadCase crowded;
  for (int k = 0; k < 81; ++k) {
    crowded.loads.push_back(nodal(k % 40 + 1, 1.0f + static_cast<float>(k / 40)));
  }
  crowded.loads.insert(crowded.loads.begin() + 1, PlateLoad{2, 0, {-10}});
  LoadCase within;
  within.loads = {nodal(3, 1), nodal(3, 2)};
  model.load_cases = {crowded, within};
  merge_crowded_cases(model);
  const std::vector<PlateLoad>& merged = model.load_cases[0].loads;
  ASSERT_EQ(merged.size(), 41u);
  EXPECT_EQ(merged[1].type, 2);
  EXPECT_EQ(merged[0].node, 1);
  EXPECT_FLOAT_EQ(merged[0].values[0], 1 + 2 + 3);  // loads 1, 41 and 81
  EXPECT_EQ(merged[2].node, 2);
  EXPECT_FLOAT_EQ(merged[2].values[0], 1 + 2);
  EXPECT_EQ(loaded_node_count(model.load_cases[0]), 40u);
  EXPECT_EQ(model.load_cases[1].loads.size(), 2u);
}

}  // namespace
}  // namespace lajefem::meshing
