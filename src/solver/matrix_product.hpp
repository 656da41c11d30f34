// product = left · right on the leading parts of column-major arrays, every entry summed from 0.0
// in increasing order of the inner index, so that the result is the same to the last bit as the
// plain triple loop. A sum that starts from 0.0 is never −0.0, so a zero term (an exact zero of
// left times a finite factor, or a finite column of left times a zero factor) leaves it as it is:
// such terms are passed over, and the triangular coupling blocks cost only their nonzero part.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/array.hpp"

namespace lajefem {

namespace matrix_product_detail {

// The rows of one column of left that can contribute: outside first..last the column holds
// exact zeros. A column holding a value that is not finite contributes everywhere.
struct ColumnExtent {
  int first = 1;
  int last = 0;
  bool finite = true;
};

inline ColumnExtent find_column_extent(const double* column, int rows) {
  ColumnExtent extent{rows + 1, 0, true};
  for (int i = 1; i <= rows; ++i) {
    const double value = column[i - 1];
    if (!std::isfinite(value)) {
      return ColumnExtent{1, rows, false};
    }
    if (value != 0.0) {
      extent.first = std::min(extent.first, i);
      extent.last = i;
    }
  }
  return extent;
}

// column(first..last) += left_column(first..last) · factor.
inline void add_scaled_column(double* __restrict column, const double* __restrict left_column,
                              double factor, int first, int last) {
  for (int i = first - 1; i < last; ++i) {
    column[i] = column[i] + left_column[i] * factor;
  }
}

}  // namespace matrix_product_detail

// product (rows × cols) = left (rows × inner) · right (inner × cols).
template <int L1, int L2, int R1, int R2, int P1, int P2>
void multiply_matrices(const Array<double, L1, L2>& left, const Array<double, R1, R2>& right,
                       int rows, int inner, int cols, Array<double, P1, P2>& product) {
  using namespace matrix_product_detail;
  std::vector<ColumnExtent> extents(static_cast<std::size_t>(inner));
  for (int l = 1; l <= inner; ++l) {
    extents[l - 1] = find_column_extent(&left(1, l), rows);
  }
  for (int j = 1; j <= cols; ++j) {
    double* column = &product(1, j);
    std::fill(column, column + rows, 0.0);
    for (int l = 1; l <= inner; ++l) {
      const double factor = right(l, j);
      const ColumnExtent& extent = extents[l - 1];
      if (!std::isfinite(factor)) {
        add_scaled_column(column, &left(1, l), factor, 1, rows);
      } else if (factor != 0.0 || !extent.finite) {
        add_scaled_column(column, &left(1, l), factor, extent.first, extent.last);
      }
    }
  }
}

}  // namespace lajefem
