// The numerics of the mechanism check: parts, scaled stiffness, null space, motion patterns.
#include "checking/mechanism_modes.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <queue>

namespace lajefem {

using Eigen::MatrixXd;
using Eigen::VectorXd;
using SparseMatrix = Eigen::SparseMatrix<double>;

namespace {

// The program's local-mechanism check: a diagonal below this has no stiffness (kN/m, kN·m/rad).
constexpr double least_diagonal = 0.1;
// A null direction lies in a pattern space when the squared sine of its angle to it is below this.
constexpr double shared_angle = 1e-6;
// A motion strains no element when the squared misfit of its corner values to the element's
// zero-energy patterns, summed over the elements and the sprung freedoms, is below this fraction
// of its squared size: a smooth bending motion over 40 elements still misfits by some 1e-7.
constexpr double zero_energy_misfit = 1e-10;

int find_root(std::vector<int>& parent, int node) {
  while (parent[node] != node) {
    parent[node] = parent[parent[node]];
    node = parent[node];
  }
  return node;
}

Eigen::Index null_count(const VectorXd& values) {
  const double largest = values.cwiseAbs().maxCoeff();
  return (values.array() <= null_eigenvalue * largest).count();
}

// Eigenvectors of a symmetric matrix whose eigenvalues are zero within round-off. The eigenvalues
// come first on their own, a fraction of the work: they are the same either way (the vectors
// only follow the same rotations), and a sound part has no zero among them.
MatrixXd null_eigenvectors(const MatrixXd& a) {
  if (null_count(
          Eigen::SelfAdjointEigenSolver<MatrixXd>(a, Eigen::EigenvaluesOnly).eigenvalues()) == 0) {
    return MatrixXd(a.rows(), 0);
  }
  const Eigen::SelfAdjointEigenSolver<MatrixXd> eigen(a);
  return eigen.eigenvectors().leftCols(null_count(eigen.eigenvalues()));
}

// The entries of a(rows, columns) that are not zero, as a sparse matrix.
SparseMatrix sparse_block(const MatrixXd& a, const std::vector<Eigen::Index>& rows,
                          const std::vector<Eigen::Index>& columns) {
  std::vector<Eigen::Triplet<double>> entries;
  for (std::size_t j = 0; j < columns.size(); ++j) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (const double value = a(rows[i], columns[j]); value != 0) {
        entries.emplace_back(static_cast<int>(i), static_cast<int>(j), value);
      }
    }
  }
  SparseMatrix block(static_cast<Eigen::Index>(rows.size()),
                     static_cast<Eigen::Index>(columns.size()));
  block.setFromTriplets(entries.begin(), entries.end());
  return block;
}

}  // namespace

std::vector<PlatePart> plate_parts(const PlateModel& model) {
  const int node_count = static_cast<int>(model.nodes.size());
  std::vector<int> parent(node_count + 1);
  std::iota(parent.begin(), parent.end(), 0);
  for (const PlateElement& element : model.elements) {
    for (int corner = 1; corner < 4; ++corner) {
      parent[find_root(parent, element.nodes[corner])] = find_root(parent, element.nodes[0]);
    }
  }
  std::vector<int> part_of_root(node_count + 1, -1);
  std::vector<PlatePart> parts;
  for (int e = 1; e <= static_cast<int>(model.elements.size()); ++e) {
    const int root = find_root(parent, model.elements[e - 1].nodes[0]);
    if (part_of_root[root] < 0) {
      part_of_root[root] = static_cast<int>(parts.size());
      parts.emplace_back();
    }
    parts[part_of_root[root]].elements.push_back(e);
  }
  for (int n = 1; n <= node_count; ++n) {
    const int part = part_of_root[find_root(parent, n)];
    if (part >= 0) {
      parts[part].nodes.push_back(n);
    }
  }
  return parts;
}

