// Gauss-Jordan inversion of one diagonal block of the global stiffness, without row exchanges.
#pragma once

#include "model/model_store.hpp"

namespace lajefem {

// The single-precision 1.0e-4 widened to double.
constexpr double pivot_tolerance = static_cast<double>(1.0e-4f);

// What an inversion came to.
struct BlockInversion {
  bool inverted = true;          // false: a pivot at or below the tolerance could not be rescued
  double largest_candidate = 0;  // when not inverted: the largest |entry| below that pivot
};

// block_inverse = inverse of the leading n × n part of block (which is destroyed). The inversion
// gives up at the first pivot that no row below it can strengthen.
BlockInversion invert_block(int work_dim, BlockMatrix& block, BlockMatrix& block_inverse, int n);

}  // namespace lajefem
