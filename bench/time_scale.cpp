// Times the companion's path at scale without the data file: a simply supported square plate of
// n × n nodes as generate meshes it (10 m, 0.2 m thick), four uniform load cases, the sparse
// engine, the result fields and the export's writers, each phase timed, with the factorisation's
// flop count and rate and the peak memory. Usage: time_scale N [vtu,svg,csv] [FOLDER]; e.g.
// time_scale 316 vtu /tmp/scale. Also times the text and binary forms of one case's grid.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <variant>
#include <vector>

#include "bench/bench_clock.hpp"
#include "files/run_files.hpp"
#include "meshing/model_loads.hpp"
#include "meshing/plate_generator.hpp"
#include "postprocessing/export_files.hpp"
#include "postprocessing/result_fields.hpp"
#include "postprocessing/vtu_appended.hpp"
#include "postprocessing/vtu_writer.hpp"
#include "sparse/cholmod_factor.hpp"
#include "sparse/sparse_analysis.hpp"
#include "sparse/sparse_assembly.hpp"
#include "sparse/stiffness_pattern.hpp"

namespace {

using namespace lajefem;
using bench::Clock;
using bench::peak_mebibytes;
using bench::seconds_since;
namespace fs = std::filesystem;

PlateModel generated_square(int nodes_per_side) {
  meshing::PlateRequest request;
  request.length_x = 10;
  request.length_y = 10;
  request.least_nx = nodes_per_side - 1;
  request.least_ny = nodes_per_side - 1;
  request.edges.fill(meshing::EdgeKind::simple);
  PlateModel model = meshing::generate_plate(request).model;
  model.elastic_modulus_gpa = 30;
  model.poisson_ratio = 0.2f;
  model.thickness = 0.2f;
  using Kind = meshing::LoadRequest::Kind;
  meshing::add_load_cases(model, {{{Kind::uniform, 0, 0, -1}},
                                  {{Kind::uniform, 0, 0, -5}},
                                  {{Kind::point, 5, 5, -10}},
                                  {{Kind::uniform, 0, 0, -2}, {Kind::point, 2.5, 2.5, -20}}});
  return model;
}

ExportKinds kinds_of(const std::string& list) {
  return {list.find("vtu") != std::string::npos, list.find("svg") != std::string::npos,
          list.find("csv") != std::string::npos};
}

// Writes the files, each on its own, and the seconds they took.
double write_files(const std::vector<OutputFile>& files, const fs::path& folder) {
  const Clock::time_point start = Clock::now();
  for (const OutputFile& file : files) {
    if (!write_file_atomically(folder / file.name, file.write)) {
      std::fprintf(stderr, "cannot write %s\n", (folder / file.name).c_str());
      std::exit(1);
    }
  }
  return seconds_since(start);
}

// Seconds to write one case's grid in the form `write` gives, and the file's size in MiB.
template <typename Writer>
std::pair<double, double> time_grid(const fs::path& path, Writer write) {
  const Clock::time_point start = Clock::now();
  {
    std::ofstream out(path, std::ios::binary);
    write(out);
  }
  const double seconds = seconds_since(start);
  const double size = static_cast<double>(fs::file_size(path)) / (1024.0 * 1024.0);
  fs::remove(path);
  return {seconds, size};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: time_scale N [vtu,svg,csv] [FOLDER]\n");
    return 2;
  }
  const int n = std::atoi(argv[1]);
  const ExportKinds kinds = kinds_of(argc > 2 ? argv[2] : "vtu");
  const fs::path folder = argc > 3 ? argv[3] : fs::temp_directory_path() / "lajefem-scale";
  fs::create_directories(folder);
  Clock::time_point start = Clock::now();
  const PlateModel model = generated_square(n);
  const double generate_time = seconds_since(start);
  // The phases on their own first, freed before the whole analysis runs them again: the peak
  // memory is the analysis's.
  double assembly_time = 0;
  double flops = 0;
  double ordering_time = 0;
  double factor_time = 0;
  {
    start = Clock::now();
    const sparse::StiffnessPattern pattern = sparse::stiffness_pattern(model);
    const std::vector<double> values = sparse::assembled_stiffness(model, pattern);
    assembly_time = seconds_since(start);
    const sparse::CholeskyFactor factor(pattern, values);
    flops = factor.cost().flops;
    ordering_time = factor.cost().ordering_seconds;
    factor_time = factor.cost().factor_seconds;
  }
  start = Clock::now();
  const AnalysisOutcome outcome = sparse::analyse_plate_model_sparse(model);
  const double analysis_time = seconds_since(start);
  const auto* results = std::get_if<AnalysisResults>(&outcome);
  if (results == nullptr) {
    std::printf("the analysis stopped\n");
    return 1;
  }
  start = Clock::now();
  std::vector<CaseFields> cases;
  const NodalMethod method(model, NodalRecovery::patch);
  for (const LoadCaseResults& result : results->cases) {
    cases.push_back(case_fields(model, result, WDirection::up, method));
  }
  const double fields_time = seconds_since(start);
  const double write_time =
      write_files(export_files(model, cases, {}, "plate", WDirection::up, kinds), folder);
  const auto text = time_grid(
      folder / "text.vtu", [&](std::ostream& out) { write_text_vtu(out, model, cases.front()); });
  const auto binary = time_grid(folder / "binary.vtu", [&](std::ostream& out) {
    write_appended_vtu(out, model, cases.front());
  });
  std::printf(
      "%d x %d nodes (%zu), %zu elements: generate %.2f s, pattern and assembly %.2f s, "
      "ordering %.2f s, factorisation %.2f s (%.3g flop, %.1f GFLOP/s), whole analysis "
      "%.2f s, fields %.2f s, files %.2f s; one case's grid as text %.2f s %.0f MiB, binary "
      "%.2f s %.0f MiB; peak %.0f MiB\n",
      n, n, model.nodes.size(), model.elements.size(), generate_time, assembly_time, ordering_time,
      factor_time, flops, flops / factor_time / 1e9, analysis_time, fields_time, write_time,
      text.first, text.second, binary.first, binary.second, peak_mebibytes());
  return 0;
}
