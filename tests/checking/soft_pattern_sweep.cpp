// Prints, for each data file named, the two measures of the element's spurious pattern
// (checking/soft_patterns.hpp): the check's, under a uniform pressure, and the largest over the
// computed load cases; "-" where the model cannot be read, assembled or analysed.
// bench/soft_pattern_sweep.sh runs it over the calibration models.
#include <chrono>
#include <fstream>
#include <iostream>
#include <variant>

#include "analysis/analysis.hpp"
#include "checking/mechanisms.hpp"
#include "checking/soft_patterns.hpp"

namespace {

void print_measures(const char* file) {
  std::ifstream data(file, std::ios::binary);
  const lajefem::ModelReading reading = lajefem::read_plate_model(data);
  std::cout << file;
  const auto* model = std::get_if<lajefem::PlateModel>(&reading);
  if (model == nullptr || model->elements.empty()) {
    std::cout << " - -\n";
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  const lajefem::StiffnessOutcome stiffness = lajefem::assemble_model_stiffness(*model);
  const auto* matrix = std::get_if<std::vector<double>>(&stiffness);
  std::cout << ' ';
  if (matrix == nullptr) {
    std::cout << '-';
  } else {
    std::cout << lajefem::soft_pattern_measure(*model, *matrix);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const lajefem::AnalysisOutcome outcome = lajefem::analyse_plate_model(*model);
  const auto* results = std::get_if<lajefem::AnalysisResults>(&outcome);
  std::cout << ' ';
  if (results == nullptr) {
    std::cout << '-';
  } else {
    std::cout << (matrix == nullptr ? -1.0
                                    : lajefem::solution_pattern_ratio(*model, *matrix, *results));
  }
  std::cout << ' ' << model->nodes.size() << " nodes " << seconds << " s\n";
}

}  // namespace

int main(int argc, char** argv) {
  for (int k = 1; k < argc; ++k) {
    print_measures(argv[k]);
  }
  return 0;
}
