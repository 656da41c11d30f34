#include "postprocessing/result_fields.hpp"

#include <stdexcept>

#include "postprocessing/nodal_values.hpp"
#include "postprocessing/number_text.hpp"
#include "postprocessing/patch_recovery.hpp"

namespace lajefem {

namespace {

constexpr const char* moment_unit = "kN·m/m";
constexpr const char* shear_unit = "kN/m";

Field field_of(const std::string& name, const std::string& unit, bool single) {
  return {name, name, unit, single, {}};
}

// Mx, My, Mxy and Qx, Qy of each row; `single` when they are the program's own values.
void append_resultant_fields(FieldTable& table, const std::vector<Resultants>& rows,
                             bool single_moments, bool single_shears) {
  Field mx = field_of("Mx", moment_unit, single_moments);
  Field my = field_of("My", moment_unit, single_moments);
  Field mxy = field_of("Mxy", moment_unit, single_moments);
  Field qx = field_of("Qx", shear_unit, single_shears);
  Field qy = field_of("Qy", shear_unit, single_shears);
  for (const Resultants& row : rows) {
    mx.values.push_back(row.moments.mx);
    my.values.push_back(row.moments.my);
    mxy.values.push_back(row.moments.mxy);
    qx.values.push_back(row.qx);
    qy.values.push_back(row.qy);
  }
  for (Field* f : {&mx, &my, &mxy, &qx, &qy}) {
    table.push_back(std::move(*f));
  }
}

// The principal moments and the Wood–Armer moments of both faces of each row.
void append_design_fields(FieldTable& table, const std::vector<Resultants>& rows,
                          WDirection direction) {
  Field m1 = field_of("M1", moment_unit, false);
  Field m2 = field_of("M2", moment_unit, false);
  Field angle = field_of("M1_angle", "deg", false);
  Field mx_bottom = field_of("Mx_bottom", moment_unit, false);
  Field my_bottom = field_of("My_bottom", moment_unit, false);
  Field mx_top = field_of("Mx_top", moment_unit, false);
  Field my_top = field_of("My_top", moment_unit, false);
  for (const Resultants& row : rows) {
    const PrincipalMoments principal = principal_moments(row.moments);
    m1.values.push_back(principal.m1);
    m2.values.push_back(principal.m2);
    angle.values.push_back(principal.angle);
    const DesignMoments design = design_moments(row.moments, direction);
    mx_bottom.values.push_back(design.bottom.mx);
    my_bottom.values.push_back(design.bottom.my);
    mx_top.values.push_back(design.top.mx);
    my_top.values.push_back(design.top.my);
  }
  for (Field* f : {&m1, &m2, &angle, &mx_bottom, &my_bottom, &mx_top, &my_top}) {
    table.push_back(std::move(*f));
  }
}

// The nodes' reactions: those of the node's first support record (a second record on the same
// node repeats them), zero where no support holds the node.
void append_reaction_fields(FieldTable& table, std::size_t node_count,
                            const LoadCaseResults& results) {
  Field force = field_of("reaction_w", "kN", results.single);
  Field moment_x = field_of("reaction_mx", "kN·m", results.single);
  Field moment_y = field_of("reaction_my", "kN·m", results.single);
  for (Field* f : {&force, &moment_x, &moment_y}) {
    f->values.assign(node_count, 0.0);
  }
  std::vector<bool> seen(node_count, false);
  for (const SupportReaction& reaction : results.supports) {
    const std::size_t n = reaction.node - 1;
    if (!seen[n]) {
      seen[n] = true;
      force.values[n] = reaction.force_w;
      moment_x.values[n] = reaction.moment_x;
      moment_y.values[n] = reaction.moment_y;
    }
  }
  table.push_back(std::move(force));
  table.push_back(std::move(moment_x));
  table.push_back(std::move(moment_y));
}

// w in mm, θx and θy: for the program's results as the report prints them, rounded to single
// precision, w then times 1000; for a combination, its double sums.
void append_displacement_fields(CaseFields& fields, const LoadCaseResults& results) {
  Field w = field_of("w", "mm", results.single);
  w.column = "w_mm";
  Field theta_x = field_of("theta_x", "rad", results.single);
  Field theta_y = field_of("theta_y", "rad", results.single);
  for (const NodeDisplacement& node : results.nodes) {
    if (results.single) {
      const float w_m = static_cast<float>(node.w);
      fields.deflection_m.push_back(w_m);
      w.values.push_back(w_m * 1000.0f);
      theta_x.values.push_back(static_cast<float>(node.theta_x));
      theta_y.values.push_back(static_cast<float>(node.theta_y));
    } else {
      fields.deflection_m.push_back(node.w);
      w.values.push_back(node.w * 1000.0);
      theta_x.values.push_back(node.theta_x);
      theta_y.values.push_back(node.theta_y);
    }
  }
  fields.nodes.push_back(std::move(w));
  fields.nodes.push_back(std::move(theta_x));
  fields.nodes.push_back(std::move(theta_y));
}

std::vector<Resultants> centre_rows(const LoadCaseResults& results) {
  std::vector<Resultants> rows;
  for (const ElementResultants& element : results.elements) {
    rows.push_back(centre_resultants(element));
  }
  return rows;
}

// The report's values at each Gauss point, with the element's centre shear forces on all four.
std::vector<Resultants> gauss_point_rows(const LoadCaseResults& results) {
  std::vector<Resultants> rows;
  for (const ElementResultants& element : results.elements) {
    for (const PointResultants& point : element.points) {
      rows.push_back({{point.mx, point.my, point.mxy}, element.points[0].qx, element.points[0].qy});
    }
  }
  return rows;
}

// "As_x_bottom" -> "reinforcement to provide, x bars, bottom face (...)".
std::string area_meaning(std::string_view name, const std::string& bottom, const std::string& top) {
  const bool x_bars = name.substr(3, 1) == "x";
  const bool on_bottom = name.find("bottom") != std::string_view::npos;
  const bool required = name.ends_with("_req");
  const std::string what = name.ends_with("_min") ? "minimum reinforcement"
                           : required             ? "reinforcement required"
                                                  : "reinforcement to provide";
  if (name.ends_with("_min")) {
    return what + std::string(x_bars ? ", x bars" : ", y bars") + ", either face";
  }
  return what + (x_bars ? ", x bars, " : ", y bars, ") + (on_bottom ? bottom : top);
}

}  // namespace

const Field& field_named(const FieldTable& table, std::string_view name) {
  for (const Field& field : table) {
    if (field.name == name) {
      return field;
    }
  }
  throw std::out_of_range("no field " + std::string(name));
}

bool has_field(const FieldTable& table, std::string_view name) {
  for (const Field& field : table) {
    if (field.name == name) {
      return true;
    }
  }
  return false;
}

std::string value_text(const Field& field, std::size_t row) {
  const double value = field.values[row];
  return field.single ? float_text(static_cast<float>(value)) : double_text(value);
}

std::string field_meaning(std::string_view name, WDirection direction) {
  const bool up = direction == WDirection::up;
  const std::string stretched = up ? "; positive stretches the top face (+w up)"
                                   : "; positive stretches the bottom face (+w down)";
  const std::string bottom =
      up ? "bottom face (the -w side, +w up)" : "bottom face (the +w side, +w down)";
  const std::string top = up ? "top face (the +w side, +w up)" : "top face (the -w side, +w down)";
  if (name == "w")
    return up ? "deflection, positive upwards (+w up)" : "deflection, positive downwards (+w down)";
  if (name == "Mx")
    return "bending moment on sections normal to x" + stretched;
  if (name == "My")
    return "bending moment on sections normal to y" + stretched;
  if (name == "Mxy")
    return "twisting moment";
  if (name == "M1")
    return "larger principal moment" + stretched;
  if (name == "M2")
    return "smaller principal moment" + stretched;
  if (name == "Mx_bottom")
    return "Wood-Armer design moment of the x bars, " + bottom;
  if (name == "My_bottom")
    return "Wood-Armer design moment of the y bars, " + bottom;
  if (name == "Mx_top")
    return "Wood-Armer design moment of the x bars, " + top;
  if (name == "My_top")
    return "Wood-Armer design moment of the y bars, " + top;
  if (name.substr(0, 3) == "As_") {
    return area_meaning(name, bottom, top);
  }
  return std::string(name);
}

NodalMethod::NodalMethod(const PlateModel& model, NodalRecovery recovery) : model_(model) {
  if (recovery == NodalRecovery::patch) {
    patch_.emplace(model);
  }
}

std::vector<Resultants> NodalMethod::nodal(const LoadCaseResults& results) const {
  return patch_ ? patch_->recover(results) : nodal_resultants(model_, results);
}

CaseFields case_fields(const PlateModel& model, const LoadCaseResults& results,
                       WDirection direction, NodalRecovery recovery) {
  return case_fields(model, results, direction, NodalMethod(model, recovery));
}

CaseFields case_fields(const PlateModel& model, const LoadCaseResults& results,
                       WDirection direction, const NodalMethod& method) {
  CaseFields fields;
  append_displacement_fields(fields, results);
  const std::vector<Resultants> nodal = method.nodal(results);
  append_resultant_fields(fields.nodes, nodal, false, false);
  append_design_fields(fields.nodes, nodal, direction);
  append_reaction_fields(fields.nodes, model.nodes.size(), results);
  append_resultant_fields(fields.cells, centre_rows(results), false, results.single);
  const std::vector<Resultants> points = gauss_point_rows(results);
  append_resultant_fields(fields.points, points, results.single, results.single);
  append_design_fields(fields.points, points, direction);
  return fields;
}

CaseFields load_case_fields(const PlateModel& model, const LoadCaseResults& results, std::size_t c,
                            std::size_t count, WDirection direction, NodalRecovery recovery) {
  return load_case_fields(model, results, c, count, direction, NodalMethod(model, recovery));
}

CaseFields load_case_fields(const PlateModel& model, const LoadCaseResults& results, std::size_t c,
                            std::size_t count, WDirection direction, const NodalMethod& method) {
  CaseFields fields = case_fields(model, results, direction, method);
  const std::string number = std::to_string(c + 1);
  fields.label = "case " + number;
  fields.tag = "case" + number;
  fields.key = number;
  fields.heading = "load case " + number + " of " + std::to_string(count);
  fields.title = "Load case " + number;
  fields.case_factors.assign(count, 0.0);
  fields.case_factors[c] = 1.0;
  return fields;
}

}  // namespace lajefem
