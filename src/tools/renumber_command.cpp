#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

int run_renumber(const Words&, ToolStreams&) {
  throw InputError("renumber: not built yet");
}

}  // namespace lajefem::tools
