// ParaView files: one XML unstructured grid (.vtu) per load case, quadrilateral cells at the
// elements, and the collection (.pvd) that plays the load cases as time steps 1, 2, ...
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "model/plate_model.hpp"
#include "postprocessing/result_fields.hpp"

namespace lajefem {

// The most nodes whose grid is written as text: past it the text takes longer to write than the
// analysis to run, and the values go in binary (write_appended_vtu).
constexpr std::size_t most_text_vtu_nodes = 20000;

// Points at (x, y, 0), node n as point n − 1; one VTK_QUAD per element in corner order; every
// node field as point data (with `displacement` = (0, 0, w in m) after theta_y), every element
// field as cell data (none when the set has no element fields, as an envelope). Single-precision
// results as Float32, derived values as Float64, each in the shortest text that reads back to the
// same value, or for a model of more than most_text_vtu_nodes nodes the same values in binary.
void write_vtu(std::ostream& out, const PlateModel& model, const CaseFields& fields);

// The text form whatever the model's size.
void write_text_vtu(std::ostream& out, const PlateModel& model, const CaseFields& fields);

// The collection naming one file per load case, in order (names relative to the .pvd's folder).
void write_pvd(std::ostream& out, const std::vector<std::string>& case_files);

}  // namespace lajefem