// Signs ±1 that alternate along every element edge of the part (indexed by node), or an empty
// vector when the part's edges cannot be so coloured and no checkerboard pattern exists.
std::vector<int> checkerboard_signs(const PlateModel& model, const PlatePart& part) {
  std::vector<std::vector<int>> neighbours(model.nodes.size() + 1);
  for (const int e : part.elements) {
    const auto& corners = model.elements[e - 1].nodes;
    for (int a = 0; a < 4; ++a) {
      neighbours[corners[a]].push_back(corners[(a + 1) % 4]);
      neighbours[corners[(a + 1) % 4]].push_back(corners[a]);
    }
  }
  std::vector<int> sign(model.nodes.size() + 1, 0);
  std::queue<int> waiting;
  sign[part.nodes.front()] = 1;
  waiting.push(part.nodes.front());
  while (!waiting.empty()) {
    const int node = waiting.front();
    waiting.pop();
    for (const int next : neighbours[node]) {
      if (sign[next] == sign[node]) {
        return {};
      }
      if (sign[next] == 0) {
        sign[next] = -sign[node];
        waiting.push(next);
      }
    }
  }
  return sign;
}

std::vector<int> local_freedoms(const std::vector<double>& k, int equations) {
  std::vector<int> weak;
  for (int i = 0; i < equations; ++i) {
    if (!(k[static_cast<std::size_t>(i) * equations + i] >= least_diagonal)) {
      weak.push_back(i);
    }
  }
  return weak;
}

PartFreedoms part_freedoms(const PlateModel& model, const PlatePart& part,
                           const std::vector<int>& weak, int equations) {
  PartFreedoms freedoms;
  freedoms.position.assign(equations, -1);
  double low_x = INFINITY, high_x = -INFINITY, low_y = INFINITY, high_y = -INFINITY;
  for (const int node : part.nodes) {
    const PlateNode& at = model.nodes[node - 1];
    low_x = std::min(low_x, double{at.x});
    high_x = std::max(high_x, double{at.x});
    low_y = std::min(low_y, double{at.y});
    high_y = std::max(high_y, double{at.y});
    for (int d = 0; d < 3; ++d) {
      const int equation = 3 * (node - 1) + d;
      if (!std::binary_search(weak.begin(), weak.end(), equation)) {
        freedoms.position[equation] = static_cast<int>(freedoms.equations.size());
        freedoms.equations.push_back(equation);
      }
    }
  }
  freedoms.length = std::max(std::hypot(high_x - low_x, high_y - low_y), 1e-30);
  freedoms.centre_x = (low_x + high_x) / 2;
  freedoms.centre_y = (low_y + high_y) / 2;
  return freedoms;
}

// The part's stiffness scaled to a unit diagonal: S·K·S with S = diag(1/√K_ii).
MatrixXd scaled_stiffness(const std::vector<double>& k, int equations, const PartFreedoms& freedoms,
                          VectorXd& scale) {
  const auto& rows = freedoms.equations;
  const int m = static_cast<int>(rows.size());
  scale.resize(m);
  for (int i = 0; i < m; ++i) {
    scale(i) = 1 / std::sqrt(k[static_cast<std::size_t>(rows[i]) * equations + rows[i]]);
  }
  MatrixXd a(m, m);
  for (int j = 0; j < m; ++j) {
    for (int i = 0; i < m; ++i) {
      a(i, j) = scale(i) * k[static_cast<std::size_t>(rows[i]) * equations + rows[j]] * scale(j);
    }
  }
  return a;
}

MatrixXd orthonormal_columns(const MatrixXd& columns) {
  const Eigen::HouseholderQR<MatrixXd> qr(columns);
  return qr.householderQ() * MatrixXd::Identity(columns.rows(), columns.cols());
}

std::vector<Eigen::Index> rows_where(const PartFreedoms& freedoms, bool w) {
  std::vector<Eigen::Index> rows;
  for (std::size_t row = 0; row < freedoms.equations.size(); ++row) {
    if ((freedoms.equations[row] % 3 == 0) == w) {
      rows.push_back(static_cast<Eigen::Index>(row));
    }
  }
  return rows;
}

