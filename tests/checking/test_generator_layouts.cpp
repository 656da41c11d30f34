// The generator's refusal of support layouts (its own test of the rigid motions and the
// checkerboard on a grid) against the check's null space of the stiffness: on every layout of
// edge kinds and columns, the generator refuses exactly those that the check finds a mechanism in.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "checking/model_check.hpp"
#include "meshing/data_file_writer.hpp"
#include "meshing/plate_generator.hpp"

namespace lajefem {
namespace {

namespace fs = std::filesystem;

using meshing::EdgeKind;
using meshing::PlanPoint;

// The generated plate as the data file generate writes: 30 GPa, 0.2 m, one uniform load.
std::string data_file_of(const meshing::GeneratedPlate& plate) {
  PlateModel model = plate.model;
  model.title = "LAJE";
  model.results_name = "laje.res";
  model.elastic_modulus_gpa = 30;
  model.poisson_ratio = 0.2f;
  model.thickness = 0.2f;
  model.load_cases = {{{{2, 0, {-10}}}}};
  std::ostringstream text;
  meshing::write_data_file(text, model, meshing::standard_headings("placa", "teste", 1));
  return text.str();
}

bool has_mechanism(const Findings& findings) {
  return std::any_of(findings.begin(), findings.end(), [](const Finding& finding) {
    return finding.severity == Severity::error && finding.code.rfind("mechanism-", 0) == 0;
  });
}

struct Layout {
  std::string edges;
  std::vector<PlanPoint> columns;
};

// Every combination of the four edge kinds on a 6 m square, and sets of columns on free and partly
// held edges: one at the centre or at a corner, two, three in a row, three off a row, the four
// corners.
std::vector<Layout> layouts() {
  std::vector<Layout> all;
  for (int code = 0; code < 4 * 4 * 4 * 4; ++code) {
    std::string letters;
    for (int edge = 0, rest = code; edge < 4; ++edge, rest /= 4) {
      letters += "FSHC"[rest % 4];
    }
    all.push_back({letters, {}});
  }
  const std::vector<std::vector<PlanPoint>> column_sets = {
      {{3, 3}},
      {{0, 0}},
      {{0, 3}, {6, 3}},
      {{0, 0}, {3, 3}, {6, 6}},
      {{0, 0}, {6, 6}, {3, 2}},
      {{0, 0}, {6, 0}, {6, 6}, {0, 6}},
  };
  for (const char* edges : {"FFFF", "SFFF", "FHFF"}) {
    for (const auto& columns : column_sets) {
      all.push_back({edges, columns});
    }
  }
  return all;
}

TEST(GeneratorLayouts, RefusedExactlyWhenTheCheckFindsAMechanism) {
  for (const Layout& layout : layouts()) {
    meshing::PlateRequest request;
    request.length_x = request.length_y = 6.0;
    request.least_nx = request.least_ny = 2;
    for (std::size_t edge = 0; edge < 4; ++edge) {
      request.edges[edge] = static_cast<EdgeKind>(std::string("FSHC").find(layout.edges[edge]));
    }
    request.columns = layout.columns;
    const meshing::GeneratedPlate plate = meshing::generate_plate(request);
    const bool refused =
        !meshing::holds_rigid_motions(request) || !meshing::holds_free_patterns(plate);
    std::istringstream data(data_file_of(plate));
    const fs::path data_file = fs::temp_directory_path() / "layout.dat";
    EXPECT_EQ(has_mechanism(check_data_file(data, data_file)), refused)
        << layout.edges << " on " << layout.columns.size() << " columns, refused: " << refused;
  }
}

}  // namespace
}  // namespace lajefem
