// The element's checkerboard held but soft: slabs on point columns with an even bay, and quarter
// models with symmetry lines at mid-bay, are errors in the check and carry the pattern in their
// computed deflections; the sound meshes of the same slabs, generated plates of every edge kind
// and column layout are not flagged.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "analysis/analysis.hpp"
#include "checking/mechanism_modes.hpp"
#include "checking/mechanisms.hpp"
#include "checking/model_check.hpp"
#include "meshing/plate_generator.hpp"
#include "plate_files.hpp"
#include "tests/common/plate_grid.hpp"

namespace lajefem {
namespace {

using test::grid_model;

// Grid lines over bays of 6 m, counts[k] elements in bay k.
std::vector<float> bay_lines(const std::vector<int>& counts) {
  std::vector<float> lines{0};
  for (std::size_t bay = 0; bay < counts.size(); ++bay) {
    for (int k = 1; k <= counts[bay]; ++k) {
      lines.push_back(6.0f * (static_cast<float>(bay) + static_cast<float>(k) / counts[bay]));
    }
  }
  return lines;
}

int node_at(const std::vector<float>& lines, float x, float y) {
  const auto index = [&lines](float v) {
    return static_cast<int>(std::find(lines.begin(), lines.end(), v) - lines.begin());
  };
  return index(y) * static_cast<int>(lines.size()) + index(x) + 1;
}

void give_material_and_load(PlateModel& model) {
  model.title = "LAJE";
  test::give_slab_material_and_load(model);
  model.results_name = "laje.res";
}

// Square bays of 6 m on columns (w held) at every bay corner, the same counts along x and y.
PlateModel slab_on_columns(const std::vector<int>& counts) {
  const std::vector<float> lines = bay_lines(counts);
  PlateModel model = grid_model(lines, lines);
  give_material_and_load(model);
  for (std::size_t j = 0; j <= counts.size(); ++j) {
    for (std::size_t i = 0; i <= counts.size(); ++i) {
      model.supports.push_back(
          {node_at(lines, 6.0f * static_cast<float>(i), 6.0f * static_cast<float>(j)), 1e6f, 0, 0});
    }
  }
  return model;
}

// A quarter of a slab of 3 × 3 bays: a whole bay of `whole` elements and half a bay of `half`
// up to symmetry lines x = 9 and y = 9, where the slope across the line is held.
PlateModel quarter_slab(int whole, int half) {
  std::vector<float> lines = bay_lines({whole});
  for (int k = 1; k <= half; ++k) {
    lines.push_back(6.0f + 3.0f * static_cast<float>(k) / static_cast<float>(half));
  }
  PlateModel model = grid_model(lines, lines);
  give_material_and_load(model);
  for (const float y : {0.0f, 6.0f}) {
    for (const float x : {0.0f, 6.0f}) {
      model.supports.push_back({node_at(lines, x, y), 1e6f, 0, 0});
    }
  }
  for (const float v : lines) {
    const bool corner = v == lines.back();
    model.supports.push_back({node_at(lines, lines.back(), v), 0, 1e6f, corner ? 1e6f : 0});
    if (!corner) {
      model.supports.push_back({node_at(lines, v, lines.back()), 0, 0, 1e6f});
    }
  }
  return model;
}

std::vector<Finding> mechanism_findings(const PlateModel& model) {
  const StiffnessOutcome stiffness = assemble_model_stiffness(model);
  return find_mechanisms(model, std::get<std::vector<double>>(stiffness));
}

bool has_code(const Findings& findings, const std::string& code) {
  return std::any_of(findings.begin(), findings.end(),
                     [&code](const Finding& f) { return f.code == code; });
}

struct SlabCase {
  const char* layout;
  PlateModel model;
  bool soft;
};

// Each part's scaled stiffness with its rotations condensed out, on a part with a free
// checkerboard, one with a soft one, a sound one and a free plate.
struct CondensedPart {
  std::size_t nodes;
  Eigen::MatrixXd scaled;
  CondensedStiffness condensed;
};

std::vector<CondensedPart> condensed_parts() {
  PlateModel free_plate = slab_on_columns({4});
  free_plate.supports.clear();
  const PlateModel models[] = {slab_on_columns({4, 4}), slab_on_columns({5, 4, 5}),
                               slab_on_columns({5, 5, 5}), free_plate};
  std::vector<CondensedPart> parts;
  for (const PlateModel& model : models) {
    const std::vector<double> k = std::get<std::vector<double>>(assemble_model_stiffness(model));
    const int equations = static_cast<int>(3 * model.nodes.size());
    const std::vector<int> weak = local_freedoms(k, equations);
    for (const PlatePart& part : plate_parts(model)) {
      const PartFreedoms freedoms = part_freedoms(model, part, weak, equations);
      Eigen::VectorXd scale;
      Eigen::MatrixXd scaled = scaled_stiffness(k, equations, freedoms, scale);
      CondensedStiffness condensed = condensed_stiffness(scaled, freedoms);
      parts.push_back({model.nodes.size(), std::move(scaled), std::move(condensed)});
    }
  }
  return parts;
}

// The condensation through the sparse factor of the rotations against the dense formula
// Kww − Kwθ·Kθθ⁻¹·Kθw, and the rotations that follow w against −Kθθ⁻¹·Kθw·w.
TEST(SoftPatterns, CondensedStiffnessIsTheDenseSchurComplement) {
  for (const CondensedPart& part : condensed_parts()) {
    const CondensedStiffness& condensed = part.condensed;
    ASSERT_TRUE(condensed.formed) << part.nodes;
    const Eigen::MatrixXd& a = part.scaled;
    const Eigen::LLT<Eigen::MatrixXd> rotations(a(condensed.theta, condensed.theta));
    const Eigen::MatrixXd coupling = rotations.solve(a(condensed.theta, condensed.w));
    const Eigen::MatrixXd dense =
        a(condensed.w, condensed.w) - a(condensed.w, condensed.theta) * coupling;
    EXPECT_LT((condensed.matrix - dense).cwiseAbs().maxCoeff(), 1e-12) << part.nodes;
    EXPECT_TRUE(condensed.matrix == condensed.matrix.transpose()) << part.nodes;
    const Eigen::MatrixXd w =
        Eigen::MatrixXd::Random(static_cast<Eigen::Index>(condensed.w.size()), 3);
    EXPECT_LT((condensed.following_rotations(w) + coupling * w).cwiseAbs().maxCoeff(),
              1e-10 * (coupling * w).cwiseAbs().maxCoeff())
        << part.nodes;
  }
}

// The null space's test takes the eigenvalues of the condensed stiffness alone and the vectors
// only when some are zero: the values must be the very ones the solve with vectors gives.
TEST(SoftPatterns, EigenvaluesAloneAreThoseOfTheSolveWithVectors) {
  for (const CondensedPart& part : condensed_parts()) {
    ASSERT_TRUE(part.condensed.formed);
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> alone(part.condensed.matrix,
                                                               Eigen::EigenvaluesOnly);
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> with_vectors(part.condensed.matrix);
    EXPECT_TRUE(alone.eigenvalues() == with_vectors.eigenvalues()) << part.nodes;
  }
}

TEST(SoftPatterns, EvenBaysAndMirroredHalfBaysAreFoundAndSoundMeshesAreNot) {
  const std::vector<SlabCase> cases{
      {"3 x 3 bays, 5 + 4 + 5 elements", slab_on_columns({5, 4, 5}), true},
      {"3 x 3 bays, 5 + 5 + 5 elements", slab_on_columns({5, 5, 5}), false},
      {"2 x 2 bays, 5 + 4 elements", slab_on_columns({5, 4}), true},
      {"2 x 2 bays, 5 + 5 elements", slab_on_columns({5, 5}), false},
      {"3 x 3 bays, 5 + 6 + 5 elements", slab_on_columns({5, 6, 5}), true},
      {"3 x 3 bays, 3 + 3 + 3 elements", slab_on_columns({3, 3, 3}), false},
      {"2 x 2 bays, 7 + 7 elements", slab_on_columns({7, 7}), false},
      {"quarter, 5 + 2 to the symmetry lines", quarter_slab(5, 2), true},
      {"quarter, 5 + 3 to the symmetry lines", quarter_slab(5, 3), true},
  };
  for (const SlabCase& c : cases) {
    std::istringstream data(test::data_file_text(c.model));
    const Findings findings = check_data_file(data, ::testing::TempDir() + "laje");
    EXPECT_EQ(has_code(findings, "mechanism-soft-spurious"), c.soft) << c.layout;
    EXPECT_EQ(has_errors(findings), c.soft) << c.layout;
  }
}

TEST(SoftPatterns, FindingNamesTheEvenBayOrTheSymmetryLinesAndTheMeasure) {
  // 2 × 2 bays of 5 + 4 elements: 10 lines a side; the columns of the second bay's ends at
  // x = 6 and x = 12 stand 4 elements apart.
  const Findings slab = mechanism_findings(slab_on_columns({5, 4}));
  ASSERT_EQ(slab.size(), 1u);
  EXPECT_EQ(slab[0].severity, Severity::error);
  EXPECT_NE(slab[0].message.find("an even number of elements lies between the neighbouring "
                                 "point supports at nodes 6 and 10"),
            std::string::npos)
      << slab[0].message;
  EXPECT_NE(slab[0].message.find("(flagged above 150;"), std::string::npos);
  const Findings quarter = mechanism_findings(quarter_slab(5, 2));
  ASSERT_EQ(quarter.size(), 1u);
  EXPECT_NE(quarter[0].message.find("are symmetry lines"), std::string::npos);
  EXPECT_NE(explain_soft_spurious(quarter_slab(5, 2)).find("soft"), std::string::npos);
  EXPECT_EQ(explain_soft_spurious(slab_on_columns({5, 5})), "");
}

// The measure of the computed deflection: the even bay's stores a small fraction of what its
// patterns would cost; the sound mesh's is smooth (below 1).
TEST(SoftPatterns, ComputedDeflectionOfTheEvenBayIsPatterned) {
  const auto measure = [](const PlateModel& model) {
    return solution_pattern_measure(model, std::get<AnalysisResults>(analyse_plate_model(model)));
  };
  EXPECT_GT(measure(slab_on_columns({5, 4, 5})), 100);
  EXPECT_LT(measure(slab_on_columns({5, 5, 5})), 1);
}

// A plate of A × B m with at least nx × ny elements, its edges and point columns.
meshing::PlateRequest plate_request(double a, double b, int nx, int ny,
                                    const std::array<meshing::EdgeKind, 4>& edges,
                                    const std::vector<meshing::PlanPoint>& columns) {
  meshing::PlateRequest request;
  request.length_x = a;
  request.length_y = b;
  request.least_nx = nx;
  request.least_ny = ny;
  request.edges = edges;
  request.columns = columns;
  return request;
}

// Every edge kind on each side of a 6 m × 4 m plate (the layouts the generator accepts), and
// column layouts on free edges: none leaves the pattern soft.
TEST(SoftPatterns, GeneratedPlatesAreNotFlagged) {
  using meshing::EdgeKind;
  const EdgeKind kinds[4] = {EdgeKind::free, EdgeKind::simple, EdgeKind::hard, EdgeKind::clamped};
  std::vector<meshing::PlateRequest> requests;
  for (int code = 0; code < 256; ++code) {
    meshing::PlateRequest request = plate_request(6, 4, 6, 4, {}, {});
    for (int side = 0; side < 4; ++side) {
      request.edges[side] = kinds[(code >> (2 * side)) % 4];
    }
    if (meshing::holds_rigid_motions(request)) {
      requests.push_back(request);
    }
  }
  const std::array<EdgeKind, 4> free{};
  requests.push_back(plate_request(6, 6, 5, 5, free, {{0, 0}, {6, 0}, {0, 6}, {6, 6}}));
  requests.push_back(
      plate_request(12, 12, 10, 10, free, {{0, 0}, {6, 0}, {12, 0}, {0, 12}, {6, 12}, {12, 12}}));
  requests.push_back(plate_request(
      12, 8, 10, 8, {EdgeKind::simple, EdgeKind::free, EdgeKind::free, EdgeKind::free},
      {{6, 4}, {12, 8}}));
  requests.push_back(
      plate_request(10, 6, 9, 5, {EdgeKind::free, EdgeKind::simple, EdgeKind::free, EdgeKind::free},
                    {{0, 0}, {0, 6}, {5, 3}}));
  ASSERT_GT(requests.size(), 100u);
  for (const meshing::PlateRequest& request : requests) {
    PlateModel model = meshing::generate_plate(request).model;
    give_material_and_load(model);
    EXPECT_FALSE(has_code(mechanism_findings(model), "mechanism-soft-spurious"))
        << static_cast<int>(request.edges[0]) << static_cast<int>(request.edges[1])
        << static_cast<int>(request.edges[2]) << static_cast<int>(request.edges[3]) << ", "
        << request.columns.size() << " columns";
  }
}

}  // namespace
}  // namespace lajefem
