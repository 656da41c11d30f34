#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

int run_import(const Words&, ToolStreams&) {
  throw InputError("import: not built yet");
}

}  // namespace lajefem::tools
