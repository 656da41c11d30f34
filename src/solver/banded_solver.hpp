// Block Gaussian elimination on the banded global stiffness, for all load cases at once.
#pragma once

#include <iosfwd>

#include "model/model_store.hpp"

namespace lajefem {

// Replaces the load vectors (columns 1..load_case_count) by the displacements. band_stiffness is
// overwritten by the forward sweep. singular_flag is raised when a block cannot be inverted.
void solve_banded(int leading_dim, int work_dim, int case_dim, int equation_count,
                  int half_bandwidth, int load_case_count, BandMatrix& band_stiffness,
                  LoadMatrix& load_vectors, int& singular_flag, std::ostream& console);

}  // namespace lajefem
