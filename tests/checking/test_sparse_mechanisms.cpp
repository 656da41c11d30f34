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

void expect_close(double sparse, double dense, const std::string& what) {
  EXPECT_LE(std::fabs(sparse - dense), 1e-8 * std::fabs(dense)) << what << ": " << sparse
                                                                << " against " << dense;
}

// The findings and measures of both engines on one model within the store's limits; false when
// the program's steps cannot form its stiffness or there is none (a model without nodes).
bool compare_engines(const PlateModel& model, const std::string& what) {
  const StiffnessOutcome dense = assemble_model_stiffness(model);
  const auto* k = std::get_if<std::vector<double>>(&dense);
  if (model.nodes.empty() || k == nullptr || sparse::element_stop(model)) {
    return false;
  }
  const UpperMatrix stiffness = model_sparse_stiffness(model);
  const Findings found = find_mechanisms(model, *k);
  EXPECT_EQ(findings_text(find_mechanisms(model, stiffness)), findings_text(found)) << what;
  // The measure of a part that moves freely is none.
  if (std::any_of(found.begin(), found.end(), [](const Finding& f) {
        return f.code != "mechanism-soft-spurious";
      })) {
    return true;
  }
  expect_close(soft_pattern_measure(model, stiffness), soft_pattern_measure(model, *k),
               what + ", soft pattern");
  const AnalysisOutcome outcome = analyse_plate_model(model);
  if (const auto* results = std::get_if<AnalysisResults>(&outcome)) {
    expect_close(solution_pattern_ratio(model, stiffness, *results),
                 solution_pattern_ratio(model, *k, *results), what + ", computed deflection");
  }
  return true;
}

PlateModel model_of_file(const fs::path& path) {
  std::ifstream data(path, std::ios::binary);
  ModelReading reading = read_plate_model(data);
  return std::holds_alternative<PlateModel>(reading) ? std::get<PlateModel>(std::move(reading))
                                                     : PlateModel();
}

TEST(SparseMechanisms, AgreeWithTheDenseCheckOnTheExamplesAndTheCorpus) {
  int compared = 0;
  for (const char* name : {"placa1", "d01", "apoiada", "encastrada", "pilares", "distorcida"}) {
    compared += compare_engines(
        model_of_file(fs::path(LAJEFEM_SOURCE_DIR) / "examples" / name),
        name);
  }
  const fs::path corpus = fs::path(LAJEFEM_REFERENCE_RUNS) / "corpus";
  if (fs::is_directory(corpus)) {
    for (const auto& entry : fs::directory_iterator(corpus)) {
      const std::string name = entry.path().filename().string();
      compared += compare_engines(model_of_file(entry.path() / (name + ".dat")), name);
    }
  }
  EXPECT_GT(compared, 6);
}

}  // namespace
}  // namespace lajefem
