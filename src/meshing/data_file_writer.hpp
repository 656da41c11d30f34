// The data-file writer shared by the commands: a PlateModel as the text that the program's own
// reader reads back to the same values, bit for bit, with the heading lines at their fixed places.
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

#include "model/plate_model.hpp"

namespace lajefem::meshing {

// The heading lines of a data file, in file order. The reader skips them; they say what the
// records that follow hold.
struct DataFileHeadings {
  std::array<std::string, 2> top;  // before the title: what the model is
  std::string material;
  std::string counts;
  std::array<std::string, 2> nodes;
  std::array<std::string, 2> elements;
  std::array<std::string, 2> supports;
  std::array<std::string, 2> load_cases;
  std::string load_types;                         // after the load-case statement
  std::vector<std::array<std::string, 2>> cases;  // two per load case
  std::string results;                            // before the results name
};

// The headings of the shipped examples, with the two top lines given and one pair per load case.
DataFileHeadings standard_headings(const std::string& first_line, const std::string& second_line,
                                   std::size_t load_case_count);

// The shortest decimal text that reads back to value: 0.85714287f -> "0.85714287",
// 1.0e6f -> "1E6", -0.0f -> "-0".
std::string real_text(float value);

// Why name cannot stand in a 12-character field of the data file (empty when it can): longer than
// 12 characters, or holding a control character.
std::string name_fault(const std::string& name);

// name as a character item: bare when the reader takes it whole, else in apostrophes (doubled
// inside): "placa.res" -> "placa.res", "LAJE 1" -> "'LAJE 1'", "" -> "''", "3*A" -> "'3*A'".
std::string name_item(const std::string& name);

// Writes the model; the title and results name must pass name_fault.
void write_data_file(std::ostream& out, const PlateModel& model, const DataFileHeadings& headings);

// The heading lines of a data file that read_plate_model has read as model, so that a rewritten
// file keeps them.
DataFileHeadings read_data_file_headings(std::istream& data, const PlateModel& model);

}  // namespace lajefem::meshing
