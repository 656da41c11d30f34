// The English wording of the mechanism check: what each mechanism found by mechanism_modes is,
// where it is and what to do about it.
#pragma once

#include <string>
#include <vector>

#include "checking/findings.hpp"
#include "checking/mechanism_modes.hpp"

namespace lajefem {

// One finding per node with freedoms (`weak`, as local_freedoms gives them) without stiffness.
Findings local_mechanism_findings(const PlateModel& model, const std::vector<int>& weak);

// "the plate", or which part of it.
std::string part_text(const PlatePart& part, std::size_t part_count);

// Support records (1-based) at the part's nodes.
std::vector<int> part_supports(const PlateModel& model, const PlatePart& part);

// "supports 1, 2, 3 and 4 (nodes 1, 7, 43 and 49)"
std::string supports_text(const PlateModel& model, const std::vector<int>& supports);

// The free rigid motions (combinations of the first three patterns, one a column) in words.
std::string rigid_message(const PlateModel& model, const Eigen::MatrixXd& gammas,
                          const PartFreedoms& freedoms, const std::string& part);

std::string spurious_message(const PlateModel& model, const PlatePart& part,
                             const std::string& part_name);

std::string global_message(const std::string& part_name);

// The checkerboard held but soft in a part, `ratio` its measure (soft_patterns.hpp): which supports
// leave it soft and what to do.
std::string soft_spurious_message(const PlateModel& model, const PlatePart& part,
                                  const std::string& part_name, double ratio);

}  // namespace lajefem