CondensedStiffness condensed_stiffness(const MatrixXd& a, const PartFreedoms& freedoms) {
  CondensedStiffness condensed;
  condensed.w = rows_where(freedoms, true);
  condensed.theta = rows_where(freedoms, false);
  const auto& w = condensed.w;
  condensed.rotations = std::make_unique<CondensedStiffness::RotationFactor>(
      sparse_block(a, condensed.theta, condensed.theta));
  if (condensed.rotations->info() == Eigen::Success && !w.empty()) {
    condensed.theta_w = sparse_block(a, condensed.theta, w);
    // With P·Kθθ·Pᵀ = L·Lᵀ and X = L⁻¹·P·Kθw, Kwθ·Kθθ⁻¹·Kθw = Xᵀ·X.
    const MatrixXd x = condensed.rotations->matrixL().solve(condensed.rotations->permutationP() *
                                                            MatrixXd(condensed.theta_w));
    MatrixXd matrix = a(w, w);
    matrix.selfadjointView<Eigen::Lower>().rankUpdate(x.transpose(), -1.0);
    condensed.matrix = matrix.selfadjointView<Eigen::Lower>();
    condensed.formed = true;
  }
  return condensed;
}

MatrixXd CondensedStiffness::following_rotations(const MatrixXd& w_motions) const {
  return -rotations->solve(MatrixXd(theta_w * w_motions));
}

// The rotations are condensed out first: their block is positive definite on any mesh of two or
// more elements, and a null motion is then [w; −Kθθ⁻¹·Kθw·w] for each null vector w of the
// condensed matrix, a third of the size, whose eigenvalues lie no lower than those of `a`. When
// the block is not positive definite, or the motions fail the residual test, the eigenvectors of
// the whole matrix serve.
MatrixXd null_basis(const MatrixXd& a, const CondensedStiffness& condensed) {
  if (condensed.formed) {
    const MatrixXd null_w = null_eigenvectors(condensed.matrix);
    MatrixXd motions(a.rows(), null_w.cols());
    motions(condensed.w, Eigen::all) = null_w;
    motions(condensed.theta, Eigen::all) = condensed.following_rotations(null_w);
    if (motions.cols() == 0) {
      return motions;
    }
    MatrixXd basis = orthonormal_columns(motions);
    if ((a * basis).colwise().norm().maxCoeff() <= 10 * null_eigenvalue) {
      return basis;
    }
  }
  return null_eigenvectors(a);
}

// Motion patterns of a part as columns in its measure: 0 w = 1; 1 w = x − xc, θx = 1;
// 2 w = y − yc, θy = 1; then the checkerboard w = sign when there is one; then, for a lone
// element, the twist θx = y − yc, θy = −(x − xc).
MatrixXd motion_patterns(const PlateModel& model, const PlatePart& part,
                         const PartFreedoms& freedoms, const std::vector<int>& signs) {
  const bool checkerboard = !signs.empty();
  const bool twist = part.elements.size() == 1;
  MatrixXd patterns = MatrixXd::Zero(static_cast<Eigen::Index>(freedoms.equations.size()),
                                     3 + int{checkerboard} + int{twist});
  const double l = freedoms.length;
  for (std::size_t row = 0; row < freedoms.equations.size(); ++row) {
    const int equation = freedoms.equations[row];
    const PlateNode& at = model.nodes[equation / 3];
    const double x = (at.x - freedoms.centre_x) / l;
    const double y = (at.y - freedoms.centre_y) / l;
    const int kind = equation % 3;
    const auto r = static_cast<Eigen::Index>(row);
    patterns.row(r).head<3>() << (kind == 0 ? 1.0 : 0.0),
        (kind == 0   ? x
         : kind == 1 ? 1.0
                     : 0.0),
        (kind == 0   ? y
         : kind == 2 ? 1.0
                     : 0.0);
    if (checkerboard) {
      patterns(r, 3) = kind == 0 ? signs[equation / 3 + 1] : 0.0;
    }
    if (twist) {
      patterns(r, patterns.cols() - 1) = kind == 1 ? y : kind == 2 ? -x : 0.0;
    }
  }
  return patterns;
}

