// Runs the whole program in-process in a temporary folder, with a scripted console.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "run/run_program.hpp"
#include "tests/common/temp_folder.hpp"

namespace lajefem::testing {

struct RunResult {
  int status = -1;
  std::string console;
  std::string log;
};

inline CalendarDate pinned_date() {
  return CalendarDate{7, 3, 2026};
}

inline RunResult run_in(const TempFolder& folder, const std::string& console_input) {
  std::istringstream console_in(console_input);
  std::ostringstream console_out;
  const RunEnvironment environment{console_in, console_out, folder.path(), pinned_date};
  RunResult result;
  result.status = run_program(environment);
  result.console = console_out.str();
  result.log = folder.read("ZLIXO");
  return result;
}

inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

}  // namespace lajefem::testing
