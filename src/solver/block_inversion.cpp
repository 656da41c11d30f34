// Gauss-Jordan inversion of a diagonal block: the rows are reduced in place, never exchanged and
// never normalised; the inverse is divided by the remaining diagonal only at the end.
#include "solver/block_inversion.hpp"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>

namespace lajefem {
namespace {

void set_identity(BlockMatrix& x, int n) {
  for (int k = 1; k <= n; ++k) {
    for (int i = 1; i <= n; ++i) {
      x(i, k) = i == k ? 1.0 : 0.0;
    }
  }
}

// A pivot too small in magnitude is strengthened by adding the row below it whose entry in the
// pivot column is largest (the first of equal largest). Returns the failure when no row can help.
BlockInversion rescue_pivot(BlockMatrix& a, BlockMatrix& x, int n, int p) {
  double largest = 0.0;
  int helper_row = 0;
  for (int j = p + 1; j <= n; ++j) {
    if (std::fabs(a(j, p)) > largest) {
      largest = std::fabs(a(j, p));
      helper_row = j;
    }
  }
  if (largest <= pivot_tolerance) {
    return BlockInversion{false, largest};
  }
  for (int k = 1; k <= n; ++k) {
    a(p, k) = a(p, k) + a(helper_row, k);
    x(p, k) = x(p, k) + x(helper_row, k);
  }
  return BlockInversion{};
}

void eliminate_row(BlockMatrix& a, BlockMatrix& x, int n, int p, int r) {
  const double factor = a(r, p) / a(p, p);
  for (int k = 1; k <= n; ++k) {
    a(r, k) = a(r, k) - factor * a(p, k);
    x(r, k) = x(r, k) - factor * x(p, k);
  }
}

// With a pivot that needs no rescue, row p stays as it is while the other rows are reduced, so
// every row's factor can be taken first and the rows reduced column by column: each entry gets
// exactly the same operation as row by row, on contiguous storage.
// column(r) −= factor(r) · pivot_row_value for every row r except the pivot row p.
void reduce_column(double* __restrict column, const double* __restrict factor,
                   double pivot_row_value, int n, int p) {
  for (int r = 0; r < p - 1; ++r) {
    column[r] = column[r] - factor[r] * pivot_row_value;
  }
  for (int r = p; r < n; ++r) {
    column[r] = column[r] - factor[r] * pivot_row_value;
  }
}

// Columns of x beyond inverse_extent are still those of the identity, and so is column p when it
// lies beyond it: such a column c ≠ p holds 0.0 in the pivot row, and its entries less
// factor · 0.0 stay exactly what they are while every factor is finite. Returns the new extent.
int eliminate_column(BlockMatrix& a, BlockMatrix& x, int n, int p, int inverse_extent) {
  std::array<double, max_band> factor{};
  bool finite = true;
  for (int r = 1; r <= n; ++r) {
    factor[r - 1] = r == p ? 0.0 : a(r, p) / a(p, p);
    finite = finite && std::isfinite(factor[r - 1]);
  }
  const int reduced_columns = finite ? std::max(inverse_extent, p) : n;
  for (int k = 1; k <= n; ++k) {
    reduce_column(&a(1, k), factor.data(), a(p, k), n, p);
  }
  for (int k = 1; k <= reduced_columns; ++k) {
    reduce_column(&x(1, k), factor.data(), x(p, k), n, p);
  }
  return reduced_columns;
}

void divide_by_diagonal(const BlockMatrix& a, BlockMatrix& x, int n) {
  for (int k = 1; k <= n; ++k) {
    for (int i = 1; i <= n; ++i) {
      x(i, k) = x(i, k) / a(i, i);
    }
  }
}

}  // namespace

BlockInversion invert_block([[maybe_unused]] int work_dim, BlockMatrix& block,
                            BlockMatrix& block_inverse, int n) {
  assert(n >= 1 && n <= work_dim);
  set_identity(block_inverse, n);
  int inverse_extent = 0;  // columns of block_inverse that may differ from the identity
  for (int p = 1; p <= n; ++p) {
    if (std::fabs(block(p, p)) > pivot_tolerance) {
      inverse_extent = eliminate_column(block, block_inverse, n, p, inverse_extent);
      continue;
    }
    inverse_extent = n;
    for (int r = 1; r <= n; ++r) {
      if (r == p) {
        continue;
      }
      // The pivot is tested again before every row: a rescue may have to be repeated.
      if (std::fabs(block(p, p)) <= pivot_tolerance) {
        const BlockInversion rescue = rescue_pivot(block, block_inverse, n, p);
        if (!rescue.inverted) {
          return rescue;
        }
      }
      eliminate_row(block, block_inverse, n, p, r);
    }
  }
  divide_by_diagonal(block, block_inverse, n);
  return BlockInversion{};
}

}  // namespace lajefem