// Combinations γ of the pattern columns whose motion lies in the null space (orthonormal
// columns of `null`), one column each.
MatrixXd shared_combinations(const MatrixXd& null, const MatrixXd& patterns) {
  const MatrixXd gram = patterns.transpose() * patterns;
  const MatrixXd inside = null.transpose() * patterns;
  const MatrixXd outside = gram - inside.transpose() * inside;
  const Eigen::GeneralizedSelfAdjointEigenSolver<MatrixXd> solver(outside, gram);
  const auto shared = (solver.eigenvalues().array() < shared_angle).count();
  return solver.eigenvectors().leftCols(shared);
}

// Null directions that no pattern column explains, in the part's measure.
MatrixXd unexplained_directions(const MatrixXd& null, const MatrixXd& patterns) {
  const MatrixXd combinations = shared_combinations(null, patterns);
  if (combinations.cols() == null.cols()) {
    return MatrixXd(null.rows(), 0);
  }
  MatrixXd rest = null;
  if (combinations.cols() > 0) {
    const MatrixXd explained = orthonormal_columns(patterns * combinations);
    rest -= explained * (explained.transpose() * null);
  }
  const Eigen::JacobiSVD<MatrixXd> svd(rest, Eigen::ComputeThinU);
  const auto count = (svd.singularValues().array() > 0.5).count();
  return svd.matrixU().leftCols(count);
}

// Whether a motion (part measure) strains no element and moves no spring: each element's
// corner values lie in the span of its five zero-energy patterns, relative to the motion's size.
bool strains_nothing(const PlateModel& model, const PlatePart& part, const PartFreedoms& freedoms,
                     const VectorXd& motion, const std::vector<bool>& sprung) {
  double misfit = 0;
  for (std::size_t row = 0; row < freedoms.equations.size(); ++row) {
    if (sprung[freedoms.equations[row]]) {
      misfit += motion(static_cast<Eigen::Index>(row)) * motion(static_cast<Eigen::Index>(row));
    }
  }
  const double l = freedoms.length;
  for (const int e : part.elements) {
    const auto& corners = model.elements[e - 1].nodes;
    double centre_x = 0, centre_y = 0;
    for (const int node : corners) {
      centre_x += model.nodes[node - 1].x / 4.0;
      centre_y += model.nodes[node - 1].y / 4.0;
    }
    MatrixXd zero_energy = MatrixXd::Zero(12, 5);
    VectorXd values = VectorXd::Zero(12);
    for (int a = 0; a < 4; ++a) {
      const double x = (model.nodes[corners[a] - 1].x - centre_x) / l;
      const double y = (model.nodes[corners[a] - 1].y - centre_y) / l;
      zero_energy.middleRows<3>(3 * a) << 1, x, y, (a % 2 == 0 ? 1 : -1), 0,  //
          0, 1, 0, 0, y,                                                      //
          0, 0, 1, 0, -x;
      for (int d = 0; d < 3; ++d) {
        const int row = freedoms.position[3 * (corners[a] - 1) + d];
        values(3 * a + d) = row < 0 ? 0.0 : motion(row);
      }
    }
    const VectorXd fitted = zero_energy * zero_energy.colPivHouseholderQr().solve(values);
    misfit += (values - fitted).squaredNorm();
  }
  return misfit <= zero_energy_misfit * motion.squaredNorm();
}

RigidMotion rigid_motion(const VectorXd& gamma, const PartFreedoms& freedoms) {
  const double b = gamma(1) / freedoms.length;
  const double c = gamma(2) / freedoms.length;
  return {gamma(0) - b * freedoms.centre_x - c * freedoms.centre_y, b, c};
}

std::vector<bool> sprung_equations(const PlateModel& model) {
  std::vector<bool> sprung(3 * model.nodes.size(), false);
  for (const PlateSupport& support : model.supports) {
    const std::size_t base = 3 * static_cast<std::size_t>(support.node - 1);
    sprung[base] = sprung[base] || support.spring_w != 0;
    sprung[base + 1] = sprung[base + 1] || support.spring_theta_x != 0;
    sprung[base + 2] = sprung[base + 2] || support.spring_theta_y != 0;
  }
  return sprung;
}

}  // namespace lajefem
