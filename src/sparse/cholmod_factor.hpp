// The sparse Cholesky factorisation of a symmetric positive definite stiffness and its solves,
// through CHOLMOD (supernodal, nested-dissection ordering by METIS on the node graph, or on the
// equations of a matrix that is not made of node blocks; BLAS on every core).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "sparse/stiffness_pattern.hpp"

namespace lajefem::sparse {

// How a factorisation ended: factored, or the 0-based equation at which the matrix showed itself
// singular: a pivot that is not positive, or one that the elimination cancelled to round-off of
// its diagonal (a mechanism that round-off turns positive). Springs of a penalty stiffness
// (10¹² against element stiffnesses of 10³) leave the factor's condition estimate far below any
// useful threshold on sound models, so the pivots are measured against their own diagonals; the
// model check finds the soft patterns.
struct Factorisation {
  bool factored = false;
  std::int64_t failing_equation = -1;
};

// What the factorisation cost: the library's count of its floating-point operations (of the
// ordering found) and the wall time of the ordering with the symbolic analysis and of the
// numeric factorisation.
struct FactorCost {
  double flops = 0;
  double ordering_seconds = 0;
  double factor_seconds = 0;
};

// A factor of the matrix with the pattern's structure and `values` (one per stored entry).
// std::bad_alloc when memory runs out; std::runtime_error for any other failure of the library.
class CholeskyFactor {
 public:
  CholeskyFactor(const StiffnessPattern& pattern, const std::vector<double>& values);
  ~CholeskyFactor();
  CholeskyFactor(const CholeskyFactor&) = delete;
  CholeskyFactor& operator=(const CholeskyFactor&) = delete;

  const Factorisation& outcome() const;
  const FactorCost& cost() const;

  // X with A·X = B for the columns of B (column-major, equations × columns), all at once.
  std::vector<double> solve(const std::vector<double>& b, int columns) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace lajefem::sparse
