// Whole runs against the classical thin-plate values for square plates under a uniform load.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "tests/run/plate_data.hpp"
#include "tests/run/run_harness.hpp"

namespace lajefem {
namespace {

using testing::PlateData;

constexpr double side = 10.0;       // m
constexpr double thickness = 0.1;   // m: side / thickness = 100, a thin plate
constexpr double modulus = 30.0e6;  // kN/m²
constexpr double poisson = 0.3;
constexpr double load = 10.0;  // kN/m²
constexpr int divisions = 14;  // the finest full square whose 56 edge nodes fit in 60 supports

double flexural_rigidity() {
  return modulus * thickness * thickness * thickness / (12.0 * (1.0 - poisson * poisson));
}

PlateData square_plate(bool clamped, int mesh_divisions = divisions) {
  PlateData plate;
  plate.modulus_gpa = modulus / 1.0e6;
  plate.poisson = poisson;
  plate.thickness = thickness;
  plate.nx = plate.ny = mesh_divisions;
  plate.lx = plate.ly = side;
  plate.supports = testing::edge_supports(plate, clamped);
  plate.cases = {{{2, 0, {load}}}};
  return plate;
}

testing::RunResult run_plate(const PlateData& plate, std::string& report) {
  testing::TempFolder folder;
  folder.write("placa", testing::plate_data_text(plate));
  const testing::RunResult run = testing::run_in(folder, "placa\n");
  EXPECT_EQ(run.status, 0);
  report = folder.read(plate.results_name);
  return run;
}

std::string run_report(const PlateData& plate) {
  std::string report;
  run_plate(plate, report);
  return report;
}

// Displacement of equation in load case 1, from the displacement table of the log.
double log_displacement(const std::string& log, int equation) {
  std::istringstream in(log.substr(log.find("Deslocamentos Nodais")));
  for (std::string line; std::getline(in, line);) {
    int i = 0;
    double value = 0.0;
    if (std::sscanf(line.c_str(), "%d %lf", &i, &value) == 2 && i == equation) {
      return value;
    }
  }
  ADD_FAILURE() << "equation " << equation << " not in the log";
  return 0.0;
}

// w (mm) of node in load case 1, from the nodal displacement table.
double report_deflection(const std::string& report, int node) {
  std::istringstream in(report.substr(report.find("DESLOCAMENTOS NODAIS GLOBAIS")));
  for (std::string line; std::getline(in, line);) {
    int c = 0, n = 0;
    double w = 0.0;
    if (std::sscanf(line.c_str(), "%d %d %lf", &c, &n, &w) == 3 && c == 1 && n == node) {
      return w;
    }
  }
  ADD_FAILURE() << "node " << node << " not in the report";
  return 0.0;
}

// Resultant type (1 = Mx) of element at Gauss point (1..4), load case 1.
double report_resultant(const std::string& report, int element, int type, int point) {
  std::istringstream in(report.substr(report.find("CASO DE CARGA")));
  for (std::string line; std::getline(in, line);) {
    int e = 0, t = 0;
    double values[4];
    if (std::sscanf(line.c_str(), "%d %d %lf %lf %lf %lf", &e, &t, &values[0], &values[1],
                    &values[2], &values[3]) == 6 &&
        e == element && t == type) {
      return values[point - 1];
    }
  }
  ADD_FAILURE() << "element " << element << " not in the report";
  return 0.0;
}

const int centre_node = testing::grid_node(square_plate(false), divisions / 2, divisions / 2);
// The element below and left of the centre: its Gauss point 3 is the one nearest the centre.
const int centre_element = (divisions / 2 - 1) * divisions + divisions / 2;

TEST(PlateTheory, SimplySupportedSquareUnderUniformLoad) {
  const std::string report = run_report(square_plate(false));
  const double deflection = report_deflection(report, centre_node) / 1000.0;
  const double thin_plate = 0.00406 * load * side * side * side * side / flexural_rigidity();
  EXPECT_NEAR(deflection / thin_plate, 1.0, 0.015) << deflection << " m";
  const double moment = report_resultant(report, centre_element, 1, 3);
  const double thin_plate_moment = 0.0479 * load * side * side;
  EXPECT_NEAR(moment / thin_plate_moment, 1.0, 0.03) << moment << " kN·m/m";
}

TEST(PlateTheory, CoarseSimplySupportedSquareInTheLog) {
  const PlateData plate = square_plate(false, 8);
  std::string report;
  const testing::RunResult run = run_plate(plate, report);
  const int centre = testing::grid_node(plate, 4, 4);
  const double deflection = log_displacement(run.log, 3 * centre - 2);
  const double thin_plate = 0.00406 * load * side * side * side * side / flexural_rigidity();
  EXPECT_NEAR(deflection / thin_plate, 1.0, 0.03) << deflection << " m";
}

TEST(PlateTheory, ClampedSquareUnderUniformLoad) {
  const std::string report = run_report(square_plate(true));
  const double deflection = report_deflection(report, centre_node) / 1000.0;
  const double thin_plate = 0.00126 * load * side * side * side * side / flexural_rigidity();
  EXPECT_NEAR(deflection / thin_plate, 1.0, 0.01) << deflection << " m";
}

}  // namespace
}  // namespace lajefem
