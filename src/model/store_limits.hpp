// A plate model against the limits of the program's store: the first limit it goes beyond, if
// any. Within them the console program and its steps can analyse the model; beyond them only the
// companion's sparse engine can.
#pragma once

#include <optional>
#include <string>

#include "model/plate_model.hpp"

namespace lajefem {

// Half-bandwidth (stored diagonals, the diagonal included) that the node numbering implies: the
// widest spread of an element's equations, at least a node's own three.
int model_half_bandwidth(const PlateModel& model);

// The first store limit a model goes beyond, with its count and the limit.
struct StoreLimitBreach {
  std::string what;  // "nodes", "elements", "support records", "load cases",
                     // "loads in load case 2", "half-bandwidth"
  long long count = 0;
  int limit = 0;
};

// Nodes, elements, support records, load cases, the loads of each case in turn, half-bandwidth.
std::optional<StoreLimitBreach> store_limit_breach(const PlateModel& model);

// "324 nodes, above the limit of 300"
std::string describe_breach(const StoreLimitBreach& breach);

}  // namespace lajefem
