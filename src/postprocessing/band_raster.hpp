// The bands of a contour map sampled on a grid of square cells, for meshes finer than the picture
// can show: the band at each cell's centre, from the same field as the drawn pieces (linear over
// each of an element's four triangles about its centre). The work grows with the elements and the
// cells, the result with the cells alone.
#pragma once

#include <cstddef>
#include <vector>

#include "model/plate_model.hpp"
#include "postprocessing/result_fields.hpp"

namespace lajefem {

struct ContourScale;

// Cells of `cell` m, row 0 at the top (y_top downwards), column 0 at x_left.
struct RasterGrid {
  double x_left = 0;
  double y_top = 0;
  double cell = 1;
  int columns = 0;
  int rows = 0;
};

// The band of each cell, row by row from the top, −1 where no element covers the cell's centre.
std::vector<int> rasterised_bands(const PlateModel& model, const Field& field,
                                  const ContourScale& scale, const RasterGrid& grid);

}  // namespace lajefem
