#include <iostream>
#include <string>
#include <vector>

#include "run/command_line.hpp"
#include "run/run_program.hpp"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (const auto status = lajefem::answer_arguments(arguments, std::cout, std::cerr)) {
    return *status;
  }
  return lajefem::run_program(lajefem::console_environment());
}
