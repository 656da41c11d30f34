// The mechanism check through the sparse engine against the dense one that it replaces beyond
// the store's limits: the same findings, word for word, and the same soft-pattern measures on
// the examples, the reference corpus and small plates of every mechanism; then the sparse path
// alone on plates of 121 × 121 nodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <variant>

#include "analysis/analysis.hpp"
#include "checking/mechanisms.hpp"
#include "checking/model_check.hpp"
#include "checking/soft_patterns.hpp"
#include "sparse/sparse_assembly.hpp"
#include "tests/common/plate_grid.hpp"

namespace lajefem {
namespace {

namespace fs = std::filesystem;
using test::grid_node;
using test::grid_plate;

std::string findings_text(const Findings& findings) {
  std::string text;
  for (const Finding& f : findings) {
    text += f.code + " n" + std::to_string(f.node) + " e" + std::to_string(f.element) + ": " +
            f.message + "\n";
  }
  return text;
}

// How near the sparse measures must come to the dense ones: to round-off on sound models; on the
// corpus's random models, whose energies cancel in sums over penalty springs of 1e12 (the two
// engines' sums of uᵀ·K·u over the same u already differ by 1e-7), to what a limit of 150 or 1000
// can tell apart.
struct Tolerance {
  double relative = 1e-8;
  double absolute = 0;
};

void expect_close(double sparse, double dense, const Tolerance& tolerance,
                  const std::string& what) {
  EXPECT_LE(std::fabs(sparse - dense), tolerance.relative * std::fabs(dense) + tolerance.absolute)
      << what << ": " << sparse << " against " << dense;
}

std::string codes_text(const Findings& findings) {
  std::string text;
  for (const Finding& f : findings) {
    text += f.code + " ";
  }
  return text;
}

bool has_free_motion(const Findings& findings) {
  return std::any_of(findings.begin(), findings.end(),
                     [](const Finding& f) { return f.code != "mechanism-soft-spurious"; });
}

// The findings and measures of both engines on one model within the store's limits: the words
// too when `words`; false when the program's steps cannot form its stiffness or there is none.
bool compare_engines(const PlateModel& model, const std::string& what, bool words,
                     const Tolerance& tolerance) {
  const StiffnessOutcome dense = assemble_model_stiffness(model);
  const auto* k = std::get_if<std::vector<double>>(&dense);
  if (model.nodes.empty() || k == nullptr || sparse::element_stop(model)) {
    return false;
  }
  const UpperMatrix stiffness = model_sparse_stiffness(model);
  const Findings found = find_mechanisms(model, *k);
  const Findings sparse_found = find_mechanisms(model, stiffness);
  EXPECT_EQ(codes_text(sparse_found), codes_text(found)) << what;
  if (words) {
    EXPECT_EQ(findings_text(sparse_found), findings_text(found)) << what;
  }
  // The measure of a part that moves freely is none.
  if (has_free_motion(found)) {
    return true;
  }
  expect_close(soft_pattern_measure(model, stiffness), soft_pattern_measure(model, *k), tolerance,
               what + ", soft pattern");
  const AnalysisOutcome outcome = analyse_plate_model(model);
  if (const auto* results = std::get_if<AnalysisResults>(&outcome)) {
    expect_close(solution_pattern_ratio(model, stiffness, *results),
                 solution_pattern_ratio(model, *k, *results), tolerance,
                 what + ", computed deflection");
  }
  return true;
}

PlateModel model_of_file(const fs::path& path) {
  std::ifstream data(path, std::ios::binary);
  ModelReading reading = read_plate_model(data);
  return std::holds_alternative<PlateModel>(reading) ? std::get<PlateModel>(std::move(reading))
                                                     : PlateModel();
}

void add_w_support(PlateModel& model, int node) {
  model.supports.push_back({node, 1e6f, 0, 0});
}

// n × n elements over 6 m on w springs at the four corners.
PlateModel corner_columns(int n) {
  PlateModel model = grid_plate(n, n, 6, 6);
  for (const int j : {0, n}) {
    for (const int i : {0, n}) {
      add_w_support(model, grid_node(n, i, j));
    }
  }
  return model;
}

// n × n elements over 6 m, w held along x = 0 (with the slopes too when `clamped`).
PlateModel held_along_one_edge(int n, bool clamped) {
  PlateModel model = grid_plate(n, n, 6, 6);
  for (int j = 0; j <= n; ++j) {
    model.supports.push_back({grid_node(n, 0, j), 1e6f, clamped ? 1e6f : 0, clamped ? 1e6f : 0});
  }
  return model;
}

// n × n elements over 6 m on w springs along the whole boundary.
PlateModel simply_supported(int n) {
  PlateModel model = grid_plate(n, n, 6, 6);
  for (int j = 0; j <= n; ++j) {
    for (int i = 0; i <= n; ++i) {
      if (i == 0 || j == 0 || i == n || j == n) {
        add_w_support(model, grid_node(n, i, j));
      }
    }
  }
  return model;
}

// 2 × 2 bays of 6 m on columns at the bay corners, `first` and `second` elements a bay.
PlateModel two_bays(int first, int second) {
  std::vector<float> lines{0};
  for (const auto& [start, count] : {std::pair{0.0f, first}, std::pair{6.0f, second}}) {
    for (int k = 1; k <= count; ++k) {
      lines.push_back(start + 6.0f * static_cast<float>(k) / static_cast<float>(count));
    }
  }
  PlateModel model = test::grid_model(lines, lines);
  test::give_slab_material_and_load(model);
  const int n = first + second;
  for (const int j : {0, first, n}) {
    for (const int i : {0, first, n}) {
      add_w_support(model, grid_node(n, i, j));
    }
  }
  return model;
}

TEST(SparseMechanisms, AgreeWithTheDenseCheckWordForWordOnTheExamplesAndSmallPlates) {
  for (const char* name : {"placa1", "d01", "apoiada", "encastrada", "pilares", "distorcida"}) {
    EXPECT_TRUE(compare_engines(model_of_file(fs::path(LAJEFEM_SOURCE_DIR) / "examples" / name),
                                name, true, {}));
  }
  const struct {
    const char* layout;
    PlateModel model;
  } plates[] = {
      {"no supports", grid_plate(12, 12, 6, 6)},
      {"6 x 6 on corner columns", corner_columns(6)},
      {"7 x 7 on corner columns", corner_columns(7)},
      {"w held along one edge", held_along_one_edge(8, false)},
      {"cantilever", held_along_one_edge(8, true)},
      {"simply supported", simply_supported(10)},
      {"2 x 2 bays of 5 + 4 (soft)", two_bays(5, 4)},
      {"2 x 2 bays of 5 + 5", two_bays(5, 5)},
  };
  for (const auto& plate : plates) {
    EXPECT_TRUE(compare_engines(plate.model, plate.layout, true, {}));
  }
}

// The random models of the corpus, at every extreme of single precision; r124 (ν = 0.99, a plate
// 49 m thick of elements 1 m wide at 2,440 m from the origin) keeps modes between 1e-12 and
// 1e-11 of its largest, on the null limit itself: the dense condensed matrix holds the
// checkerboard (soft), the sparse one finds it free with a rigid motion.
TEST(SparseMechanisms, AgreeWithTheDenseCheckOverTheCorpus) {
  const fs::path corpus = fs::path(LAJEFEM_REFERENCE_RUNS) / "corpus";
  if (!fs::is_directory(corpus)) {
    GTEST_SKIP() << "no reference corpus at " << corpus;
  }
  int compared = 0;
  for (const auto& entry : fs::directory_iterator(corpus)) {
    const std::string name = entry.path().filename().string();
    if (name != "r124") {
      compared +=
          compare_engines(model_of_file(entry.path() / (name + ".dat")), name, false, {1e-3, 1e-6});
    }
  }
  EXPECT_GT(compared, 100);
}

struct LargePlate {
  const char* layout;
  PlateModel model;
  std::vector<std::string> codes;
  std::vector<std::string> words;  // in the explanation
};

// 120 × 120 elements (14,641 nodes, beyond the store): each mechanism found and explained.
TEST(SparseMechanisms, LargePlatesAreClassifiedAndExplained) {
  const LargePlate plates[] = {
      {"no supports",
       grid_plate(120, 120, 6, 6),
       {"mechanism-rigid", "mechanism-spurious"},
       {"nothing holds the plate against vertical movement", "checkerboard"}},
      {"w held along x = 0",
       held_along_one_edge(120, false),
       {"mechanism-rigid"},
       {"can turn about the line x = 0 (parallel to the y axis"}},
      {"corner columns 120 elements apart",
       corner_columns(120),
       {"mechanism-spurious"},
       {"checkerboard pattern",
        "is free in the plate with supports 1, 2, 3 and 4 (nodes 1, "
        "121, 14521 and 14641)"}},
      {"simply supported", simply_supported(120), {}, {}},
      {"cantilever", held_along_one_edge(120, true), {}, {}},
  };
  for (const LargePlate& plate : plates) {
    const Findings found = find_mechanisms(plate.model, model_sparse_stiffness(plate.model));
    std::vector<std::string> codes;
    for (const Finding& finding : found) {
      codes.push_back(finding.code);
    }
    EXPECT_EQ(codes, plate.codes) << plate.layout;
    const std::string explanation = findings_text(found);
    for (const std::string& words : plate.words) {
      EXPECT_NE(explanation.find(words), std::string::npos) << plate.layout << ": " << explanation;
    }
  }
  // The explanation that export gives of a stop, beyond the store: the sparse engine's.
  EXPECT_NE(explain_mechanisms(corner_columns(120)).find("checkerboard"), std::string::npos);
}

// The soft pattern beyond the store: 2 × 2 bays of 61 + 60 elements hold the checkerboard only by
// the odd bay's columns. The measure grows with the elements that a few columns hold: 61 + 61, on
// columns of both colours, measures 1.7e4 at this size (near 1 at 5 + 5), the even bay 1.6e6.
TEST(SparseMechanisms, LargeSlabsSoftPatternIsMeasured) {
  const double soft = soft_pattern_measure(two_bays(61, 60));
  EXPECT_GT(soft, soft_pattern_limit());
  EXPECT_GT(soft, 50 * soft_pattern_measure(two_bays(61, 61)));
}

struct BeyondStoreCase {
  const char* layout;
  PlateModel model;
  CheckSolver solver;
  std::vector<std::string> codes;  // severity and code
};

std::vector<std::string> severity_codes(const Findings& findings) {
  std::vector<std::string> codes;
  for (const Finding& finding : findings) {
    codes.push_back(std::string(severity_name(finding.severity)) + " " + finding.code);
  }
  return codes;
}

// 20 × 20 elements (441 nodes): lajefem stops on them, the check says so and checks the rest with
// the sparse engine; under the banded solver the limit is an error.
TEST(CheckBeyondTheStore, WarnsOfTheLimitAndChecksTheRestAtItsSize) {
  PlateModel duplicated = simply_supported(20);
  duplicated.supports.push_back(duplicated.supports.front());
  const BeyondStoreCase cases[] = {
      {"simply supported", simply_supported(20), CheckSolver::automatic, {"warning limit"}},
      {"simply supported, banded", simply_supported(20), CheckSolver::banded, {"error limit"}},
      {"corner columns",
       corner_columns(20),
       CheckSolver::sparse,
       {"warning limit", "error mechanism-spurious"}},
      {"no supports",
       grid_plate(20, 20, 6, 6),
       CheckSolver::automatic,
       {"warning limit", "error mechanism-rigid", "error mechanism-spurious"}},
      {"a support twice",
       duplicated,
       CheckSolver::automatic,
       {"warning limit", "note duplicate-support"}},
  };
  for (const BeyondStoreCase& c : cases) {
    const Findings findings =
        check_model_beyond_store(c.model, "441 nodes, above the limit of 300", c.solver);
    EXPECT_EQ(severity_codes(findings), c.codes) << c.layout;
    EXPECT_NE(findings.front().message.find("441 nodes, above the limit of 300"),
              std::string::npos);
  }
  // The global mechanism that the sparse engine's factorisation meets is explained, not repeated.
  const Findings free =
      check_model_beyond_store(grid_plate(20, 20, 6, 6), "441 nodes", CheckSolver::sparse);
  EXPECT_NE(free[1].message.find("run stops with a global mechanism"), std::string::npos);
}

}  // namespace
}  // namespace lajefem
