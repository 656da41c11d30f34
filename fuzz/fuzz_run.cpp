// Any byte sequence as the data file of a whole run, driven by a scripted console.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "run/run_program.hpp"

namespace {

const std::filesystem::path& run_folder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "lajefem-fuzz-XXXXXX").string();
    return std::filesystem::path(mkdtemp(pattern.data()));
  }();
  return folder;
}

lajefem::CalendarDate fixed_date() {
  return lajefem::CalendarDate{7, 3, 2026};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  std::ofstream(run_folder() / "dados", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  std::istringstream console_in("dados\n\n");
  std::ostringstream console_out;
  const lajefem::RunEnvironment environment{console_in, console_out, run_folder(), fixed_date};
  const int status = lajefem::run_program(environment);
  if (status != 0 && status != 1) {
    __builtin_trap();
  }
  return 0;
}
