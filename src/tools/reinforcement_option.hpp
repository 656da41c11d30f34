// The value of export's --reinforcement: `fck=F,fyk=F,cover=C[,bar=D][,gamma_c=G][,gamma_s=G]
// [,alpha_cc=A]`, each key once, fck, fyk and cover required.
#pragma once

#include <string>

#include "postprocessing/reinforcement.hpp"

namespace lajefem::tools {

// The parameters the text names, the others at their defaults; UsageError naming the item at
// fault (an unknown or repeated key, a missing one, a value that is not a number). The range of
// the values is the caller's to check against the slab.
ReinforcementParameters parse_reinforcement_option(const std::string& text);

}  // namespace lajefem::tools
