#include "model/store_limits.hpp"

#include <algorithm>

#include "model/equation_numbering.hpp"
#include "model/limits.hpp"

namespace lajefem {

namespace {

std::optional<StoreLimitBreach> breach_of(const std::string& what, std::size_t count, int limit) {
  if (count <= static_cast<std::size_t>(limit)) {
    return std::nullopt;
  }
  return StoreLimitBreach{what, static_cast<long long>(count), limit};
}

}  // namespace

int model_half_bandwidth(const PlateModel& model) {
  int widest = limits::freedoms_per_node;  // a node's own equations, even without elements
  for (const PlateElement& element : model.elements) {
    widest = std::max(widest, equation_spread(element.nodes));
  }
  return widest;
}

std::optional<StoreLimitBreach> store_limit_breach(const PlateModel& model) {
  if (auto breach = breach_of("nodes", model.nodes.size(), limits::max_nodes)) {
    return breach;
  }
  if (auto breach = breach_of("elements", model.elements.size(), limits::max_elements)) {
    return breach;
  }
  if (auto breach = breach_of("support records", model.supports.size(), limits::max_supports)) {
    return breach;
  }
  if (auto breach = breach_of("load cases", model.load_cases.size(), limits::max_load_cases)) {
    return breach;
  }
  for (std::size_t c = 0; c < model.load_cases.size(); ++c) {
    const std::string what = "loads in load case " + std::to_string(c + 1);
    if (auto breach =
            breach_of(what, model.load_cases[c].loads.size(), limits::max_loads_per_case)) {
      return breach;
    }
  }
  const int band = model_half_bandwidth(model);
  return breach_of("half-bandwidth", static_cast<std::size_t>(band), limits::max_band);
}

std::string describe_breach(const StoreLimitBreach& breach) {
  const std::string count = std::to_string(breach.count);
  const std::string amount =
      breach.what == "half-bandwidth" ? breach.what + " " + count : count + " " + breach.what;
  return amount + ", above the limit of " + std::to_string(breach.limit);
}

}  // namespace lajefem
