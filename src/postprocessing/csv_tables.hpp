// Spreadsheet tables of all load cases: a row per node and case, and a row per element Gauss
// point and case. A header row, decimal points, commas, numbers that read back to the same value.
#pragma once

#include <iosfwd>
#include <vector>

#include "model/plate_model.hpp"
#include "postprocessing/result_fields.hpp"

namespace lajefem {

// node,x,y,case, then every node field by its column name (w_mm, theta_x, ... reaction_my).
void write_node_table(std::ostream& out, const PlateModel& model,
                      const std::vector<CaseFields>& cases);

// element,point,x,y,case, then every Gauss-point field (Mx, ... My_top); x and y are the point's.
void write_point_table(std::ostream& out, const PlateModel& model,
                       const std::vector<CaseFields>& cases);

}  // namespace lajefem
