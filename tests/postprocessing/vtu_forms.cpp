// Writes the text and the binary form of every load case's grid of a data file, for the test that
// reads both back with meshio and VTK. Usage: vtu_forms DATAFILE FOLDER.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <variant>

#include "analysis/analysis.hpp"
#include "postprocessing/result_fields.hpp"
#include "postprocessing/vtu_appended.hpp"
#include "postprocessing/vtu_writer.hpp"

int main(int argc, char** argv) {
  using namespace lajefem;
  if (argc != 3) {
    std::fprintf(stderr, "usage: vtu_forms DATAFILE FOLDER\n");
    return 2;
  }
  std::ifstream data(argv[1]);
  const ModelReading reading = read_plate_model(data);
  const auto* model = std::get_if<PlateModel>(&reading);
  const AnalysisOutcome outcome =
      model ? analyse_plate_model(*model) : AnalysisOutcome(std::get<AnalysisStop>(reading));
  const auto* results = std::get_if<AnalysisResults>(&outcome);
  if (results == nullptr) {
    std::fprintf(stderr, "%s: no results\n", argv[1]);
    return 1;
  }
  const std::filesystem::path folder = argv[2];
  for (std::size_t c = 0; c < results->cases.size(); ++c) {
    const CaseFields fields = case_fields(*model, results->cases[c], WDirection::up);
    const std::string stem = "case" + std::to_string(c + 1);
    std::ofstream text(folder / (stem + "-text.vtu"), std::ios::binary);
    write_text_vtu(text, *model, fields);
    std::ofstream binary(folder / (stem + "-binary.vtu"), std::ios::binary);
    write_appended_vtu(binary, *model, fields);
  }
  return 0;
}
