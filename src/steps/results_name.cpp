#include "steps/results_name.hpp"

#include <system_error>

#include "files/run_files.hpp"

namespace lajefem {

namespace fs = std::filesystem;

namespace {

// The same file (links followed), or, for a file not there yet, the same place in the folder.
bool same_file_or_place(const fs::path& path, const fs::path& other) {
  if (designates_same_file(path, other)) {
    return true;
  }
  std::error_code error;
  const fs::path place = fs::weakly_canonical(path, error);
  std::error_code other_error;
  const fs::path other_place = fs::weakly_canonical(other, other_error);
  return !error && !other_error && place == other_place;
}

}  // namespace

void refuse_results_name_of_inputs(const fs::path& folder, const std::string& data_name,
                                   ModelStore& store, DataFault& fault) {
  const std::string results_name = trimmed_name(store.results_file_name);
  const fs::path results = folder / results_name;
  if (!same_file_or_place(results, folder / trimmed_name(data_name)) &&
      !same_file_or_place(results, folder / "ZLIXO")) {
    return;
  }
  store.data_error_code = results_file_name_code;
  fault.line = fault.results_name_line;
  fault.reason =
      "o ficheiro de resultados " + results_name + " seria o ficheiro de dados ou o ficheiro ZLIXO";
  fault.explanation = "the results file " + results_name +
                      " would be the data file or the log ZLIXO, which the report would overwrite";
}

}  // namespace lajefem
