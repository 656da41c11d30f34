// The reference the banded solver and the reactions are checked against: a plain dense solve.
#pragma once

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace lajefem::test {

// Gaussian elimination with partial pivoting on the n × n matrix a, row by row (a(i, j) at
// i · n + j, from 0): solves a·x = b for every column of b in place.
inline void solve_dense(std::vector<double> a, int n, std::vector<std::vector<double>>& b) {
  auto at = [&](int i, int j) -> double& { return a[static_cast<std::size_t>(i) * n + j]; };
  for (int k = 0; k < n; ++k) {
    int pivot = k;
    for (int i = k + 1; i < n; ++i) {
      if (std::abs(at(i, k)) > std::abs(at(pivot, k))) {
        pivot = i;
      }
    }
    for (int j = 0; j < n; ++j) {
      std::swap(at(k, j), at(pivot, j));
    }
    for (auto& column : b) {
      std::swap(column[k], column[pivot]);
    }
    for (int i = k + 1; i < n; ++i) {
      const double factor = at(i, k) / at(k, k);
      if (factor == 0.0) {
        continue;  // outside the band: nothing to eliminate
      }
      for (int j = k; j < n; ++j) {
        at(i, j) -= factor * at(k, j);
      }
      for (auto& column : b) {
        column[i] -= factor * column[k];
      }
    }
  }
  for (auto& column : b) {
    for (int i = n - 1; i >= 0; --i) {
      double s = column[i];
      for (int j = i + 1; j < n; ++j) {
        s -= at(i, j) * column[j];
      }
      column[i] = s / at(i, i);
    }
  }
}

// The same for one right-hand side y; returns x.
inline std::vector<double> solve_dense(std::vector<double> a, int n, std::vector<double> y) {
  std::vector<std::vector<double>> b{std::move(y)};
  solve_dense(std::move(a), n, b);
  return std::move(b.front());
}

}  // namespace lajefem::test
