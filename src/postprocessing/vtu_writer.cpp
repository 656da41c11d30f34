#include "postprocessing/vtu_writer.hpp"

#include <ostream>

#include "postprocessing/number_text.hpp"
#include "postprocessing/vtu_appended.hpp"

namespace lajefem {

namespace {

constexpr int vtk_quad = 9;

// Adds a word to a blank-separated list.
void append_word(std::string& text, const std::string& word) {
  if (!text.empty()) {
    text += ' ';
  }
  text += word;
}

// The values of one data array: Float32 for the program's single-precision results.
std::string array_values(const Field& field) {
  std::string text;
  for (std::size_t row = 0; row < field.values.size(); ++row) {
    append_word(text, value_text(field, row));
  }
  return text;
}

void write_data_array(std::ostream& out, const std::string& type, const std::string& name,
                      int components, const std::string& values) {
  out << "    <DataArray type=\"" << type << "\" Name=\"" << name << '"';
  if (components > 1) {
    out << " NumberOfComponents=\"" << components << '"';
  }
  out << " format=\"ascii\">" << values << "</DataArray>\n";
}

void write_field(std::ostream& out, const Field& field) {
  write_data_array(out, field.single ? "Float32" : "Float64", field.name, 1, array_values(field));
}

// (0, 0, w) per node, in m, for Warp By Vector.
std::string displacement_values(const std::vector<double>& deflection_m) {
  std::string text;
  for (const double w : deflection_m) {
    append_word(text, "0 0 " + float_text(static_cast<float>(w)));
  }
  return text;
}

// The first field is the one ParaView shows first; the displacement vector is there when w is.
void write_point_data(std::ostream& out, const CaseFields& fields) {
  out << "   <PointData Scalars=\"" << xml_escaped(fields.nodes.front().name) << '"'
      << (fields.deflection_m.empty() ? "" : " Vectors=\"displacement\"") << ">\n";
  for (const Field& field : fields.nodes) {
    write_field(out, field);
    if (field.name == "theta_y" && !fields.deflection_m.empty()) {
      write_data_array(out, "Float32", "displacement", 3, displacement_values(fields.deflection_m));
    }
  }
  out << "   </PointData>\n";
}

void write_cell_data(std::ostream& out, const CaseFields& fields) {
  if (fields.cells.empty()) {
    return;
  }
  out << "   <CellData Scalars=\"" << xml_escaped(fields.cells.front().name) << "\">\n";
  for (const Field& field : fields.cells) {
    write_field(out, field);
  }
  out << "   </CellData>\n";
}

void write_points(std::ostream& out, const PlateModel& model) {
  std::string values;
  for (const PlateNode& node : model.nodes) {
    append_word(values, float_text(node.x) + ' ' + float_text(node.y) + " 0");
  }
  out << "   <Points>\n";
  write_data_array(out, "Float32", "Points", 3, values);
  out << "   </Points>\n";
}

// Connectivity with 0-based ids; offsets are the end of each cell's list (4, 8, ..., 4E).
void write_cells(std::ostream& out, const PlateModel& model) {
  std::string connectivity;
  std::string offsets;
  std::string types;
  int end = 0;
  for (const PlateElement& element : model.elements) {
    for (const int node : element.nodes) {
      append_word(connectivity, std::to_string(node - 1));
    }
    end += 4;
    append_word(offsets, std::to_string(end));
    append_word(types, std::to_string(vtk_quad));
  }
  out << "   <Cells>\n";
  write_data_array(out, "Int32", "connectivity", 1, connectivity);
  write_data_array(out, "Int32", "offsets", 1, offsets);
  write_data_array(out, "UInt8", "types", 1, types);
  out << "   </Cells>\n";
}

}  // namespace

void write_vtu(std::ostream& out, const PlateModel& model, const CaseFields& fields) {
  if (model.nodes.size() > most_text_vtu_nodes) {
    write_appended_vtu(out, model, fields);
  } else {
    write_text_vtu(out, model, fields);
  }
}

void write_text_vtu(std::ostream& out, const PlateModel& model, const CaseFields& fields) {
  out << "<?xml version=\"1.0\"?>\n"
         "<VTKFile type=\"UnstructuredGrid\" version=\"0.1\" byte_order=\"LittleEndian\">\n"
         " <UnstructuredGrid>\n"
      << "  <Piece NumberOfPoints=\"" << model.nodes.size() << "\" NumberOfCells=\""
      << model.elements.size() << "\">\n";
  write_point_data(out, fields);
  write_cell_data(out, fields);
  write_points(out, model);
  write_cells(out, model);
  out << "  </Piece>\n"
         " </UnstructuredGrid>\n"
         "</VTKFile>\n";
}

void write_pvd(std::ostream& out, const std::vector<std::string>& case_files) {
  out << "<?xml version=\"1.0\"?>\n"
         "<VTKFile type=\"Collection\" version=\"0.1\" byte_order=\"LittleEndian\">\n"
         " <Collection>\n";
  for (std::size_t c = 0; c < case_files.size(); ++c) {
    out << "  <DataSet timestep=\"" << c + 1 << "\" group=\"\" part=\"0\" file=\""
        << xml_escaped(case_files[c]) << "\"/>\n";
  }
  out << " </Collection>\n"
         "</VTKFile>\n";
}

}  // namespace lajefem
