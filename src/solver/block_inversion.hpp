// Gauss-Jordan inversion of one diagonal block of the global stiffness, without row exchanges.
#pragma once

#include <iosfwd>

#include "model/model_store.hpp"

namespace lajefem {

// The single-precision 1.0e-4 widened to double.
constexpr double pivot_tolerance = static_cast<double>(1.0e-4f);

// block_inverse = inverse of the leading n × n part of block (which is destroyed). A pivot that
// cannot be rescued prints "NAO HA PIVOT SUPERIOR A" on the console and sets singular_flag to 1.
void invert_block(int work_dim, BlockMatrix& block, BlockMatrix& block_inverse, int n,
                  int& singular_flag, std::ostream& console);

}  // namespace lajefem
