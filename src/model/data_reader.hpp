// The data-file reader: the free-format statements of the data file, in file order, into the
// model store. data_error_code tracks the statement being read; 600 means everything was read.
#pragma once

#include <iosfwd>
#include <string>

#include "model/model_store.hpp"

namespace lajefem {

// Reads the whole data file. On a failure data_error_code keeps the code of the failing
// statement; when the failure is a limit or reference violation (a count above the store's
// limits, a node number outside 1..node_count, ...) rejection_reason receives a short Portuguese
// explanation for the "MOTIVO: " line, otherwise it is left empty.
void read_data_file(std::istream& data, ModelStore& store, std::string& rejection_reason);

// Reads the answer to the file-name prompt: one free-format character value, cut or padded to
// 12 characters. Lines of blanks are passed over; an answer without a value (a lone slash, a
// null value, end of input) leaves name as it is.
void read_file_name_answer(std::istream& console, std::string& name);

}  // namespace lajefem
