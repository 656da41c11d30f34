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

std::string case_file_stem(const std::string& name, const CaseFields& fields) {
  return name + "-" + fields.tag;
}

// "ENCASTRADA · load case 2 of 2 · Mx (kN·m/m)"
MapHeading map_heading(const PlateModel& model, const std::string& name, const CaseFields& fields,
                       const Field& field, WDirection direction) {
  const std::string title = model.title.empty() ? name : utf8_text(model.title);
  return {title + " \u00b7 " + fields.heading + " \u00b7 " + field.name + " (" + field.unit + ")",
          field_meaning(field.name, direction), ""};
}

void add_paraview_files(std::vector<OutputFile>& files, const PlateModel& model,
                        const std::vector<CaseFields>& cases, const std::string& name) {
  std::vector<std::string> case_files;
  for (std::size_t c = 0; c < cases.size(); ++c) {
    case_files.push_back(case_file_stem(name, cases[c]) + ".vtu");
    files.push_back({case_files.back(), [&model, &fields = cases[c]](std::ostream& out) {
                       write_vtu(out, model, fields);
                     }});
  }
  files.push_back({name + ".pvd", [case_files](std::ostream& out) { write_pvd(out, case_files); }});
}

void add_maps(std::vector<OutputFile>& files, const PlateModel& model,
              const std::vector<CaseFields>& cases, const std::string& name, WDirection direction,
              const std::string& warning) {
  for (const CaseFields& fields : cases) {
    for (const MappedField& map : maps_of(fields)) {
      const Field& field = field_named(fields.nodes, map.name);
      MapHeading heading = map_heading(model, name, fields, field, direction);
      heading.warning = warning;
      heading.unvalued = too_thin_legend;
      files.push_back({case_file_stem(name, fields) + "-" + map.name + ".svg",
                       [&model, &field, heading, diverging = map.diverging](std::ostream& out) {
                         write_contour_map(out, model, field, heading, diverging);
                       }});
    }
  }
}

// "ENCASTRADA · envelope of ULS, SLS · greatest Mx_bottom (kN·m/m)"
MapHeading envelope_heading(const PlateModel& model, const std::string& name,
                            const Envelope& envelope, const EnvelopeMap& map,
                            WDirection direction) {
  const std::string title = model.title.empty() ? name : utf8_text(model.title);
  const EnvelopeField& field = envelope_field(envelope, map.name);
  return {title + " \u00b7 " + envelope.heading + " \u00b7 " +
              (map.greatest ? "greatest " : "least ") + field.name + " (" + field.unit + ")",
          field_meaning(field.name, direction), ""};
}

void add_envelope_files(std::vector<OutputFile>& files, const PlateModel& model,
                        const Envelope& envelope, const std::string& name, WDirection direction,
                        const ExportKinds& kinds, const std::string& warning) {
  const std::string stem = name + "-" + envelope.tag;
  if (kinds.vtu) {
    files.push_back({stem + ".vtu", [&model, &envelope](std::ostream& out) {
                       write_vtu(out, model, envelope_set(envelope));
                     }});
  }
  if (kinds.svg) {
    for (const EnvelopeMap& map : envelope_maps_of(envelope, direction)) {
      MapHeading heading = envelope_heading(model, name, envelope, map, direction);
      heading.warning = warning;
      heading.unvalued = too_thin_legend;
      Field field = extreme_field(envelope_field(envelope, map.name), map.greatest);
      files.push_back({stem + "-" + field.name + ".svg",
                       [&model, field = std::move(field), heading](std::ostream& out) {
                         write_contour_map(out, model, field, heading, false);
                       }});
    }
  }
  if (kinds.csv) {
    files.push_back({stem + ".csv", [&model, &envelope](std::ostream& out) {
                       write_envelope_table(out, model, envelope);
                     }});
  }
}

}  // namespace

std::vector<EnvelopeMap> envelope_maps(WDirection direction) {
  return {{"w", direction == WDirection::down},
          {"Mx_bottom", true},
          {"My_bottom", true},
          {"Mx_top", false},
          {"My_top", false}};
}

std::vector<EnvelopeMap> envelope_maps_of(const Envelope& envelope, WDirection direction) {
  std::vector<EnvelopeMap> maps = envelope_maps(direction);
  for (const BarLayer& layer : bar_layers()) {
    for (const EnvelopeField& field : envelope.fields) {
      if (field.name == layer.area) {
        maps.push_back({layer.area, true});
      }
    }
  }
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

const std::vector<MappedField>& mapped_fields() {
  static const std::vector<MappedField> maps{
      {"w", false},      {"Mx", true},     {"My", true},         {"Mxy", true},
      {"M1", true},      {"M2", true},     {"Mx_bottom", false}, {"My_bottom", false},
      {"Mx_top", false}, {"My_top", false}};
  return maps;
}

std::vector<OutputFile> export_files(const PlateModel& model, const std::vector<CaseFields>& cases,
                                     const std::vector<Envelope>& envelopes,
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
  for (const Envelope& envelope : envelopes) {
    add_envelope_files(files, model, envelope, name, direction, kinds, warning);
  }
  return files;
}

}  // namespace lajefem
