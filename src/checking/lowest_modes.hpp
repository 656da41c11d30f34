// The null motions of a part's scaled stiffness at any size: the few lowest modes from a
// shift-invert eigen-solve (Spectra's Lanczos iteration) on a sparse Cholesky factor of the
// matrix, shifted where the matrix itself is singular. The storage of the modes is the part's
// freedoms times their few columns.
#pragma once

#include <Eigen/Dense>
#include <memory>
#include <vector>

#include "checking/sparse_part_stiffness.hpp"
#include "sparse/cholmod_factor.hpp"

namespace lajefem {

// The modes of a scaled stiffness (unit diagonal) that it does not resist, with the factor of the
// unshifted matrix where it is positive definite, for the solves that come after.
struct NullModes {
  Eigen::MatrixXd basis;                           // orthonormal columns, one a null mode
  std::unique_ptr<sparse::CholeskyFactor> factor;  // of `a` itself; null when it is singular
  bool definite = true;                            // false: not positive semi-definite
};

// The orthonormal null modes of the scaled stiffness `a` (`is_w` its rows of w): the modes whose
// eigenvalue is at most null_eigenvalue (mechanism_modes.hpp) times the largest, counted in the
// stiffness with the rotations condensed out where they can be, as the dense path counts them.
NullModes null_modes(const UpperMatrix& a, const std::vector<bool>& is_w);

}  // namespace lajefem
