// Mechanisms of a plate model: freedoms without stiffness, and motions that the stiffness with
// its springs does not resist, found from the null space of that stiffness and told apart by
// their parts in the rigid motions (w = a + b·x + c·y, θx = b, θy = c) and in the element's
// spurious patterns (the checkerboard w = ±1, and on a lone element the twist of the rotations).
#pragma once

#include <string>
#include <vector>

#include "checking/findings.hpp"
#include "model/plate_model.hpp"

namespace lajefem {

// The findings mechanism-local, mechanism-rigid, mechanism-spurious and mechanism-global of a
// model whose stiffness with springs (as assemble_model_stiffness gives it) is `stiffness`.
Findings find_mechanisms(const PlateModel& model, const std::vector<double>& stiffness);

// Why the model's stiffness is singular, in words: one line per mechanism found, the same
// messages as the check's. Empty when the stiffness cannot be formed or shows no mechanism.
std::string explain_mechanisms(const PlateModel& model);

}  // namespace lajefem
