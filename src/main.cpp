#include <iostream>

#include "run/run_program.hpp"

int main() {
  return lajefem::run_program(lajefem::console_environment());
}
