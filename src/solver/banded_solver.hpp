// Block Gaussian elimination on the banded global stiffness, for all load cases at once.
#pragma once

#include <iosfwd>

#include "model/model_store.hpp"

namespace lajefem {

// Told of each use of a diagonal block whose inversion failed, with the largest candidate pivot:
// the console program shows a pivot line each time.
class SolverListener {
 public:
  virtual ~SolverListener() = default;
  virtual void pivot_failed(double largest_candidate) = 0;
};

// The console's pivot line, the solver's one piece of text:
// 5.0e-5 -> "\n          NAO HA PIVOT SUPERIOR A 0.500000000E-04\n".
void write_pivot_failure_line(std::ostream& console, double largest_candidate);

// Replaces the load vectors (columns 1..load_case_count) by the displacements. band_stiffness is
// overwritten by the forward sweep. singular_flag is raised when a block cannot be inverted.
void solve_banded(int leading_dim, int work_dim, int case_dim, int equation_count,
                  int half_bandwidth, int load_case_count, BandMatrix& band_stiffness,
                  LoadMatrix& load_vectors, int& singular_flag, SolverListener& listener);

}  // namespace lajefem
