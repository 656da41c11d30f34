// The odd rule on an imported mesh: neighbouring point supports an even number of elements apart
// (along the element sides) sit on nodes of one colour of the element's checkerboard, which they
// then cannot hold. Such a pair is refused unless the model check finds the pattern held by the
// other supports all the same, which is then told as a note.
#pragma once

#include <string>
#include <vector>

#include "model/plate_model.hpp"
#include "tools/tool_commands.hpp"

namespace lajefem::tools {

// Checks every pair of neighbouring point supports among `points` (1-based nodes of a model
// of any size, with its material). InputError naming the even pairs and the
// check's findings, prefixed by `subject`, when the check does not find the pattern held; with
// allow_spurious the same text goes to standard error as a warning of `command`. Returns whether
// it ran the model check (so that the soft-pattern refusal need not run it again: a soft pattern
// is one of the findings the check has then told, or found absent).
bool check_odd_rule(const PlateModel& model, const std::vector<int>& points, bool allow_spurious,
                    const std::string& subject, const std::string& command, ToolStreams& streams);

}  // namespace lajefem::tools
