// The run's rule for the results file name: the report must not overwrite the data file or the
// log, which a name such as the data file's own, "ZLIXO" or "./ZLIXO" (or a link to either)
// would do.
#pragma once

#include <filesystem>
#include <string>

#include "model/data_reader.hpp"
#include "model/model_store.hpp"

namespace lajefem {

// The code of the results-name statement, under which such a name is refused.
constexpr int results_file_name_code = 501;

// For a store read whole from the data file `data_name` of `folder`, the folder the run works in:
// a results name that designates the data file or the log ZLIXO there becomes the data error of
// the results-name statement, on its line, with the reason in Portuguese and in English. The log
// need not exist yet: a name that leads to ZLIXO in the folder counts.
void refuse_results_name_of_inputs(const std::filesystem::path& folder,
                                   const std::string& data_name, ModelStore& store,
                                   DataFault& fault);

}  // namespace lajefem
