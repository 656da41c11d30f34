// The model check of a data file: the program's reader with a scan of the lines it takes, the
// checks of the model read and its mechanisms, and the outcome of the run's own steps, so that
// every stop of the run is an error here and no finding says that a complete run stops.
#pragma once

#include <filesystem>
#include <iosfwd>

#include "checking/findings.hpp"

namespace lajefem {

// Every finding about the data file read from `data`, which lies at `data_file`: lajefem runs in
// that file's folder, where the results name must not designate the data file or the log. A data
// error leaves nothing else to check but the lines read up to it. The file is read once, a line
// at a time.
Findings check_data_file(std::istream& data, const std::filesystem::path& data_file);

}  // namespace lajefem
