// Data files of rectangular plate meshes for the end-to-end tests, written as an engineer would.
#pragma once

#include <string>
#include <vector>

#include "tests/common/plate_grid.hpp"

namespace lajefem::testing {

struct Support {
  int node;
  double w, theta_x, theta_y;  // GN/m
};

struct Load {
  int type;
  int node;
  std::vector<double> values;
};

struct PlateData {
  std::string title = "'PLACA'";
  double modulus_gpa = 30.0, poisson = 0.2, thickness = 0.2;
  int nx = 2, ny = 2;
  double lx = 4.0, ly = 4.0;
  std::vector<Support> supports;
  std::vector<std::vector<Load>> cases;
  std::string results_name = "placa.res";
};

// Node number of grid point (i, j), i = 0..nx along x, j = 0..ny along y.
inline int grid_node(const PlateData& plate, int i, int j) {
  return test::grid_node(plate.nx, i, j);
}

// Supports on every edge node: w alone (simply supported) or all three (clamped).
inline std::vector<Support> edge_supports(const PlateData& plate, bool clamped) {
  std::vector<Support> supports;
  for (int j = 0; j <= plate.ny; ++j) {
    for (int i = 0; i <= plate.nx; ++i) {
      if (i == 0 || i == plate.nx || j == 0 || j == plate.ny) {
        supports.push_back(
            {grid_node(plate, i, j), 1.0e6, clamped ? 1.0e6 : 0.0, clamped ? 1.0e6 : 0.0});
      }
    }
  }
  return supports;
}

inline std::string number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

inline std::string plate_data_text(const PlateData& plate) {
  const int nodes = (plate.nx + 1) * (plate.ny + 1);
  std::string text = "placa de ensaio\n\n" + plate.title + "\nmaterial\n" +
                     number(plate.modulus_gpa) + " " + number(plate.poisson) + " " +
                     number(plate.thickness) + "\ncontagens\n" + std::to_string(nodes) + " " +
                     std::to_string(plate.nx * plate.ny) + " " +
                     std::to_string(plate.supports.size()) + "\nnos\nno x y\n";
  for (int j = 0; j <= plate.ny; ++j) {
    for (int i = 0; i <= plate.nx; ++i) {
      text += std::to_string(grid_node(plate, i, j)) + " " + number(plate.lx * i / plate.nx) + " " +
              number(plate.ly * j / plate.ny) + "\n";
    }
  }
  text += "elementos\nnum tipo n1 n2 n3 n4\n";
  for (int j = 0; j < plate.ny; ++j) {
    for (int i = 0; i < plate.nx; ++i) {
      text += std::to_string(j * plate.nx + i + 1) + " 1 " +
              std::to_string(grid_node(plate, i, j)) + " " +
              std::to_string(grid_node(plate, i + 1, j)) + " " +
              std::to_string(grid_node(plate, i + 1, j + 1)) + " " +
              std::to_string(grid_node(plate, i, j + 1)) + "\n";
    }
  }
  text += "apoios\nnum no kw ktx kty\n";
  for (std::size_t s = 0; s < plate.supports.size(); ++s) {
    const Support& support = plate.supports[s];
    text += std::to_string(s + 1) + " " + std::to_string(support.node) + " " + number(support.w) +
            " " + number(support.theta_x) + " " + number(support.theta_y) + "\n";
  }
  text += "cargas\nncasos ncargas\n" + std::to_string(plate.cases.size());
  for (const auto& loads : plate.cases) {
    text += " " + std::to_string(loads.size());
  }
  text += "\n----\n";
  for (std::size_t c = 0; c < plate.cases.size(); ++c) {
    text += "CASO " + std::to_string(c + 1) + "\nnum tipo no\n";
    for (std::size_t k = 0; k < plate.cases[c].size(); ++k) {
      const Load& load = plate.cases[c][k];
      text += std::to_string(k + 1) + " " + std::to_string(load.type) + " " +
              std::to_string(load.node) + "\n";
      for (int v = 0; v < 8; ++v) {
        text += (v < static_cast<int>(load.values.size()) ? number(load.values[v]) : "0") +
                (v < 7 ? " " : "\n");
      }
    }
  }
  return text + "RESULTADOS\n" + plate.results_name + "\n";
}

}  // namespace lajefem::testing
