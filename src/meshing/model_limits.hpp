// The program's limits checked on a model before it is written: a file that lajefem would refuse
// is never written.
#pragma once

#include <optional>
#include <string>

#include "model/plate_model.hpp"

namespace lajefem::meshing {

// The first limit the model goes beyond, with its count and the limit.
struct LimitBreach {
  std::string what;  // "nodes", "elements", "support records", "load cases",
                     // "loads in load case 2", "half-bandwidth"
  long long count = 0;
  int limit = 0;
};

std::optional<LimitBreach> find_limit_breach(const PlateModel& model);

// "324 nodes, above the limit of 300"
std::string describe_breach(const LimitBreach& breach);

}  // namespace lajefem::meshing
