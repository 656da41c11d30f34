#include "pages/report_page.hpp"

#include <cmath>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>

#include "postprocessing/contour_map.hpp"
#include "postprocessing/export_files.hpp"
#include "postprocessing/export_summary.hpp"
#include "postprocessing/number_text.hpp"
#include "postprocessing/reinforcement_fields.hpp"
#include "text/latin1.hpp"

namespace lajefem {

namespace {

constexpr const char* too_thin_legend =
    "too thin for tension bars alone (neutral axis deeper than 0.45 d): no area";

// Screen and print: tables and maps kept whole on a page, two maps a row, each case from a new
// printed page.
constexpr const char* style = R"(
body { font-family: "DejaVu Sans", Arial, Helvetica, sans-serif; font-size: 14px; color: #111;
       max-width: 1180px; margin: 0 auto; padding: 16px 24px; }
h1 { font-size: 24px; margin: 8px 0 4px; }
h2 { font-size: 20px; border-bottom: 2px solid #333; padding-bottom: 2px; margin-top: 32px; }
h3 { font-size: 16px; margin: 18px 0 6px; }
table { border-collapse: collapse; margin: 6px 0 12px; }
th, td { border: 1px solid #bbb; padding: 3px 8px; text-align: left; vertical-align: top; }
th { background: #eef1f4; }
td.number { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
.maps { display: grid; grid-template-columns: repeat(2, minmax(0, 1fr)); gap: 10px; }
.maps svg, .drawing svg { width: 100%; height: auto; border: 1px solid #ddd; }
.drawing { max-width: 760px; }
figure { margin: 0; break-inside: avoid; }
table, .drawing { break-inside: avoid; }
.warning { background: #c62828; color: #fff; font-weight: bold; padding: 8px 12px; }
.error { color: #b71c1c; font-weight: bold; }
.flag { color: #c62828; font-weight: bold; }
.note { color: #444; }
section.case { break-before: page; }
@page { size: A4; margin: 12mm; }
@media print { body { max-width: none; padding: 0; font-size: 11px; } h2 { margin-top: 0; } }
)";

std::string escaped(const std::string& text) {
  return xml_escaped(text);
}

std::string title_of(const PlateModel& model, const std::string& name) {
  return model.title.empty() ? name : utf8_text(model.title);
}

// A picture of the SVG writers inline: their text without the XML declaration.
std::string inline_svg(const std::string& svg) {
  const std::size_t opening = svg.find("<svg");
  return opening == std::string::npos ? svg : svg.substr(opening);
}

std::string number_cell(const std::string& text, const std::string& attributes = "") {
  return "<td class=\"number\"" + attributes + ">" + escaped(text) + "</td>";
}

std::string text_cell(const std::string& text) {
  return "<td>" + escaped(text) + "</td>";
}

std::string row_of(const std::vector<std::string>& cells) {
  std::string row = "<tr>";
  for (const std::string& cell : cells) {
    row += cell;
  }
  return row + "</tr>\n";
}

std::string header_row(const std::vector<std::string>& names) {
  std::string row = "<tr>";
  for (const std::string& name : names) {
    row += "<th>" + escaped(name) + "</th>";
  }
  return row + "</tr>\n";
}

// The cell of one field's value at a node, marked with the table row it comes from so that a
// reader can find it in NAME-nodes.csv: column, node and case.
std::string field_cell(const Field& field, std::size_t node, const PageCase& shown) {
  return number_cell(value_text(field, node), " data-column=\"" + escaped(field.column) +
                                                  "\" data-node=\"" + std::to_string(node + 1) +
                                                  "\" data-case=\"" + escaped(shown.table_case) +
                                                  "\"");
}

std::string place_text(const PlateModel& model, std::size_t node) {
  return std::to_string(node + 1) + " (" + float_text(model.nodes[node].x) + ", " +
         float_text(model.nodes[node].y) + ")";
}

// ---- The model ----

void write_model_table(std::ostream& out, const PlateModel& model, const ReportPage& page) {
  std::size_t supported = 0;
  std::map<int, bool> seen;
  for (const PlateSupport& support : model.supports) {
    supported += seen[support.node] ? 0 : 1;
    seen[support.node] = true;
  }
  out << "<table>\n"
      << row_of({"<th>title</th>", text_cell(utf8_text(model.title))})
      << row_of(
             {"<th>material</th>", text_cell("E " + float_text(model.elastic_modulus_gpa) +
                                             " GPa, \u03bd " + float_text(model.poisson_ratio) +
                                             ", thickness " + float_text(model.thickness) + " m")})
      << row_of({"<th>mesh</th>",
                 text_cell(std::to_string(model.nodes.size()) + " nodes, " +
                           std::to_string(model.elements.size()) + " elements, " +
                           std::to_string(supported) + " supported nodes (" +
                           std::to_string(model.supports.size()) + " support records)")})
      << row_of({"<th>load cases</th>", text_cell(std::to_string(model.load_cases.size()))})
      << row_of({"<th>units</th>",
                 text_cell("m, kN; w in mm, slopes in rad, moments in kN\u00b7m/m, shear forces "
                           "in kN/m, reactions in kN and kN\u00b7m, bar areas in cm\u00b2/m")})
      << row_of({"<th>signs</th>",
                 text_cell(page.direction == WDirection::up
                               ? "+w up (gravity loads negative); positive Mx, My stretch the "
                                 "top face; the bottom face is the -w side"
                               : "+w down (gravity loads positive); positive Mx, My stretch "
                                 "the bottom face; the bottom face is the +w side")})
      << "</table>\n";
}

std::string load_text(const PlateLoad& load) {
  if (load.type == 1) {
    return "node " + std::to_string(load.node) + ": Fw " + float_text(load.values[0]) + " kN, Mx " +
           float_text(load.values[1]) + ", My " + float_text(load.values[2]) + " kN\u00b7m";
  }
  if (load.type == 2) {
    return "uniform over the plate: " + float_text(load.values[0]) + " kN/m\u00b2";
  }
  return "load of type " + std::to_string(load.type);
}

void write_loads_table(std::ostream& out, const PlateModel& model) {
  out << "<table>\n" << header_row({"load case", "loads", "total vertical load (kN)"});
  for (std::size_t c = 0; c < model.load_cases.size(); ++c) {
    std::string loads;
    for (const PlateLoad& load : model.load_cases[c].loads) {
      if (load.type != 0) {
        loads += (loads.empty() ? "" : "; ") + load_text(load);
      }
    }
    out << row_of({number_cell(std::to_string(c + 1)), text_cell(loads),
                   number_cell(float_text(static_cast<float>(applied_vertical_load(model, c))))});
  }
  out << "</table>\n";
}

void write_model_section(std::ostream& out, const PlateModel& model, const ReportPage& page) {
  out << "<section>\n<h2>The model</h2>\n";
  write_model_table(out, model, page);
  std::ostringstream drawing;
  write_model_map(drawing, model,
                  {title_of(model, page.name) + " \u00b7 mesh, supports and nodal loads",
                   "node numbers in grey; nodal forces in kN with their load case", ""});
  out << "<figure class=\"drawing\">" << inline_svg(drawing.str()) << "</figure>\n";
  out << "<h3>Loads</h3>\n";
  write_loads_table(out, model);
  out << "</section>\n";
}

// ---- The model check ----

std::string finding_place(const Finding& finding) {
  std::string place;
  const auto add = [&](const char* what, int number) {
    if (number > 0) {
      place += (place.empty() ? "" : ", ") + std::string(what) + " " + std::to_string(number);
    }
  };
  add("line", finding.line);
  add("node", finding.node);
  add("element", finding.element);
  add("support", finding.support);
  return place;
}

void write_findings_section(std::ostream& out, const Findings& findings) {
  out << "<section>\n<h2>Model check</h2>\n";
  if (findings.empty()) {
    out << "<p>The check finds nothing to report.</p>\n</section>\n";
    return;
  }
  out << "<table>\n" << header_row({"severity", "code", "where", "finding"});
  for (const Finding& finding : findings) {
    const std::string severity = severity_name(finding.severity);
    out << row_of(
        {finding.severity == Severity::error ? "<td class=\"error\">" + escaped(severity) + "</td>"
                                             : text_cell(severity),
         text_cell(finding.code), text_cell(finding_place(finding)), text_cell(finding.message)});
  }
  out << "</table>\n</section>\n";
}

// ---- Reinforcement ----

void write_reinforcement_section(std::ostream& out, const PlateModel& model,
                                 const ReinforcementParameters& p) {
  const EffectiveDepths depths = effective_depths(p, model.thickness);
  const auto value_row = [](const std::string& name, double value, const std::string& unit) {
    return row_of(
        {"<th>" + escaped(name) + "</th>", number_cell(short_text(value, 6)), text_cell(unit)});
  };
  out << "<section>\n<h2>Reinforcement</h2>\n<table>\n"
      << value_row("fck", p.fck, "MPa") << value_row("fyk", p.fyk, "MPa")
      << value_row("cover", p.cover, "m") << value_row("bar", p.bar, "m")
      << value_row("\u03b3c", p.gamma_c, "") << value_row("\u03b3s", p.gamma_s, "")
      << value_row("\u03b1cc", p.alpha_cc, "")
      << value_row("d_x (x bars, outer layer)", depths.x, "m")
      << value_row("d_y (y bars, inner layer)", depths.y, "m")
      << value_row("f_cd = \u03b1cc\u00b7fck/\u03b3c", p.alpha_cc * p.fck / p.gamma_c, "MPa")
      << value_row("f_yd = fyk/\u03b3s", p.fyk / p.gamma_s, "MPa")
      << value_row("A_s,min x bars", layer_design(0, depths.x, p).minimum, "cm\u00b2/m")
      << value_row("A_s,min y bars", layer_design(0, depths.y, p).minimum, "cm\u00b2/m")
      << "</table>\n<p class=\"note\">Per metre width, from the Wood\u2013Armer moments: "
         "\u03bc = m/(d\u00b2\u00b7f_cd), z = d(1 + \u221a(1 \u2212 2\u03bc))/2 \u2264 0.95 d, "
         "A_s = m/(z\u00b7f_yd); where \u03bc &gt; 0.295 the slab is too thin for tension bars "
         "alone and no area is given. The area to provide is the greater of the required area "
         "and A_s,min = max(0.26 f_ctm/fyk, 0.0013)\u00b7d.</p>\n</section>\n";
}

// ---- One load case or combination ----

void write_balance_table(std::ostream& out, const PageCase& shown) {
  const double reactions = reaction_sum(*shown.fields);
  const double out_of_balance = shown.applied_load + reactions;
  std::string relative = "";
  if (shown.applied_load != 0) {
    relative = short_text(std::fabs(out_of_balance / shown.applied_load), 2);
  }
  out << "<table>\n"
      << header_row({"applied vertical load (kN)", "sum of w-reactions (kN)",
                     "load + reactions (kN)", "relative"})
      << row_of({number_cell(float_text(static_cast<float>(shown.applied_load))),
                 number_cell(float_text(static_cast<float>(reactions))),
                 number_cell(short_text(out_of_balance, 3)), number_cell(relative)})
      << "</table>\n";
}

// The moments that decide between nodes of equal areas (where the minimum governs several, the
// node of the largest moment is shown); a field's own values otherwise.
const std::vector<double>& tie_breaking_values(const FieldTable& nodes, const Field& field) {
  for (const BarLayer& layer : bar_layers()) {
    if (field.name == layer.area) {
      return field_named(nodes, layer.moment).values;
    }
  }
  return field.values;
}

// The rows of the largest and the smallest value of a field, NaN left out, ties broken by the
// larger (for the smallest value: the smaller) size of `ties`; none when every value is NaN.
std::optional<std::pair<std::size_t, std::size_t>> extreme_rows(const Field& field,
                                                                const std::vector<double>& ties) {
  std::optional<std::pair<std::size_t, std::size_t>> rows;
  const auto before = [&](std::size_t n, std::size_t row, bool largest) {
    const double value = field.values[n];
    const double held = field.values[row];
    const double size = std::fabs(ties[n]);
    const double held_size = std::fabs(ties[row]);
    return (largest ? value > held : value < held) ||
           (value == held && (largest ? size > held_size : size < held_size));
  };
  for (std::size_t n = 0; n < field.values.size(); ++n) {
    if (std::isnan(field.values[n])) {
      continue;
    }
    if (!rows) {
      rows = std::pair{n, n};
    } else {
      rows->first = before(n, rows->first, true) ? n : rows->first;
      rows->second = before(n, rows->second, false) ? n : rows->second;
    }
  }
  return rows;
}

void write_extremes_table(std::ostream& out, const PlateModel& model, const PageCase& shown) {
  out << "<table>\n"
      << header_row({"field", "unit", "max", "at node (x, y)", "min", "at node (x, y)"});
  for (const MappedField& map : maps_of(*shown.fields)) {
    const Field& field = field_named(shown.fields->nodes, map.name);
    const auto rows = extreme_rows(field, tie_breaking_values(shown.fields->nodes, field));
    if (!rows) {
      out << row_of({text_cell(field.name), text_cell(field.unit),
                     "<td colspan=\"4\" class=\"flag\">no node has a value</td>"});
      continue;
    }
    out << row_of({text_cell(field.name), text_cell(field.unit),
                   field_cell(field, rows->first, shown), text_cell(place_text(model, rows->first)),
                   field_cell(field, rows->second, shown),
                   text_cell(place_text(model, rows->second))});
  }
  out << "</table>\n";
}

// The nodes where some layer is too thin for tension bars alone, when there are any.
void write_too_thin_list(std::ostream& out, const std::vector<double>& too_thin) {
  std::string nodes;
  std::size_t count = 0;
  for (std::size_t n = 0; n < too_thin.size(); ++n) {
    if (too_thin[n] > 0) {
      nodes += (count++ == 0 ? "" : ", ") + std::to_string(n + 1);
    }
  }
  if (count > 0) {
    out << "<p class=\"flag\">Too thin for tension bars alone at " << count << " node"
        << (count == 1 ? "" : "s") << " (" << nodes
        << "): the neutral axis lies deeper than 0.45 d and no area is given; thicken the "
           "slab or design compression bars there.</p>\n";
  }
}

void write_too_thin(std::ostream& out, const PageCase& shown) {
  if (has_field(shown.fields->nodes, "too_thin")) {
    write_too_thin_list(out, field_named(shown.fields->nodes, "too_thin").values);
  }
}

void write_reactions_table(std::ostream& out, const PlateModel& model, const PageCase& shown) {
  const FieldTable& nodes = shown.fields->nodes;
  out << "<table>\n"
      << header_row({"node (x, y)", "reaction_w (kN)", "reaction_mx (kN\u00b7m)",
                     "reaction_my (kN\u00b7m)"});
  std::map<int, bool> seen;
  for (const PlateSupport& support : model.supports) {
    if (seen[support.node]) {
      continue;
    }
    seen[support.node] = true;
    const std::size_t n = support.node - 1;
    out << row_of({text_cell(place_text(model, n)),
                   field_cell(field_named(nodes, "reaction_w"), n, shown),
                   field_cell(field_named(nodes, "reaction_mx"), n, shown),
                   field_cell(field_named(nodes, "reaction_my"), n, shown)});
  }
  out << "</table>\n";
}

void write_case_maps(std::ostream& out, const PlateModel& model, const ReportPage& page,
                     const PageCase& shown) {
  out << "<div class=\"maps\">\n";
  for (const MappedField& map : maps_of(*shown.fields)) {
    const Field& field = field_named(shown.fields->nodes, map.name);
    MapHeading heading{title_of(model, page.name) + " \u00b7 " + shown.fields->heading +
                           " \u00b7 " + field.name + " (" + field.unit + ")",
                       field_meaning(field.name, page.direction), page.warning};
    heading.unvalued = too_thin_legend;
    std::ostringstream svg;
    write_contour_map(svg, model, field, heading, map.diverging);
    out << "<figure>" << inline_svg(svg.str()) << "</figure>\n";
  }
  out << "</div>\n";
}

void write_case_section(std::ostream& out, const PlateModel& model, const ReportPage& page,
                        const PageCase& shown) {
  out << "<section class=\"case\">\n<h2>" << escaped(shown.label) << "</h2>\n"
      << "<h3>Equilibrium</h3>\n";
  write_balance_table(out, shown);
  out << "<h3>Extremes at the nodes</h3>\n";
  write_too_thin(out, shown);
  write_extremes_table(out, model, shown);
  out << "<h3>Reactions</h3>\n";
  write_reactions_table(out, model, shown);
  out << "<h3>Maps</h3>\n";
  write_case_maps(out, model, page, shown);
  out << "</section>\n";
}

// ---- An envelope ----

// The cell of an envelope's extreme at a node, marked with the column of its table.
std::string envelope_cell(const EnvelopeField& field, const EnvelopeMap& map, std::size_t node,
                          const Envelope& envelope) {
  const double value = map.greatest ? field.greatest[node] : field.least[node];
  return number_cell(envelope_value_text(field, value),
                     " data-envelope=\"" + escaped(envelope.tag) + "\" data-column=\"" +
                         escaped(field.column) + (map.greatest ? "_max" : "_min") +
                         "\" data-node=\"" + std::to_string(node + 1) + "\"");
}

// The node of the greatest (or least) of an envelope's extremes, NaN left out, ties broken as
// the summary breaks them (an area by its layer's moment); none when every value is NaN.
std::optional<std::size_t> envelope_extreme_row(const Envelope& envelope,
                                                const EnvelopeField& field, bool greatest) {
  const std::vector<double>& values = greatest ? field.greatest : field.least;
  const std::vector<double>* ties = &values;
  for (const BarLayer& layer : bar_layers()) {
    if (field.name == layer.area) {
      const EnvelopeField& moment = envelope_field(envelope, layer.moment);
      const bool bottom = std::string(layer.moment).ends_with("_bottom");
      ties = bottom == greatest ? &moment.greatest : &moment.least;
    }
  }
  std::optional<std::size_t> row;
  for (std::size_t n = 0; n < values.size(); ++n) {
    if (std::isnan(values[n])) {
      continue;
    }
    if (!row || (greatest ? values[n] > values[*row] : values[n] < values[*row]) ||
        (values[n] == values[*row] && std::fabs((*ties)[n]) > std::fabs((*ties)[*row]))) {
      row = n;
    }
  }
  return row;
}

void write_envelope_extremes(std::ostream& out, const PlateModel& model, const Envelope& envelope,
                             WDirection direction) {
  out << "<table>\n"
      << header_row({"field", "unit", "extreme", "value", "at node (x, y)", "governed by"});
  for (const EnvelopeMap& map : envelope_maps_of(envelope, direction)) {
    const EnvelopeField& field = envelope_field(envelope, map.name);
    const auto row = envelope_extreme_row(envelope, field, map.greatest);
    if (!row) {
      out << row_of({text_cell(field.name), text_cell(field.unit),
                     "<td colspan=\"4\" class=\"flag\">no node has a value</td>"});
      continue;
    }
    const std::size_t by = map.greatest ? field.greatest_by[*row] : field.least_by[*row];
    out << row_of({text_cell(field.name), text_cell(field.unit),
                   text_cell(map.greatest ? "greatest" : "least"),
                   envelope_cell(field, map, *row, envelope), text_cell(place_text(model, *row)),
                   text_cell(envelope.governing[by])});
  }
  out << "</table>\n";
}

void write_envelope_section(std::ostream& out, const PlateModel& model, const ReportPage& page,
                            const Envelope& envelope) {
  out << "<section class=\"case\">\n<h2>" << escaped(envelope.title) << "</h2>\n"
      << "<p class=\"note\">At every node the greatest and least value of each field over "
      << escaped(std::to_string(envelope.governing.size())) << " sets, each with the set that "
      << "gives it: table " << escaped(page.name + "-" + envelope.tag) << ".csv.</p>\n";
  for (const EnvelopeField& field : envelope.fields) {
    if (field.name == "too_thin") {
      write_too_thin_list(out, field.greatest);
    }
  }
  out << "<h3>Extremes</h3>\n";
  write_envelope_extremes(out, model, envelope, page.direction);
  out << "<h3>Maps</h3>\n<div class=\"maps\">\n";
  for (const EnvelopeMap& map : envelope_maps_of(envelope, page.direction)) {
    const Field field = extreme_field(envelope_field(envelope, map.name), map.greatest);
    MapHeading heading{title_of(model, page.name) + " \u00b7 " + envelope.heading + " \u00b7 " +
                           (map.greatest ? "greatest " : "least ") + map.name + " (" + field.unit +
                           ")",
                       field_meaning(map.name, page.direction), page.warning};
    heading.unvalued = too_thin_legend;
    std::ostringstream svg;
    write_contour_map(svg, model, field, heading, false);
    out << "<figure>" << inline_svg(svg.str()) << "</figure>\n";
  }
  out << "</div>\n</section>\n";
}

}  // namespace

// The totals across the cuts asked for, as NAME-sections.csv gives them.
void write_sections_section(std::ostream& out, const std::vector<SectionTotal>& sections) {
  if (sections.empty()) {
    return;
  }
  out << "<h2>Sections</h2>\n<p class=\"note\">Totals carried across each cut: on a grid line "
         "from the element nodal forces (statics holds exactly), through elements from their own "
         "moments and shear forces.</p>\n<table>\n"
      << header_row({"cut", "strip from (m)", "strip to (m)", "case", "method",
                     "moment (kN\u00b7m)", "twisting (kN\u00b7m)", "shear (kN)"});
  for (const SectionTotal& total : sections) {
    out << row_of(
        {text_cell(cut_name(total.axis, total.at)), number_cell(double_text(total.strip.from)),
         number_cell(double_text(total.strip.to)), text_cell(std::to_string(total.load_case)),
         text_cell(total.grid_line ? "nodal forces" : "element values"),
         number_cell(double_text(total.moment)), number_cell(double_text(total.twisting)),
         number_cell(double_text(total.shear))});
  }
  out << "</table>\n";
}

void write_report_page(std::ostream& out, const PlateModel& model, const ReportPage& page) {
  const std::string title = title_of(model, page.name);
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<title>" << escaped(title) << " \u00b7 lajefem-tools export</title>\n"
      << "<style>" << style << "</style>\n</head>\n<body>\n"
      << "<h1>" << escaped(title) << "</h1>\n"
      << "<p class=\"note\">Results of " << escaped(page.name)
      << " by lajefem-tools export. Every result number is the one of its table, "
      << escaped(page.name) << "-nodes.csv or the envelope's.</p>\n";
  if (!page.warning.empty()) {
    out << "<p class=\"warning\">" << escaped(page.warning) << "</p>\n";
  }
  write_model_section(out, model, page);
  write_findings_section(out, page.findings);
  if (page.reinforcement) {
    write_reinforcement_section(out, model, *page.reinforcement);
  }
  for (const PageCase& shown : page.cases) {
    write_case_section(out, model, page, shown);
  }
  for (const Envelope* envelope : page.envelopes) {
    write_envelope_section(out, model, page, *envelope);
  }
  write_sections_section(out, page.sections);
  out << "</body>\n</html>\n";
}

}  // namespace lajefem
