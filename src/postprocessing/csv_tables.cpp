#include "postprocessing/csv_tables.hpp"

#include <ostream>
#include <string>

#include "postprocessing/nodal_values.hpp"
#include "postprocessing/number_text.hpp"
#include "postprocessing/result_fields.hpp"

namespace lajefem {

namespace {

void write_header(std::ostream& out, const char* leading, const FieldTable& fields) {
  out << leading;
  for (const Field& field : fields) {
    out << ',' << field.column;
  }
  out << '\n';
}

void write_values(std::ostream& out, const FieldTable& fields, std::size_t row) {
  std::string line;
  for (const Field& field : fields) {
    line += ',';
    line += value_text(field, row);
  }
  out << line << '\n';
}

}  // namespace

void write_node_table(std::ostream& out, const PlateModel& model,
                      const std::vector<CaseFields>& cases) {
  if (cases.empty()) {
    return;
  }
  write_header(out, "node,x,y,case", cases.front().nodes);
  for (std::size_t c = 0; c < cases.size(); ++c) {
    for (std::size_t n = 0; n < model.nodes.size(); ++n) {
      out << n + 1 << ',' << float_text(model.nodes[n].x) << ',' << float_text(model.nodes[n].y)
          << ',' << cases[c].key;
      write_values(out, cases[c].nodes, n);
    }
  }
}

void write_point_table(std::ostream& out, const PlateModel& model,
                       const std::vector<CaseFields>& cases) {
  if (cases.empty()) {
    return;
  }
  write_header(out, "element,point,x,y,case", cases.front().points);
  for (std::size_t c = 0; c < cases.size(); ++c) {
    for (std::size_t e = 0; e < model.elements.size(); ++e) {
      const auto positions = gauss_point_positions(model, model.elements[e]);
      for (std::size_t p = 0; p < 4; ++p) {
        out << e + 1 << ',' << p + 1 << ',' << double_text(positions[p].x) << ','
            << double_text(positions[p].y) << ',' << cases[c].key;
        write_values(out, cases[c].points, 4 * e + p);
      }
    }
  }
}

void write_envelope_table(std::ostream& out, const PlateModel& model, const Envelope& envelope) {
  out << "node,x,y";
  for (const EnvelopeField& field : envelope.fields) {
    out << ',' << field.column << "_max," << field.column << "_max_by," << field.column << "_min,"
        << field.column << "_min_by";
  }
  out << '\n';
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    std::string line = std::to_string(n + 1) + ',' + float_text(model.nodes[n].x) + ',' +
                       float_text(model.nodes[n].y);
    for (const EnvelopeField& field : envelope.fields) {
      line += ',' + envelope_value_text(field, field.greatest[n]) + ',' +
              envelope.governing[field.greatest_by[n]] + ',' +
              envelope_value_text(field, field.least[n]) + ',' +
              envelope.governing[field.least_by[n]];
    }
    out << line << '\n';
  }
}

}  // namespace lajefem
