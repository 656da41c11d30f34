#include "tools/reinforcement_option.hpp"

#include <map>

#include "tools/arguments.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

namespace {

constexpr const char* option = "--reinforcement";

double* parameter_named(ReinforcementParameters& p, const std::string& key) {
  const std::map<std::string, double*> members{
      {"fck", &p.fck},         {"fyk", &p.fyk},         {"cover", &p.cover},      {"bar", &p.bar},
      {"gamma_c", &p.gamma_c}, {"gamma_s", &p.gamma_s}, {"alpha_cc", &p.alpha_cc}};
  const auto found = members.find(key);
  return found == members.end() ? nullptr : found->second;
}

}  // namespace

ReinforcementParameters parse_reinforcement_option(const std::string& text) {
  ReinforcementParameters parameters;
  std::map<std::string, bool> given;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, comma - start);
    const std::size_t equals = item.find('=');
    const std::string key = item.substr(0, equals);
    double* member = parameter_named(parameters, key);
    if (equals == std::string::npos || member == nullptr) {
      throw UsageError(std::string(option) + ": '" + item +
                       "' is not KEY=VALUE with a key of fck, fyk, cover, bar, gamma_c, "
                       "gamma_s, alpha_cc");
    }
    if (given[key]) {
      throw UsageError(std::string(option) + ": " + key + " given twice");
    }
    given[key] = true;
    *member = parse_number(item.substr(equals + 1), std::string(option) + " " + key);
    start = comma + 1;
  }
  for (const char* key : {"fck", "fyk", "cover"}) {
    if (!given[key]) {
      throw UsageError(std::string(option) + ": no " + key + "= (fck, fyk and cover are needed)");
    }
  }
  return parameters;
}

}  // namespace lajefem::tools
