#include "checking/lowest_modes.hpp"

#include <Spectra/SymEigsShiftSolver.h>
#include <Spectra/SymEigsSolver.h>

#include <algorithm>

namespace lajefem {

namespace {

using Eigen::Index;
using Eigen::MatrixXd;
using Eigen::VectorXd;

// Parts this small are solved whole: the Lanczos iteration needs more freedoms than modes.
constexpr Index dense_part_size = 64;
// Modes asked of each Lanczos run, and the most null modes looked for in a part.
constexpr Index modes_per_run = 6;
constexpr Index most_null_modes = 48;
// The largest eigenvalue sets the null limit alone: a residual of 1e-3 of it leaves it some 1e-6
// off, where the null modes and the softest held ones lie orders of magnitude apart.
constexpr double largest_tolerance = 1e-3;
// The shift, a share of the largest eigenvalue, under which a singular matrix is factorised.
constexpr double singular_shift = 1e-8;

// The product y = A·x, for the largest eigenvalue.
class Product {
 public:
  using Scalar = double;
  explicit Product(const UpperMatrix& a) : a_(a) {}
  Index rows() const { return a_.pattern.equations; }
  Index cols() const { return a_.pattern.equations; }
  void perform_op(const double* x_in, double* y_out) const {
    VectorXd::Map(y_out, rows()) = symmetric_product(a_, VectorXd::Map(x_in, rows()));
  }

 private:
  const UpperMatrix& a_;
};

// y = P·(A + s·I)⁻¹·P·x through the factor of A + s·I, P the projection away from the modes
// already found: the iteration then finds the next ones, however many share one eigenvalue.
class DeflatedShiftSolve {
 public:
  using Scalar = double;
  DeflatedShiftSolve(const sparse::CholeskyFactor& factor, const MatrixXd& found)
      : factor_(factor), found_(found) {}
  Index rows() const { return found_.rows(); }
  Index cols() const { return found_.rows(); }
  // The factor is of A + s·I for the shift −σ given to the solver.
  void set_shift(double) {}
  void perform_op(const double* x_in, double* y_out) const {
    const VectorXd x = projected(VectorXd::Map(x_in, rows()));
    const std::vector<double> solved = factor_.solve(std::vector<double>(x.begin(), x.end()), 1);
    VectorXd::Map(y_out, rows()) = projected(VectorXd::Map(solved.data(), rows()));
  }

