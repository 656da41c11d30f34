// The exported results of one load case or combination as named fields: per node, per element
// centre and per Gauss point. The writers (VTU, SVG, CSV, summary) take these and the model,
// nothing else.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analysis.hpp"
#include "model/plate_model.hpp"
#include "postprocessing/design_moments.hpp"
#include "postprocessing/nodal_values.hpp"
#include "postprocessing/patch_recovery.hpp"

namespace lajefem {

// One scalar per row (node, element or Gauss point).
struct Field {
  std::string name;     // array and picture name: "w", "Mx", "Mx_bottom"
  std::string column;   // table column: "w_mm", "Mx", "Mx_bottom"
  std::string unit;     // "mm", "rad", "kN·m/m", "kN/m", "deg", "kN", "kN·m"
  bool single = false;  // the program's own single-precision result, written as such
  std::vector<double> values;
};

using FieldTable = std::vector<Field>;

// The field of that name; std::out_of_range when there is none.
const Field& field_named(const FieldTable& table, std::string_view name);

// Whether the table holds a field of that name.
bool has_field(const FieldTable& table, std::string_view name);

// The shortest text that reads back to the row's value at the field's precision, never −0.
std::string value_text(const Field& field, std::size_t row);

// What a node field is, in a few words for a picture's heading: "Mx" -> "bending moment on
// sections normal to x; positive stretches the top face (+w up)".
std::string field_meaning(std::string_view name, WDirection direction);

// How the element moments are carried to the nodes: patch recovery (recovered_nodal_resultants)
// or the Gauss-point values extrapolated to each element's corners and averaged
// (nodal_resultants).
enum class NodalRecovery { patch, extrapolate };

// The chosen recovery prepared for a model once (the patches depend on the mesh alone), then used
// for each of its result sets. Used while the model lives.
class NodalMethod {
 public:
  NodalMethod(const PlateModel& model, NodalRecovery recovery);

  // Per node, the moments and shear forces of `results` by the chosen recovery.
  std::vector<Resultants> nodal(const LoadCaseResults& results) const;

 private:
  const PlateModel& model_;
  std::optional<PatchRecovery> patch_;  // with NodalRecovery::patch
};

struct CaseFields {
  std::string label;    // "case 1", "ULS": names the set in summaries, tables and pages
  std::string tag;      // "case1", "ULS": the set's part of file names (NAME-case1-w.svg)
  std::string key;      // "1", "ULS": the case column of the CSV tables
  std::string heading;  // "load case 1 of 2", "combination ULS": map titles (short, to fit)
  std::string title;    // "Load case 1", "Combination ULS = 1.35*1+1.5*2": summary sections
  std::vector<double> case_factors;  // per load case, its factor in the set (1 on its own case)
  // Per node: w, theta_x, theta_y, Mx, My, Mxy, Qx, Qy, M1, M2, M1_angle, Mx_bottom, My_bottom,
  // Mx_top, My_top, reaction_w, reaction_mx, reaction_my. Moments, shear forces and the fields
  // derived from them as the recovery gives them.
  FieldTable nodes;
  // Per element, at its centre: Mx, My, Mxy (mean of the Gauss values), Qx, Qy.
  FieldTable cells;
  // Per Gauss point, element by element, points 1..4: Mx, My, Mxy, Qx, Qy (the element's centre
  // values on all four), M1, M2, M1_angle, Mx_bottom, My_bottom, Mx_top, My_top.
  FieldTable points;
  std::vector<double> deflection_m;  // per node, w in m as the program holds it in single precision
};

// The fields of `results`, unnamed. Values the program holds in single precision (results.single)
// are marked as such; a combination's are all double.
CaseFields case_fields(const PlateModel& model, const LoadCaseResults& results,
                       WDirection direction, const NodalMethod& method);
CaseFields case_fields(const PlateModel& model, const LoadCaseResults& results,
                       WDirection direction, NodalRecovery recovery = NodalRecovery::patch);

// The fields of load case c (0-based) of `count`, named "case 1", "case1", "1".
CaseFields load_case_fields(const PlateModel& model, const LoadCaseResults& results, std::size_t c,
                            std::size_t count, WDirection direction, const NodalMethod& method);
CaseFields load_case_fields(const PlateModel& model, const LoadCaseResults& results, std::size_t c,
                            std::size_t count, WDirection direction,
                            NodalRecovery recovery = NodalRecovery::patch);

}  // namespace lajefem
