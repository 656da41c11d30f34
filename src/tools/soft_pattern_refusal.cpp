#include "tools/soft_pattern_refusal.hpp"

#include <ostream>

#include "checking/mechanisms.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

void refuse_soft_pattern(const PlateModel& model, bool allow_spurious, const std::string& subject,
                         const std::string& command, ToolStreams& streams) {
  refuse_spurious(explain_soft_spurious(model), allow_spurious, subject, command, streams);
}

void refuse_spurious(const std::string& explanation, bool allow_spurious,
                     const std::string& subject, const std::string& command, ToolStreams& streams) {
  if (explanation.empty()) {
    return;
  }
  if (!allow_spurious) {
    throw InputError(subject + explanation + " (give --allow-spurious to write the model anyway)");
  }
  streams.err << "lajefem-tools " << command << ": warning: " << explanation << '\n';
}

}  // namespace lajefem::tools
