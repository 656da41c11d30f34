// The data file read straight into the plate model, sized by the file rather than by the store:
// the program's statements, data errors and empty groups, with no limit on the number of nodes,
// elements, supports, load cases or loads of a case. Memory grows with the statements read, never
// with a count alone: a file that claims 10⁹ nodes and ends after three of them costs three.
#pragma once

#include <iosfwd>

#include "model/data_reader.hpp"
#include "model/plate_model.hpp"

namespace lajefem {

// Reads the whole data file into `model` (which it replaces) and returns the data-error code: 600
// when everything is read, otherwise the code of the failing statement, with fault saying where
// and why as read_data_file says it. The model is complete only on 600.
int read_file_sized_model(std::istream& data, PlateModel& model, DataFault& fault);

}  // namespace lajefem
