#include "postprocessing/export_files.hpp"

#include "postprocessing/contour_map.hpp"
#include "postprocessing/csv_tables.hpp"
#include "postprocessing/number_text.hpp"
#include "postprocessing/reinforcement_fields.hpp"
#include "postprocessing/vtu_writer.hpp"
#include "text/latin1.hpp"

namespace lajefem {

namespace {

constexpr const char* too_thin_legend =
    "too thin for tension bars alone (neutral axis deeper than 0.45 d): no area";

std::string case_file_stem(const std::string& name, std::size_t c) {
  return name + "-case" + std::to_string(c + 1);
}

// "ENCASTRADA · load case 2 of 2 · Mx (kN·m/m)"
MapHeading map_heading(const PlateModel& model, const std::string& name, std::size_t c,
                       std::size_t case_count, const Field& field, WDirection direction) {
  const std::string title = model.title.empty() ? name : utf8_text(model.title);
  return {title + " \u00b7 load case " + std::to_string(c + 1) + " of " +
              std::to_string(case_count) + " \u00b7 " + field.name + " (" + field.unit + ")",
          field_meaning(field.name, direction), ""};
}

void add_paraview_files(std::vector<OutputFile>& files, const PlateModel& model,
                        const std::vector<CaseFields>& cases, const std::string& name) {
  std::vector<std::string> case_files;
  for (std::size_t c = 0; c < cases.size(); ++c) {
    case_files.push_back(case_file_stem(name, c) + ".vtu");
    files.push_back({case_files.back(), [&model, &fields = cases[c]](std::ostream& out) {
                       write_vtu(out, model, fields);
                     }});
  }
  files.push_back({name + ".pvd", [case_files](std::ostream& out) { write_pvd(out, case_files); }});
}

void add_maps(std::vector<OutputFile>& files, const PlateModel& model,
              const std::vector<CaseFields>& cases, const std::string& name, WDirection direction,
              const std::string& warning) {
  for (std::size_t c = 0; c < cases.size(); ++c) {
    for (const MappedField& map : maps_of(cases[c])) {
      const Field& field = field_named(cases[c].nodes, map.name);
      MapHeading heading = map_heading(model, name, c, cases.size(), field, direction);
      heading.warning = warning;
      heading.unvalued = too_thin_legend;
      files.push_back({case_file_stem(name, c) + "-" + map.name + ".svg",
                       [&model, &field, heading, diverging = map.diverging](std::ostream& out) {
                         write_contour_map(out, model, field, heading, diverging);
                       }});
    }
  }
}

}  // namespace

const std::vector<MappedField>& mapped_fields() {
  static const std::vector<MappedField> maps{
      {"w", false},      {"Mx", true},     {"My", true},         {"Mxy", true},
      {"M1", true},      {"M2", true},     {"Mx_bottom", false}, {"My_bottom", false},
      {"Mx_top", false}, {"My_top", false}};
  return maps;
}

std::vector<MappedField> maps_of(const CaseFields& fields) {
  std::vector<MappedField> maps = mapped_fields();
  if (has_field(fields.nodes, "As_x_bottom")) {
    for (const BarLayer& layer : bar_layers()) {
      maps.push_back({layer.area, false});
    }
  }
  return maps;
}

std::vector<OutputFile> export_files(const PlateModel& model, const std::vector<CaseFields>& cases,
                                     const std::string& name, WDirection direction,
                                     const ExportKinds& kinds, const std::string& warning) {
  std::vector<OutputFile> files;
  if (kinds.vtu) {
    add_paraview_files(files, model, cases, name);
  }
  if (kinds.svg) {
    add_maps(files, model, cases, name, direction, warning);
  }
  if (kinds.csv) {
    files.push_back({name + "-nodes.csv",
                     [&model, &cases](std::ostream& out) { write_node_table(out, model, cases); }});
    files.push_back({name + "-points.csv", [&model, &cases](std::ostream& out) {
                       write_point_table(out, model, cases);
                     }});
  }
  return files;
}

}  // namespace lajefem
