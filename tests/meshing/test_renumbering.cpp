// Renumbering: a permutation never worse than the file's numbering, every reference moved with
// the nodes, the same displacements at the same points.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "analysis/analysis.hpp"
#include "meshing/plate_generator.hpp"
#include "meshing/renumbering.hpp"

namespace lajefem::meshing {
namespace {

// A plate on two opposite edges with point loads, numbered across its shorter side.
PlateModel plate(int nx, int ny) {
  PlateRequest request;
  request.length_x = nx;
  request.length_y = ny;
  request.least_nx = nx;
  request.least_ny = ny;
  request.edges = {EdgeKind::simple, EdgeKind::free, EdgeKind::hard, EdgeKind::free};
  PlateModel model = generate_plate(request).model;
  model.elastic_modulus_gpa = 30;
  model.poisson_ratio = 0.2f;
  model.thickness = 0.2f;
  model.load_cases = {{{{2, 0, {-10}}, {1, 1, {-50}}}}, {{{1, 2, {-5, 1, 2}}}}};
  return model;
}

// The same plate with its nodes numbered at random.
PlateModel shuffled_plate(int nx, int ny, std::mt19937& random) {
  const PlateModel model = plate(nx, ny);
  Numbering numbering(model.nodes.size());
  std::iota(numbering.begin(), numbering.end(), 1);
  std::shuffle(numbering.begin(), numbering.end(), random);
  return renumbered(model, numbering);
}

bool is_permutation_of_all_nodes(const Numbering& numbering) {
  Numbering sorted = numbering;
  std::sort(sorted.begin(), sorted.end());
  for (std::size_t k = 0; k < sorted.size(); ++k) {
    if (sorted[k] != static_cast<int>(k) + 1) {
      return false;
    }
  }
  return true;
}

TEST(Renumbering, PermutationNeverWorseThanTheFile) {
  std::mt19937 random(7);
  for (const auto& [nx, ny] : {std::pair{4, 4}, {9, 9}, {10, 20}, {37, 6}, {9, 1}, {1, 9}}) {
    PlateModel model = shuffled_plate(nx, ny, random);
    for (int pass = 0; pass < 2; ++pass) {
      const NumberingChoice choice = best_numbering(model);
      ASSERT_TRUE(is_permutation_of_all_nodes(choice.numbering));
      EXPECT_EQ(choice.half_bandwidth_before, model_half_bandwidth(model));
      EXPECT_LE(choice.half_bandwidth_after, choice.half_bandwidth_before);
      EXPECT_EQ(numbering_half_bandwidth(model, choice.numbering), choice.half_bandwidth_after);
      EXPECT_EQ(choice.half_bandwidth_after, 3 * std::min(nx, ny) + 9) << nx << " x " << ny;
      model = renumbered(model, choice.numbering);  // the second pass starts from the best
    }
  }
}

TEST(Renumbering, StripGivesSpreadThree) {
  std::mt19937 random(3);
  const PlateModel strip = shuffled_plate(1, 30, random);
  EXPECT_EQ(model_half_bandwidth(renumbered(strip, reverse_cuthill_mckee(strip, 0))), 12);
}

TEST(Renumbering, SameDisplacementsAtTheSamePoints) {
  const PlateModel rows = plate(8, 5);
  const PlateModel original = renumbered(rows, reverse_cuthill_mckee(rows, 0));
  const NumberingChoice choice = best_numbering(original);
  ASSERT_LT(choice.half_bandwidth_after, choice.half_bandwidth_before);
  const PlateModel model = renumbered(original, choice.numbering);
  const auto before = analyse_plate_model(original);
  const auto after = analyse_plate_model(model);
  ASSERT_TRUE(std::holds_alternative<AnalysisResults>(before));
  ASSERT_TRUE(std::holds_alternative<AnalysisResults>(after));
  const auto& a = std::get<AnalysisResults>(before);
  const auto& b = std::get<AnalysisResults>(after);
  for (std::size_t c = 0; c < a.cases.size(); ++c) {
    for (std::size_t old = 0; old < original.nodes.size(); ++old) {
      const std::size_t now = static_cast<std::size_t>(choice.numbering[old]) - 1;
      EXPECT_EQ(model.nodes[now].x, original.nodes[old].x);
      const NodeDisplacement& p = a.cases[c].nodes[old];
      const NodeDisplacement& q = b.cases[c].nodes[now];
      EXPECT_NEAR(q.w, p.w, 1e-9 * (1 + std::abs(p.w)));
      EXPECT_NEAR(q.theta_x, p.theta_x, 1e-9 * (1 + std::abs(p.theta_x)));
      EXPECT_NEAR(q.theta_y, p.theta_y, 1e-9 * (1 + std::abs(p.theta_y)));
    }
    for (std::size_t s = 0; s < original.supports.size(); ++s) {
      EXPECT_NEAR(b.cases[c].supports[s].force_w, a.cases[c].supports[s].force_w,
                  1e-4 * (1 + std::abs(a.cases[c].supports[s].force_w)));
    }
  }
}

}  // namespace
}  // namespace lajefem::meshing