 private:
  VectorXd projected(const VectorXd& x) const {
    return found_.cols() == 0 ? x : VectorXd(x - found_ * (found_.transpose() * x));
  }
  const sparse::CholeskyFactor& factor_;
  const MatrixXd& found_;
};

double largest_eigenvalue(const UpperMatrix& a) {
  Product product(a);
  const Index n = a.pattern.equations;
  Spectra::SymEigsSolver<Product> eigen(product, 1, std::min<Index>(n, 20));
  eigen.init();
  eigen.compute(Spectra::SortRule::LargestAlge, 1000, largest_tolerance);
  // A unit diagonal bounds the largest eigenvalue below by 1.
  return eigen.info() == Spectra::CompInfo::Successful ? std::max(eigen.eigenvalues()(0), 1.0)
                                                       : 1.0;
}

std::unique_ptr<sparse::CholeskyFactor> shifted_factor(const UpperMatrix& a, double shift) {
  std::vector<double> values = a.values;
  for (std::int64_t column = 0; column < a.pattern.equations; ++column) {
    values[static_cast<std::size_t>(a.pattern.column_starts[column + 1] - 1)] += shift;
  }
  return std::make_unique<sparse::CholeskyFactor>(a.pattern, values);
}

MatrixXd dense_matrix(const UpperMatrix& a) {
  const Index n = a.pattern.equations;
  MatrixXd dense = MatrixXd::Zero(n, n);
  for (Index column = 0; column < n; ++column) {
    for (std::int64_t at = a.pattern.column_starts[column];
         at < a.pattern.column_starts[column + 1]; ++at) {
      dense(a.pattern.rows[at], column) = a.values[static_cast<std::size_t>(at)];
      dense(column, a.pattern.rows[at]) = a.values[static_cast<std::size_t>(at)];
    }
  }
  return dense;
}

MatrixXd dense_null_modes(const UpperMatrix& a) {
  const Eigen::SelfAdjointEigenSolver<MatrixXd> eigen(dense_matrix(a));
  const VectorXd& values = eigen.eigenvalues();
  const double largest = values.cwiseAbs().maxCoeff();
  return eigen.eigenvectors().leftCols((values.array() <= null_eigenvalue * largest).count());
}

// One Lanczos run on the deflated operator: the converged modes whose Rayleigh quotient in `a`
// is at most `limit`, orthogonal to `found`.
MatrixXd next_null_modes(const UpperMatrix& a, const sparse::CholeskyFactor& factor, double shift,
                         const MatrixXd& found, double limit) {
  const Index n = a.pattern.equations;
  const Index wanted = std::min(modes_per_run, n - found.cols() - 1);
  DeflatedShiftSolve operation(factor, found);
  Spectra::SymEigsShiftSolver<DeflatedShiftSolve> eigen(
      operation, wanted, std::min(n, std::max<Index>(2 * wanted + 1, 20)), -shift);
  eigen.init();
  eigen.compute(Spectra::SortRule::LargestMagn, 1000, 1e-10);
  const MatrixXd vectors = eigen.eigenvectors();
  std::vector<Index> null;
  for (Index k = 0; k < vectors.cols(); ++k) {
    const VectorXd mode = vectors.col(k) - found * (found.transpose() * vectors.col(k));
    if (mode.norm() > 0.5 && quadratic_form(a, mode) <= limit * mode.squaredNorm()) {
      null.push_back(k);
    }
  }
  return vectors(Eigen::all, null);
}

// The principal submatrix of `a` on the rows whose position is not −1 (positions ascending).
UpperMatrix principal_submatrix(const UpperMatrix& a, const std::vector<int>& position) {
  UpperMatrix sub;
  sub.pattern.column_starts.push_back(0);
  for (std::int64_t column = 0; column < a.pattern.equations; ++column) {
    if (position[static_cast<std::size_t>(column)] < 0) {
      continue;
    }
    for (std::int64_t at = a.pattern.column_starts[column];
         at < a.pattern.column_starts[column + 1]; ++at) {
      const int row = position[static_cast<std::size_t>(a.pattern.rows[at])];
      if (row >= 0) {
        sub.pattern.rows.push_back(row);
        sub.values.push_back(a.values[static_cast<std::size_t>(at)]);
      }
    }
    sub.pattern.column_starts.push_back(static_cast<std::int64_t>(sub.pattern.rows.size()));
    ++sub.pattern.equations;
  }
  return sub;
}

// The stiffness with the rotations condensed out, S = Aww − Awθ·Aθθ⁻¹·Aθw, as products: the
// check's dense path finds the null motions of this matrix, and so does this one where it can.
class CondensedStiffness {
 public:
  using Scalar = double;
  CondensedStiffness(const UpperMatrix& a, const std::vector<Index>& w,
                     const std::vector<Index>& theta, const sparse::CholeskyFactor& rotations)
      : a_(a), w_(w), theta_(theta), rotations_(rotations) {}
  Index rows() const { return static_cast<Index>(w_.size()); }
  Index cols() const { return rows(); }
  void perform_op(const double* x_in, double* y_out) const {
    VectorXd::Map(y_out, rows()) = product(VectorXd::Map(x_in, rows()));
  }
  VectorXd product(const VectorXd& x) const {
    VectorXd full = VectorXd::Zero(a_.pattern.equations);
    full(w_) = x;
    const VectorXd ax = symmetric_product(a_, full);
    const VectorXd coupling = ax(theta_);
    const std::vector<double> solved =
        rotations_.solve(std::vector<double>(coupling.begin(), coupling.end()), 1);
    full.setZero();
    full(theta_) = VectorXd::Map(solved.data(), static_cast<Index>(theta_.size()));
    return ax(w_) - symmetric_product(a_, full)(w_);
  }
  // The rotations that follow w at least energy: −Aθθ⁻¹·Aθw·w.
  VectorXd following_rotations(const VectorXd& x) const {
    VectorXd full = VectorXd::Zero(a_.pattern.equations);
    full(w_) = x;
    const VectorXd coupling = symmetric_product(a_, full)(theta_);
    const std::vector<double> solved =
        rotations_.solve(std::vector<double>(coupling.begin(), coupling.end()), 1);
    return -VectorXd::Map(solved.data(), static_cast<Index>(theta_.size()));
  }

