// The numerics of the mechanism check, as data: the parts of a plate (elements joined by shared
// nodes), each part's freedoms with stiffness and its stiffness scaled to a unit diagonal, the
// null space of that stiffness, and the motion patterns that tell its directions apart (the rigid
// motions w = a + b·x + c·y, θx = b, θy = c, the element's checkerboard w = ±1 and, on a lone
// element, the twist of the rotations). The words that explain them are mechanism_messages'.
#pragma once

#include <Eigen/Dense>
#include <Eigen/SparseCholesky>
#include <memory>
#include <vector>

#include "model/plate_model.hpp"

namespace lajefem {

// An eigenvalue of the stiffness scaled to a unit diagonal counts as zero below this fraction of
// the largest: round-off leaves a true null motion near 1e-15, while the stiffest slender plates
// the program holds keep their softest motion above 1e-11.
constexpr double null_eigenvalue = 1e-12;

// Elements joined by shared nodes, with their nodes (1-based, ascending).
struct PlatePart {
  std::vector<int> nodes;
  std::vector<int> elements;
};

// The kept freedoms of a part and the measure of its motions: w in m and rotations times the
// part's size, so that every entry of a motion is a length.
struct PartFreedoms {
  std::vector<int> equations;  // 0-based equations of the part with stiffness
  std::vector<int> position;   // equation -> row in the part's vectors, −1 if absent
  double length = 1;           // m, diagonal of the part's bounding box
  double centre_x = 0;         // m
  double centre_y = 0;         // m
};

// Rigid motion w = a + b·x + c·y of a part from the combination γ of its first three patterns.
struct RigidMotion {
  double a = 0, b = 0, c = 0;  // m, rad, rad
};

// Parts of the model's elements, in the order of their first element.
std::vector<PlatePart> plate_parts(const PlateModel& model);

// Signs ±1 that alternate along every element edge of the part (indexed by node), or an empty
// vector when the part's edges cannot be so coloured and no checkerboard pattern exists.
std::vector<int> checkerboard_signs(const PlateModel& model, const PlatePart& part);

// 0-based equations whose diagonal in the stiffness `k` (equations × equations, row-major) is
// below the program's local-mechanism limit, ascending.
std::vector<int> local_freedoms(const std::vector<double>& k, int equations);

PartFreedoms part_freedoms(const PlateModel& model, const PlatePart& part,
                           const std::vector<int>& weak, int equations);

// The part's stiffness scaled to a unit diagonal: S·K·S with S = diag(1/√K_ii), S in `scale`.
Eigen::MatrixXd scaled_stiffness(const std::vector<double>& k, int equations,
                                 const PartFreedoms& freedoms, Eigen::VectorXd& scale);

Eigen::MatrixXd orthonormal_columns(const Eigen::MatrixXd& columns);

// Rows of the part's freedoms of one kind (w) or the other (rotations).
std::vector<Eigen::Index> rows_where(const PartFreedoms& freedoms, bool w);

// The scaled stiffness `a` of a part with its rotations condensed out: the w and θ rows and
// Kww − Kwθ·Kθθ⁻¹·Kθw, with Kθw and the Cholesky factor of Kθθ kept for the rotations that
// follow a w motion; not formed when Kθθ is not positive definite or there is no w row. A
// rotation couples only to the nodes of its elements, so both are sparse, and the factor in a
// fill-reducing order (AMD) costs a small share of a dense one, however the nodes are numbered.
struct CondensedStiffness {
  using RotationFactor =
      Eigen::SimplicialLLT<Eigen::SparseMatrix<double>, Eigen::Lower, Eigen::AMDOrdering<int>>;
  std::vector<Eigen::Index> w;
  std::vector<Eigen::Index> theta;
  Eigen::MatrixXd matrix;
  Eigen::SparseMatrix<double> theta_w;
  std::unique_ptr<RotationFactor> rotations;
  bool formed = false;
  // The rotations that follow the w motions (columns) at least energy: −Kθθ⁻¹·Kθw·w.
  Eigen::MatrixXd following_rotations(const Eigen::MatrixXd& w_motions) const;
};

CondensedStiffness condensed_stiffness(const Eigen::MatrixXd& a, const PartFreedoms& freedoms);

// An orthonormal basis of the null space of the scaled stiffness `a`, condensed as `condensed`.
Eigen::MatrixXd null_basis(const Eigen::MatrixXd& a, const CondensedStiffness& condensed);

// Motion patterns of a part as columns in its measure (see the file's comment).
Eigen::MatrixXd motion_patterns(const PlateModel& model, const PlatePart& part,
                                const PartFreedoms& freedoms, const std::vector<int>& signs);

// Combinations γ of the pattern columns whose motion lies in the null space (orthonormal
// columns of `null`), one column each.
Eigen::MatrixXd shared_combinations(const Eigen::MatrixXd& null, const Eigen::MatrixXd& patterns);

// Null directions that no pattern column explains, in the part's measure.
Eigen::MatrixXd unexplained_directions(const Eigen::MatrixXd& null,
                                       const Eigen::MatrixXd& patterns);

// Whether a motion (part measure) strains no element and moves no spring.
bool strains_nothing(const PlateModel& model, const PlatePart& part, const PartFreedoms& freedoms,
                     const Eigen::VectorXd& motion, const std::vector<bool>& sprung);

// Rigid motion of a part from the combination γ of its first three patterns.
RigidMotion rigid_motion(const Eigen::VectorXd& gamma, const PartFreedoms& freedoms);

// Per equation: whether a spring acts on it.
std::vector<bool> sprung_equations(const PlateModel& model);

}  // namespace lajefem
