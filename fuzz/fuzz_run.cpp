// Any byte sequence as the data file of a whole run, driven by a scripted console.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "model/data_reader.hpp"
#include "model/model_store.hpp"
#include "run/run_program.hpp"

namespace {

namespace fs = std::filesystem;

// The run's working folder, removed with everything in it when the fuzzer ends.
class RunFolder {
 public:
  RunFolder() {
    std::string pattern = (fs::temp_directory_path() / "lajefem-fuzz-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~RunFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;

  const fs::path& path() const { return path_; }

  // Every run starts from a folder that holds nothing but its data file.
  void empty() const {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(path_, error)) {
      fs::remove_all(entry.path(), error);
    }
  }

 private:
  fs::path path_;
};

const RunFolder& run_folder() {
  static const RunFolder folder;
  return folder;
}

std::size_t open_descriptor_count() {
  std::size_t count = 0;
  std::error_code error;
  for (auto entry = fs::directory_iterator("/proc/self/fd", error);
       entry != fs::directory_iterator(); entry.increment(error)) {
    ++count;
  }
  return count;
}

lajefem::CalendarDate fixed_date() {
  return lajefem::CalendarDate{7, 3, 2026};
}

// A results file name with a slash could name a file outside the run's folder: such inputs are
// left out, so that fuzzing writes nowhere else.
// The store for this check is made once and set back to its first state for every input.
bool writes_outside_folder(const std::string& text) {
  static const auto store = lajefem::make_model_store();
  std::destroy_at(store.get());
  std::construct_at(store.get());
  std::istringstream data(text);
  lajefem::DataFault fault;
  lajefem::read_data_file(data, *store, fault);
  return store->results_file_name.find('/') != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(bytes), size);
  if (writes_outside_folder(text)) {
    return -1;
  }
  const RunFolder& folder = run_folder();
  folder.empty();
  std::ofstream(folder.path() / "dados", std::ios::binary) << text;
  const std::size_t descriptors_before = open_descriptor_count();
  std::istringstream console_in("dados\n\n");
  std::ostringstream console_out;
  const lajefem::RunEnvironment environment{console_in, console_out, folder.path(), fixed_date};
  const int status = lajefem::run_program(environment);
  // Exit status 0 only for a complete run, and no file of the run (the scratch file above all)
  // left open afterwards.
  const bool complete = console_out.str().find("10\xba passo executado") != std::string::npos;
  const bool status_right = complete ? status == 0 : status == 1;
  if (!status_right || open_descriptor_count() != descriptors_before) {
    __builtin_trap();
  }
  return 0;
}
