// Spreadsheet tables of all load cases and combinations: a row per node and set, and a row per
// element Gauss point and set; and an envelope's table, a row per node. A header row, decimal
// points, commas, numbers that read back to the same value.
#pragma once

#include <iosfwd>
#include <vector>

#include "model/plate_model.hpp"
#include "postprocessing/envelopes.hpp"
#include "postprocessing/result_fields.hpp"

namespace lajefem {

// node,x,y,case, then every node field by its column name (w_mm, theta_x, ... reaction_my).
void write_node_table(std::ostream& out, const PlateModel& model,
                      const std::vector<CaseFields>& cases);

// element,point,x,y,case, then every Gauss-point field (Mx, ... My_top); x and y are the point's.
void write_point_table(std::ostream& out, const PlateModel& model,
                       const std::vector<CaseFields>& cases);

// node,x,y, then for every envelope field FIELD_max, FIELD_max_by, FIELD_min, FIELD_min_by (the
// column name of the field: w_mm_max, ...), the _by columns naming the governing set.
void write_envelope_table(std::ostream& out, const PlateModel& model, const Envelope& envelope);

}  // namespace lajefem
