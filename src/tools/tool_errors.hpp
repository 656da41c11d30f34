// How a command of the companion program ends early. Each is thrown once, where the fault is
// found, and turned into one line on standard error and an exit status by the program's main.
#pragma once

#include <stdexcept>
#include <string>

#include "text/visible_bytes.hpp"

namespace lajefem::tools {

// The command line cannot be used (exit status 2).
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The input cannot be used: unreadable file, model beyond the limits, mesh it cannot handle
// (exit status 1). The text says what is wrong and what to do; the bytes of a file that it quotes
// are shown, a NUL byte included (see visible_bytes).
struct InputError : std::runtime_error {
  explicit InputError(const std::string& what) : std::runtime_error(visible_bytes(what)) {}
};

}  // namespace lajefem::tools
