#include <iostream>
#include <string>
#include <vector>

#include "files/process_guards.hpp"
#include "run/command_line.hpp"
#include "run/run_program.hpp"

int main(int argc, char** argv) {
  lajefem::open_closed_standard_descriptors();
  lajefem::clean_up_on_signals();
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (const auto status = lajefem::answer_arguments(arguments, std::cout, std::cerr)) {
    return *status;
  }
  return lajefem::run_program(lajefem::console_environment());
}
