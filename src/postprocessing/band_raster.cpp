#include "postprocessing/band_raster.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "postprocessing/contour_map.hpp"

namespace lajefem {

namespace {

// Marks the cells whose centres lie in the triangle with the band of the field there.
void rasterise_triangle(const std::array<FieldPoint, 3>& t, const ContourScale& scale,
                        const RasterGrid& grid, std::vector<int>& bands) {
  // Cell coordinates: u along x, v down from the top, centres at half-integers.
  std::array<double, 3> u{};
  std::array<double, 3> v{};
  for (std::size_t k = 0; k < 3; ++k) {
    u[k] = (t[k].x - grid.x_left) / grid.cell;
    v[k] = (grid.y_top - t[k].y) / grid.cell;
  }
  const double area = (u[1] - u[0]) * (v[2] - v[0]) - (u[2] - u[0]) * (v[1] - v[0]);
  if (area == 0) {
    return;
  }
  const auto [u_low, u_high] = std::minmax({u[0], u[1], u[2]});
  const auto [v_low, v_high] = std::minmax({v[0], v[1], v[2]});
  const int first_column = std::max(0, static_cast<int>(std::ceil(u_low - 0.5)));
  const int last_column = std::min(grid.columns - 1, static_cast<int>(std::floor(u_high - 0.5)));
  const int first_row = std::max(0, static_cast<int>(std::ceil(v_low - 0.5)));
  const int last_row = std::min(grid.rows - 1, static_cast<int>(std::floor(v_high - 0.5)));
  // Centres on a shared side belong to both triangles: a small tolerance leaves none out.
  constexpr double tolerance = -1e-9;
  for (int row = first_row; row <= last_row; ++row) {
    const double cv = row + 0.5;
    for (int column = first_column; column <= last_column; ++column) {
      const double cu = column + 0.5;
      const double a = ((u[1] - cu) * (v[2] - cv) - (u[2] - cu) * (v[1] - cv)) / area;
      const double b = ((u[2] - cu) * (v[0] - cv) - (u[0] - cu) * (v[2] - cv)) / area;
      const double c = 1 - a - b;
      if (a >= tolerance && b >= tolerance && c >= tolerance) {
        const double value = a * t[0].value + b * t[1].value + c * t[2].value;
        bands[static_cast<std::size_t>(row) * static_cast<std::size_t>(grid.columns) +
              static_cast<std::size_t>(column)] = static_cast<int>(band_of(scale, value));
      }
    }
  }
}

}  // namespace

std::vector<int> rasterised_bands(const PlateModel& model, const Field& field,
                                  const ContourScale& scale, const RasterGrid& grid) {
  std::vector<int> bands(
      static_cast<std::size_t>(grid.columns) * static_cast<std::size_t>(grid.rows), -1);
  for (const PlateElement& element : model.elements) {
    std::array<FieldPoint, 4> corners{};
    FieldPoint centre;
    for (std::size_t k = 0; k < 4; ++k) {
      const auto n = static_cast<std::size_t>(element.nodes[k] - 1);
      corners[k] = {model.nodes[n].x, model.nodes[n].y, field.values[n]};
      centre.x += corners[k].x / 4;
      centre.y += corners[k].y / 4;
      centre.value += corners[k].value / 4;
    }
    for (std::size_t k = 0; k < 4; ++k) {
      rasterise_triangle({corners[k], corners[(k + 1) % 4], centre}, scale, grid, bands);
    }
  }
  return bands;
}

}  // namespace lajefem
