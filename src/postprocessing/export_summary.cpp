#include "postprocessing/export_summary.hpp"

#include <cmath>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <string>

#include "postprocessing/export_files.hpp"
#include "postprocessing/nodal_values.hpp"
#include "postprocessing/number_text.hpp"
#include "postprocessing/reinforcement_fields.hpp"
#include "text/latin1.hpp"

namespace lajefem {

namespace {

constexpr int nodal_load = 1;
constexpr int distributed_load = 2;

std::string value_of(double value) {
  return float_text(static_cast<float>(value));
}

std::string node_place(const PlateModel& model, std::size_t n) {
  return "node " + std::to_string(n + 1) + " (" + float_text(model.nodes[n].x) + ", " +
         float_text(model.nodes[n].y) + ")";
}

// The row of the largest (or smallest) value of a field.
std::size_t extreme_row(const Field& field, bool largest) {
  std::size_t row = 0;
  for (std::size_t n = 1; n < field.values.size(); ++n) {
    if (largest ? field.values[n] > field.values[row] : field.values[n] < field.values[row]) {
      row = n;
    }
  }
  return row;
}

std::string extreme_text(const PlateModel& model, const Field& field, bool largest) {
  const std::size_t row = extreme_row(field, largest);
  return (largest ? "max " : "min ") + value_of(field.values[row]) + " at " +
         node_place(model, row);
}

void write_field_line(std::ostream& out, const PlateModel& model, const Field& field, bool with_max,
                      bool with_min) {
  std::ostringstream line;
  line << "  " << std::left << std::setw(10) << field.name << std::setw(8) << field.unit;
  if (with_max) {
    line << "  " << std::setw(with_min ? 40 : 0) << extreme_text(model, field, true);
  }
  if (with_min) {
    line << "  " << extreme_text(model, field, false);
  }
  out << line.str() << '\n';
}

void write_balance(std::ostream& out, const PlateModel& model, const CaseFields& fields) {
  const double load = applied_set_load(model, fields);
  const double reactions = reaction_sum(fields);
  const double out_of_balance = load + reactions;
  out << "  applied vertical load   " << value_of(load) << " kN\n"
      << "  sum of w-reactions      " << value_of(reactions) << " kN\n"
      << "  load + reactions        " << short_text(out_of_balance, 3) << " kN";
  if (load != 0) {
    out << " (relative " << short_text(std::fabs(out_of_balance / load), 2) << ")";
  }
  out << '\n';
}

void write_largest_deflection(std::ostream& out, const PlateModel& model, const Field& w) {
  std::size_t row = 0;
  for (std::size_t n = 1; n < w.values.size(); ++n) {
    if (std::fabs(w.values[n]) > std::fabs(w.values[row])) {
      row = n;
    }
  }
  out << "  largest |w|             " << value_of(w.values[row]) << " mm at "
      << node_place(model, row) << '\n';
}

// The nodes where some layer is too thin for tension bars alone, when there are any.
void write_too_thin_nodes(std::ostream& out, const std::vector<double>& too_thin) {
  std::string flagged;
  std::size_t count = 0;
  for (std::size_t n = 0; n < too_thin.size(); ++n) {
    if (too_thin[n] > 0) {
      flagged += (count++ == 0 ? "" : ", ") + std::to_string(n + 1);
    }
  }
  if (count > 0) {
    out << "  TOO THIN at " << count << " node" << (count == 1 ? "" : "s") << " (" << flagged
        << "): neutral axis deeper than 0.45 d, no area given; thicken the slab or add "
           "compression bars\n";
  }
}

// The largest area of each bar layer and the nodes where the slab is too thin for tension bars
// alone, when the fields hold the reinforcement areas.
void write_reinforcement_lines(std::ostream& out, const PlateModel& model,
                               const FieldTable& nodes) {
  if (!has_field(nodes, "As_x_bottom")) {
    return;
  }
  for (const BarLayer& layer : bar_layers()) {
    const Field& area = field_named(nodes, layer.area);
    const Field& required = field_named(nodes, std::string(layer.area) + "_req");
    // The largest area to provide; where the minimum governs several nodes, the one that needs
    // the most.
    std::size_t row = area.values.size();
    for (std::size_t n = 0; n < area.values.size(); ++n) {
      if (std::isnan(area.values[n])) {
        continue;
      }
      if (row == area.values.size() || area.values[n] > area.values[row] ||
          (area.values[n] == area.values[row] && required.values[n] > required.values[row])) {
        row = n;
      }
    }
    std::ostringstream line;
    line << "  " << std::left << std::setw(12) << area.name << std::setw(6) << area.unit << "  ";
    if (row == area.values.size()) {
      line << "no node has an area";
    } else {
      line << "max " << short_text(area.values[row], 4) << " at " << node_place(model, row)
           << " (required " << short_text(required.values[row], 4) << ")";
    }
    out << line.str() << '\n';
  }
  write_too_thin_nodes(out, field_named(nodes, "too_thin").values);
}

// The values that decide between nodes of equal extremes of an envelope field: for an area, the
// extremes of its layer's design moment (the largest in size); for others the field's own.
const std::vector<double>& tie_breaking_values(const Envelope& envelope, const EnvelopeField& field,
                                               bool greatest) {
  for (const BarLayer& layer : bar_layers()) {
    if (field.name == layer.area) {
      const EnvelopeField& moment = envelope_field(envelope, layer.moment);
      const bool bottom = std::string(layer.moment).ends_with("_bottom");
      return bottom == greatest ? moment.greatest : moment.least;
    }
  }
  return greatest ? field.greatest : field.least;
}

}  // namespace

double applied_vertical_load(const PlateModel& model, std::size_t load_case) {
  double plate_area = 0;
  for (const PlateElement& element : model.elements) {
    plate_area += element_area(model, element);
  }
  double total = 0;
  for (const PlateLoad& load : model.load_cases[load_case].loads) {
    if (load.type == nodal_load) {
      total += load.values[0];
    } else if (load.type == distributed_load) {
      total += load.values[0] * plate_area;
    }
  }
  return total;
}

double applied_set_load(const PlateModel& model, const CaseFields& fields) {
  double load = 0;
  for (std::size_t c = 0; c < fields.case_factors.size(); ++c) {
    if (fields.case_factors[c] != 0) {
      load += fields.case_factors[c] * applied_vertical_load(model, c);
    }
  }
  return load;
}

double reaction_sum(const CaseFields& fields) {
  double sum = 0;
  for (const double reaction : field_named(fields.nodes, "reaction_w").values) {
    sum += reaction;
  }
  return sum;
}

void write_summary(std::ostream& out, const PlateModel& model, const std::vector<CaseFields>& cases,
                   WDirection direction) {
  out << utf8_text(model.title) << ": " << model.nodes.size() << " nodes, " << model.elements.size()
      << " elements, " << model.load_cases.size() << " load case"
      << (model.load_cases.size() == 1 ? "" : "s") << "; "
      << (direction == WDirection::up ? "+w up, bottom face on the -w side"
                                      : "+w down, bottom face on the +w side")
      << '\n';
  for (const CaseFields& fields : cases) {
    const FieldTable& nodes = fields.nodes;
    out << fields.title << '\n';
    write_balance(out, model, fields);
    write_largest_deflection(out, model, field_named(nodes, "w"));
    for (const char* name : {"Mx", "My", "Mxy", "M1", "M2"}) {
      write_field_line(out, model, field_named(nodes, name), true, true);
    }
    for (const char* name : {"Mx_bottom", "My_bottom"}) {
      write_field_line(out, model, field_named(nodes, name), true, false);
    }
    for (const char* name : {"Mx_top", "My_top"}) {
      write_field_line(out, model, field_named(nodes, name), false, true);
    }
    write_reinforcement_lines(out, model, nodes);
  }
}

void write_envelope_summary(std::ostream& out, const PlateModel& model, const Envelope& envelope,
                            WDirection direction) {
  out << envelope.title << '\n';
  for (const EnvelopeMap& map : envelope_maps_of(envelope, direction)) {
    const EnvelopeField& field = envelope_field(envelope, map.name);
    const std::vector<double>& values = map.greatest ? field.greatest : field.least;
    // A layer too thin for an area (NaN) has no extreme; where the minimum area governs several
    // nodes, the one of the largest moment.
    const std::vector<double>& ties = tie_breaking_values(envelope, field, map.greatest);
    std::size_t row = 0;
    for (std::size_t n = 1; n < values.size(); ++n) {
      const bool beyond = map.greatest ? values[n] > values[row] : values[n] < values[row];
      const bool tied = values[n] == values[row] && std::fabs(ties[n]) > std::fabs(ties[row]);
      if (std::isnan(values[row]) || beyond || tied) {
        row = n;
      }
    }
    if (std::isnan(values[row])) {
      out << "  " << field.name << ": no node has an area\n";
      continue;
    }
    const std::size_t by = map.greatest ? field.greatest_by[row] : field.least_by[row];
    std::ostringstream line;
    line << "  " << std::left << std::setw(std::max<int>(10, field.name.size() + 1)) << field.name
         << std::setw(8) << field.unit << "  " << (map.greatest ? "max " : "min ")
         << value_of(values[row]) << " at " << node_place(model, row) << " by "
         << envelope.governing[by];
    out << line.str() << '\n';
  }
  for (const EnvelopeField& field : envelope.fields) {
    if (field.name == "too_thin") {
      write_too_thin_nodes(out, field.greatest);
    }
  }
}

void write_section_summary(std::ostream& out, const std::vector<SectionTotal>& totals) {
  if (totals.empty()) {
    return;
  }
  out << "Sections (totals across the cut)\n";
  for (const SectionTotal& total : totals) {
    out << "  " << cut_name(total.axis, total.at) << ", "
        << (total.axis == CutAxis::x ? "y " : "x ") << short_text(total.strip.from, 6) << ".."
        << short_text(total.strip.to, 6) << ", case " << total.load_case << " ("
        << (total.grid_line ? "nodal forces" : "element values") << "): moment "
        << short_text(total.moment, 6) << " kN\u00b7m, twisting " << short_text(total.twisting, 6)
        << " kN\u00b7m, shear " << short_text(total.shear, 6) << " kN\n";
  }
}

}  // namespace lajefem
