#include "checking/sparse_part_stiffness.hpp"

#include <cmath>

#include "sparse/sparse_assembly.hpp"

namespace lajefem {

namespace {

// The program's local-mechanism limit on a diagonal (kN/m, kN·m/rad).
constexpr double least_diagonal = 0.1;

double diagonal(const UpperMatrix& k, std::int64_t equation) {
  return k.values[static_cast<std::size_t>(k.pattern.column_starts[equation + 1] - 1)];
}

}  // namespace

UpperMatrix model_sparse_stiffness(const PlateModel& model) {
  UpperMatrix k;
  k.pattern = sparse::stiffness_pattern(model);
  k.values = sparse::assembled_stiffness(model, k.pattern);
  return k;
}

std::vector<int> local_freedoms(const UpperMatrix& k) {
  std::vector<int> weak;
  for (std::int64_t i = 0; i < k.pattern.equations; ++i) {
    if (!(diagonal(k, i) >= least_diagonal)) {
      weak.push_back(static_cast<int>(i));
    }
  }
  return weak;
}

UpperMatrix scaled_part_stiffness(const UpperMatrix& k, const PartFreedoms& freedoms,
                                  Eigen::VectorXd& scale) {
  const auto m = static_cast<Eigen::Index>(freedoms.equations.size());
  scale.resize(m);
  for (Eigen::Index row = 0; row < m; ++row) {
    scale(row) = 1 / std::sqrt(diagonal(k, freedoms.equations[static_cast<std::size_t>(row)]));
  }
  UpperMatrix a;
  a.pattern.equations = m;
  a.pattern.column_starts.reserve(static_cast<std::size_t>(m) + 1);
  a.pattern.column_starts.push_back(0);
  for (Eigen::Index column = 0; column < m; ++column) {
    const int equation = freedoms.equations[static_cast<std::size_t>(column)];
    for (std::int64_t at = k.pattern.column_starts[equation];
         at < k.pattern.column_starts[equation + 1]; ++at) {
      const int row = freedoms.position[static_cast<std::size_t>(k.pattern.rows[at])];
      if (row >= 0) {
        a.pattern.rows.push_back(row);
        a.values.push_back(scale(row) * k.values[static_cast<std::size_t>(at)] * scale(column));
      }
    }
    a.pattern.column_starts.push_back(static_cast<std::int64_t>(a.pattern.rows.size()));
  }
  return a;
}

Eigen::VectorXd symmetric_product(const UpperMatrix& a, const Eigen::VectorXd& x) {
  Eigen::VectorXd y = Eigen::VectorXd::Zero(x.size());
  for (std::int64_t column = 0; column < a.pattern.equations; ++column) {
    for (std::int64_t at = a.pattern.column_starts[column];
         at < a.pattern.column_starts[column + 1]; ++at) {
      const std::int64_t row = a.pattern.rows[at];
      const double value = a.values[static_cast<std::size_t>(at)];
      y(row) += value * x(column);
      if (row != column) {
        y(column) += value * x(row);
      }
    }
  }
  return y;
}

double quadratic_form(const UpperMatrix& a, const Eigen::VectorXd& x) {
  return x.dot(symmetric_product(a, x));
}

}  // namespace lajefem
