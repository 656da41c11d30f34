#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

int run_check(const Words&, ToolStreams&) {
  throw InputError("check: not built yet");
}

}  // namespace lajefem::tools
