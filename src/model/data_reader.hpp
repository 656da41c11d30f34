// The data-file reader: the free-format statements of the data file, in file order, into the
// model store or another destination. The data-error code tracks the statement being read; 600
// means everything was read.
#pragma once

#include <iosfwd>
#include <string>

#include "model/data_destination.hpp"
#include "model/model_store.hpp"

namespace lajefem {

// Where and why the data file was rejected, and where the results file name stands (the run
// driver checks that name against the folder's files).
struct DataFault {
  long long line = 0;               // 1-based line of the value at fault; 0 when nothing failed
  std::string reason;               // short Portuguese explanation for the "MOTIVO: " line
  std::string explanation;          // the same in English, for the companion program
  long long results_name_line = 0;  // line of the results file name once it is read
  int load_case = 0;                // the load case whose headings or loads were at fault, or 0
};

// Reads the whole data file into `destination`. On a failure the destination keeps the code of
// the failing statement and fault says where and why: an unreadable value (quoted as written),
// the end of the file, a line longer than 32 MiB, or a limit or reference violation (a count
// above the destination's capacity, a node number outside 1..node_count, a blank results file
// name, ...).
void read_data_statements(std::istream& data, DataDestination& destination, DataFault& fault);

// Reads the whole data file into the store, within the store's limits; data_error_code is the
// destination's code.
void read_data_file(std::istream& data, ModelStore& store, DataFault& fault);

// Reads the answer to the file-name prompt: one free-format character value, cut or padded to
// 12 characters. Lines of blanks are passed over; an answer without a value (a lone slash, a
// null value, end of input) leaves name as it is.
void read_file_name_answer(std::istream& console, std::string& name);

}  // namespace lajefem