 private:
  const UpperMatrix& a_;
  const std::vector<Index>& w_;
  const std::vector<Index>& theta_;
  const sparse::CholeskyFactor& rotations_;
};

template <typename Operation>
double largest_eigenvalue_of(Operation& operation) {
  const Index n = operation.rows();
  Spectra::SymEigsSolver<Operation> eigen(operation, 1, std::min<Index>(n, 20));
  eigen.init();
  eigen.compute(Spectra::SortRule::LargestAlge, 1000, largest_tolerance);
  return eigen.info() == Spectra::CompInfo::Successful ? eigen.eigenvalues()(0) : 0.0;
}

// The candidates (null modes of `a`) narrowed as the dense path narrows them: the motions
// [w; −Aθθ⁻¹·Aθw·w] for the directions w of the candidates' w parts whose eigenvalue in the
// condensed stiffness is at most null_eigenvalue times its largest. The candidates as they are
// when the rotations cannot be condensed or the motions do not pass for null ones.
MatrixXd condensed_null_modes(const UpperMatrix& a, const std::vector<bool>& is_w,
                              const MatrixXd& candidates) {
  std::vector<Index> w, theta;
  std::vector<int> position(is_w.size(), -1);
  for (std::size_t row = 0; row < is_w.size(); ++row) {
    if (is_w[row]) {
      w.push_back(static_cast<Index>(row));
    } else {
      position[row] = static_cast<int>(theta.size());
      theta.push_back(static_cast<Index>(row));
    }
  }
  if (w.size() < 2 || theta.empty()) {
    return candidates;
  }
  const UpperMatrix rotation_block = principal_submatrix(a, position);
  const sparse::CholeskyFactor rotations(rotation_block.pattern, rotation_block.values);
  if (!rotations.outcome().factored) {
    return candidates;
  }
  CondensedStiffness condensed(a, w, theta, rotations);
  const double largest = largest_eigenvalue_of(condensed);
  const MatrixXd directions = orthonormal_columns(candidates(w, Eigen::all));
  MatrixXd projected(directions.cols(), directions.cols());
  MatrixXd images(directions.rows(), directions.cols());
  for (Index k = 0; k < directions.cols(); ++k) {
    images.col(k) = condensed.product(directions.col(k));
  }
  projected = directions.transpose() * images;
  const Eigen::SelfAdjointEigenSolver<MatrixXd> ritz((projected + projected.transpose()) / 2);
  const Index kept = (ritz.eigenvalues().array() <= null_eigenvalue * largest).count();
  const MatrixXd null_w = directions * ritz.eigenvectors().leftCols(kept);
  MatrixXd motions = MatrixXd::Zero(a.pattern.equations, kept);
  for (Index k = 0; k < kept; ++k) {
    motions(w, k) = null_w.col(k);
    motions(theta, k) = condensed.following_rotations(null_w.col(k));
  }
  if (kept == 0) {
    return motions;
  }
  const MatrixXd basis = orthonormal_columns(motions);
  for (Index k = 0; k < kept; ++k) {
    if (symmetric_product(a, basis.col(k)).norm() > 10 * null_eigenvalue) {
      return candidates;
    }
  }
  return basis;
}

}  // namespace

NullModes null_modes(const UpperMatrix& a, const std::vector<bool>& is_w) {
  NullModes modes;
  const Index n = a.pattern.equations;
  if (n <= dense_part_size) {
    modes.basis = dense_null_modes(a);
    modes.factor = std::make_unique<sparse::CholeskyFactor>(a.pattern, a.values);
    if (!modes.factor->outcome().factored) {
      modes.factor.reset();
    }
    return modes;
  }
  const double largest = largest_eigenvalue(a);
  double shift = 0;
  modes.factor = std::make_unique<sparse::CholeskyFactor>(a.pattern, a.values);
  std::unique_ptr<sparse::CholeskyFactor> shifted;
  if (!modes.factor->outcome().factored) {
    modes.factor.reset();
    shift = singular_shift * largest;
    shifted = shifted_factor(a, shift);
    if (!shifted->outcome().factored) {
      modes.definite = false;
      modes.basis = MatrixXd(n, 0);
      return modes;
    }
  }
  const sparse::CholeskyFactor& factor = shifted ? *shifted : *modes.factor;
  MatrixXd found(n, 0);
  while (found.cols() < std::min(most_null_modes, n - 2)) {
    const MatrixXd next = next_null_modes(a, factor, shift, found, null_eigenvalue * largest);
    if (next.cols() == 0) {
      break;
    }
    MatrixXd joined(n, found.cols() + next.cols());
    joined << found, next;
    found = orthonormal_columns(joined);
  }
  modes.basis = found.cols() == 0 ? found : condensed_null_modes(a, is_w, found);
  return modes;
}

}  // namespace lajefem
