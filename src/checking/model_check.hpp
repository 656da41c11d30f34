// The model check of a data file: the program's reader with a scan of the lines it takes, the
// checks of the model read and its mechanisms, and the outcome of the run's own steps, so that
// every stop of the run is an error here and no finding says that a complete run stops.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include "checking/findings.hpp"
#include "model/plate_model.hpp"

namespace lajefem {

// The engine under the check's analysis and mechanism numerics: the program's own steps and its
// dense stiffness within the store's limits and the sparse engine beyond them (automatic), or
// either of them asked for, as `lajefem-tools export --solver` chooses.
enum class CheckSolver { automatic, banded, sparse };

// Every finding about the data file read from `data`, which lies at `data_file`: lajefem runs in
// that file's folder, where the results name must not designate the data file or the log. A data
// error leaves nothing else to check but the lines read up to it. The file is read once, a line
// at a time.
Findings check_data_file(std::istream& data, const std::filesystem::path& data_file,
                         CheckSolver solver = CheckSolver::automatic);

// Every finding about a model read beyond the store's limits (`breach` names the first limit it
// goes beyond, as "324 nodes, above the limit of 300"): that lajefem stops on it, a warning (an
// error when the banded solver is asked for), then every other check at its size through the
// sparse engine.
Findings check_model_beyond_store(const PlateModel& model, const std::string& breach,
                                  CheckSolver solver);

}  // namespace lajefem
