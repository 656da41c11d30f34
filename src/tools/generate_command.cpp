#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

int run_generate(const Words&, ToolStreams&) {
  throw InputError("generate: not built yet");
}

}  // namespace lajefem::tools
