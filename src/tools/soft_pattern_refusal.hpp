// The refusal that generate and import share: a model whose supports leave the element's
// checkerboard soft (the check's mechanism-soft-spurious) is not written, as export refuses its
// results, unless --allow-spurious asks for it; then it is written with the explanation as a
// warning.
#pragma once

#include <string>

#include "model/plate_model.hpp"
#include "tools/tool_commands.hpp"

namespace lajefem::tools {

// InputError with the check's explanation, prefixed by `subject` (the input's name and ": ", or
// nothing), when the model's pattern is soft and allow_spurious is false; with allow_spurious
// the explanation goes to standard error as a warning of `command`. The pattern is measured at
// any size (on the sparse engine's stiffness beyond lajefem's limits).
void refuse_soft_pattern(const PlateModel& model, bool allow_spurious, const std::string& subject,
                         const std::string& command, ToolStreams& streams);

// The same refusal for a layout whose fault is known before the model is built (a line of
// symmetry that breaks the odd rule in the whole slab): nothing when explanation is empty.
void refuse_spurious(const std::string& explanation, bool allow_spurious,
                     const std::string& subject, const std::string& command, ToolStreams& streams);

}  // namespace lajefem::tools
