// Rectangular plate meshes for the tests: the neutral model and the model store get the same grid.
#pragma once

#include <vector>

#include "model/model_store.hpp"
#include "model/plate_model.hpp"

namespace lajefem::test {

// Nodes at the crossings of the given x and y lines, numbered along x first: node i + 1 +
// j·xs.size() sits at (xs[i], ys[j]). Elements of type 1 run row by row, corners anticlockwise from
// the lower left.
inline PlateModel grid_model(const std::vector<float>& xs, const std::vector<float>& ys) {
  PlateModel model;
  const int columns = static_cast<int>(xs.size());
  for (const float y : ys) {
    for (const float x : xs) {
      model.nodes.push_back({x, y});
    }
  }
  for (int j = 0; j + 1 < static_cast<int>(ys.size()); ++j) {
    for (int i = 0; i + 1 < columns; ++i) {
      const int lower_left = j * columns + i + 1;
      model.elements.push_back(
          {1, {lower_left, lower_left + 1, lower_left + 1 + columns, lower_left + columns}});
    }
  }
  return model;
}

// count + 1 lines evenly over length, from 0.
inline std::vector<float> even_lines(int count, float length) {
  std::vector<float> lines;
  for (int i = 0; i <= count; ++i) {
    lines.push_back(length * static_cast<float>(i) / static_cast<float>(count));
  }
  return lines;
}

// Node number of grid point (i, j) of a grid nx elements wide, i = 0..nx along x.
inline int grid_node(int nx, int i, int j) {
  return i + 1 + j * (nx + 1);
}

// A concrete slab's material (E 30 GPa, ν 0.2, t 0.2 m) and one load case of 10 kN/m² down.
inline void give_slab_material_and_load(PlateModel& model) {
  model.elastic_modulus_gpa = 30;
  model.poisson_ratio = 0.2f;
  model.thickness = 0.2f;
  PlateLoad uniform;
  uniform.type = 2;
  uniform.values[0] = -10;
  model.load_cases.push_back({{uniform}});
}

// nx × ny elements over lx × ly m, with the slab's material and load.
inline PlateModel grid_plate(int nx, int ny, float lx, float ly) {
  PlateModel model = grid_model(even_lines(nx, lx), even_lines(ny, ly));
  model.title = "GRELHA";
  give_slab_material_and_load(model);
  model.results_name = "grelha.res";
  return model;
}

// The grid of grid_model written straight into the store: nodes, elements and equation count.
inline void make_grid_mesh(ModelStore& store, const std::vector<float>& xs,
                           const std::vector<float>& ys) {
  const PlateModel grid = grid_model(xs, ys);
  store.node_count = static_cast<int>(grid.nodes.size());
  store.equation_count = 3 * store.node_count;
  for (int n = 1; n <= store.node_count; ++n) {
    store.node_coord(n, 1) = grid.nodes[n - 1].x;
    store.node_coord(n, 2) = grid.nodes[n - 1].y;
  }
  store.element_count = static_cast<int>(grid.elements.size());
  for (int e = 1; e <= store.element_count; ++e) {
    store.element_type(e) = grid.elements[e - 1].type;
    for (int k = 1; k <= 4; ++k) {
      store.element_nodes(e, k) = grid.elements[e - 1].nodes[k - 1];
    }
  }
}

// A square of side a (m), n × n elements, thickness t (m), E 30 GPa, ν 0.3, held on its edges
// against w and the slope along the edge (θy on the edges along y, θx on those along x: the
// hard simple support of thin-plate theory), under `cases` uniform loads of −1, −2, ... kN/m².
inline PlateModel hard_supported_square(int n, float a, float t, int cases) {
  PlateModel model = grid_model(even_lines(n, a), even_lines(n, a));
  model.title = "NAVIER";
  model.elastic_modulus_gpa = 30;
  model.poisson_ratio = 0.3f;
  model.thickness = t;
  for (int j = 0; j <= n; ++j) {
    for (int i = 0; i <= n; ++i) {
      const bool x_edge = i == 0 || i == n;
      const bool y_edge = j == 0 || j == n;
      if (x_edge || y_edge) {
        model.supports.push_back(
            {grid_node(n, i, j), 1e6f, y_edge ? 1e6f : 0.0f, x_edge ? 1e6f : 0.0f});
      }
    }
  }
  for (int c = 1; c <= cases; ++c) {
    PlateLoad uniform;
    uniform.type = 2;
    uniform.values[0] = -static_cast<float>(c);
    model.load_cases.push_back({{uniform}});
  }
  model.results_name = "navier.res";
  return model;
}

}  // namespace lajefem::test
