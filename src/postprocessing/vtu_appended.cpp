#include "postprocessing/vtu_appended.hpp"

#include <bit>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace lajefem {

namespace {

static_assert(std::endian::native == std::endian::little,
              "the appended data is written in the machine's byte order, declared little-endian");

constexpr std::uint8_t vtk_quad = 9;

// One data array: its XML attributes, its byte count and the writer of its values.
struct AppendedArray {
  std::string type;
  std::string name;
  int components = 1;
  std::uint64_t bytes = 0;
  std::function<void(std::ostream&)> write;
};

template <typename Value>
void write_values(std::ostream& out, const std::vector<Value>& values) {
  out.write(reinterpret_cast<const char*>(values.data()),
            static_cast<std::streamsize>(values.size() * sizeof(Value)));
}

// A field's values at its precision; adding +0 turns −0 into +0 as the text form writes it.
AppendedArray field_array(const Field& field) {
  const std::size_t size = field.single ? sizeof(float) : sizeof(double);
  return {field.single ? "Float32" : "Float64", field.name, 1, field.values.size() * size,
          [&field](std::ostream& out) {
            if (field.single) {
              std::vector<float> values;
              values.reserve(field.values.size());
              for (const double value : field.values) {
                values.push_back(static_cast<float>(value) + 0.0f);
              }
              write_values(out, values);
            } else {
              std::vector<double> values;
              values.reserve(field.values.size());
              for (const double value : field.values) {
                values.push_back(value + 0.0);
              }
              write_values(out, values);
            }
          }};
}

AppendedArray displacement_array(const std::vector<double>& deflection_m) {
  return {"Float32", "displacement", 3, deflection_m.size() * 3 * sizeof(float),
          [&deflection_m](std::ostream& out) {
            std::vector<float> values;
            values.reserve(3 * deflection_m.size());
            for (const double w : deflection_m) {
              values.insert(values.end(), {0.0f, 0.0f, static_cast<float>(w) + 0.0f});
            }
            write_values(out, values);
          }};
}

AppendedArray points_array(const PlateModel& model) {
  return {"Float32", "Points", 3, model.nodes.size() * 3 * sizeof(float),
          [&model](std::ostream& out) {
            std::vector<float> values;
            values.reserve(3 * model.nodes.size());
            for (const PlateNode& node : model.nodes) {
              values.insert(values.end(), {node.x + 0.0f, node.y + 0.0f, 0.0f});
            }
            write_values(out, values);
          }};
}

std::vector<AppendedArray> cell_arrays(const PlateModel& model) {
  const std::size_t cells = model.elements.size();
  return {{"Int32", "connectivity", 1, cells * 4 * sizeof(std::int32_t),
           [&model](std::ostream& out) {
             std::vector<std::int32_t> values;
             values.reserve(4 * model.elements.size());
             for (const PlateElement& element : model.elements) {
               for (const int node : element.nodes) {
                 values.push_back(node - 1);
               }
             }
             write_values(out, values);
           }},
          {"Int32", "offsets", 1, cells * sizeof(std::int32_t),
           [cells](std::ostream& out) {
             std::vector<std::int32_t> values(cells);
             for (std::size_t e = 0; e < cells; ++e) {
               values[e] = static_cast<std::int32_t>(4 * (e + 1));
             }
             write_values(out, values);
           }},
          {"UInt8", "types", 1, cells, [cells](std::ostream& out) {
             write_values(out, std::vector<std::uint8_t>(cells, vtk_quad));
           }}};
}

// The XML of each array with its offset into the appended block, which offset advances by.
void write_array_element(std::ostream& out, const AppendedArray& array, std::uint64_t& offset) {
  out << "    <DataArray type=\"" << array.type << "\" Name=\"" << array.name << '"';
  if (array.components > 1) {
    out << " NumberOfComponents=\"" << array.components << '"';
  }
  out << " format=\"appended\" offset=\"" << offset << "\"/>\n";
  offset += sizeof(std::uint64_t) + array.bytes;
}

void write_arrays(std::ostream& out, const std::vector<AppendedArray>& arrays,
                  std::uint64_t& offset) {
  for (const AppendedArray& array : arrays) {
    write_array_element(out, array, offset);
  }
}

}  // namespace

void write_appended_vtu(std::ostream& out, const PlateModel& model, const CaseFields& fields) {
  std::vector<AppendedArray> point_data;
  for (const Field& field : fields.nodes) {
    point_data.push_back(field_array(field));
    if (field.name == "theta_y") {
      point_data.push_back(displacement_array(fields.deflection_m));
    }
  }
  std::vector<AppendedArray> cell_data;
  for (const Field& field : fields.cells) {
    cell_data.push_back(field_array(field));
  }
  std::vector<AppendedArray> points{points_array(model)};
  std::vector<AppendedArray> cells = cell_arrays(model);
  out << "<?xml version=\"1.0\"?>\n"
         "<VTKFile type=\"UnstructuredGrid\" version=\"1.0\" byte_order=\"LittleEndian\" "
         "header_type=\"UInt64\">\n"
         " <UnstructuredGrid>\n"
      << "  <Piece NumberOfPoints=\"" << model.nodes.size() << "\" NumberOfCells=\""
      << model.elements.size() << "\">\n";
  std::uint64_t offset = 0;
  out << "   <PointData Scalars=\"w\" Vectors=\"displacement\">\n";
  write_arrays(out, point_data, offset);
  out << "   </PointData>\n   <CellData Scalars=\"Mx\">\n";
  write_arrays(out, cell_data, offset);
  out << "   </CellData>\n   <Points>\n";
  write_arrays(out, points, offset);
  out << "   </Points>\n   <Cells>\n";
  write_arrays(out, cells, offset);
  out << "   </Cells>\n"
         "  </Piece>\n"
         " </UnstructuredGrid>\n"
         " <AppendedData encoding=\"raw\">\n  _";
  for (const auto* group : {&point_data, &cell_data, &points, &cells}) {
    for (const AppendedArray& array : *group) {
      const std::uint64_t bytes = array.bytes;
      out.write(reinterpret_cast<const char*>(&bytes), sizeof bytes);
      array.write(out);
    }
  }
  out << "\n </AppendedData>\n"
         "</VTKFile>\n";
}

}  // namespace lajefem
