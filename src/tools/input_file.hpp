// The one input file a command reads, opened the same way by every command.
#pragma once

#include <fstream>
#include <string>

namespace lajefem::tools {

// The input file opened for reading; InputError when it cannot be opened or is a folder (whose
// reading would fail midway).
std::ifstream open_input_file(const std::string& path);

}  // namespace lajefem::tools
