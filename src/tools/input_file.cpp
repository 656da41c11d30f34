#include "tools/input_file.hpp"

#include <filesystem>

#include "tools/tool_errors.hpp"

namespace lajefem::tools {

std::ifstream open_input_file(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw InputError(path + " is a folder: name the file in it");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw InputError("cannot open " + path);
  }
  return in;
}

}  // namespace lajefem::tools
