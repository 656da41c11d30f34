#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

int run_export(const Words&, ToolStreams&) {
  throw InputError("export: not built yet");
}

}  // namespace lajefem::tools
