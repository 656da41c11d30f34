// The model's stiffness with springs in the sparse engine's pattern, and one part's share of it
// scaled to a unit diagonal, S·K·S with S = diag(1/√K_ii), over the part's freedoms with
// stiffness: the sparse counterpart of scaled_stiffness (mechanism_modes.hpp), whose storage
// grows with the entries of the matrix, never with its square.
#pragma once

#include <Eigen/Dense>
#include <vector>

#include "checking/mechanism_modes.hpp"
#include "model/plate_model.hpp"
#include "sparse/stiffness_pattern.hpp"

namespace lajefem {

// The upper triangle of a symmetric matrix by compressed columns, each column's diagonal last.
struct UpperMatrix {
  sparse::StiffnessPattern pattern;
  std::vector<double> values;
};

// The stiffness of the model's elements with the springs of its supports, as the sparse engine
// assembles it (the model's elements must be of known type with corners among its nodes).
UpperMatrix model_sparse_stiffness(const PlateModel& model);

// 0-based equations whose diagonal is below the program's local-mechanism limit, ascending.
std::vector<int> local_freedoms(const UpperMatrix& k);

// The part's rows and columns of `k`, scaled to a unit diagonal; the scale S in `scale`.
UpperMatrix scaled_part_stiffness(const UpperMatrix& k, const PartFreedoms& freedoms,
                                  Eigen::VectorXd& scale);

// y = A·x for the symmetric matrix whose upper triangle `a` holds.
Eigen::VectorXd symmetric_product(const UpperMatrix& a, const Eigen::VectorXd& x);

// xᵀ·A·x.
double quadratic_form(const UpperMatrix& a, const Eigen::VectorXd& x);

}  // namespace lajefem
