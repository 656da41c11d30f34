// An early end of the run. The step that meets the failure writes its own message first; the
// run driver catches this, shows the pause prompt and ends the run with exit status 1.
#pragma once

#include <exception>

namespace lajefem {

class RunStop : public std::exception {
 public:
  const char* what() const noexcept override { return "run stopped"; }
};

}  // namespace lajefem
