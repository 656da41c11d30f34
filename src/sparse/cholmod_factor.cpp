#include "sparse/cholmod_factor.hpp"

#include <cholmod.h>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>

namespace lajefem::sparse {

struct CholeskyFactor::State {
  cholmod_common common{};
  cholmod_factor* factor = nullptr;
  Factorisation outcome;
  std::int64_t equations = 0;
};

namespace {

void check_status(cholmod_common& common, const char* what) {
  if (common.status == CHOLMOD_OUT_OF_MEMORY) {
    throw std::bad_alloc();
  }
  if (common.status < CHOLMOD_OK) {
    throw std::runtime_error(std::string("sparse solver: ") + what + " failed (CHOLMOD status " +
                             std::to_string(common.status) + ")");
  }
}

// The upper triangle as CHOLMOD's symmetric matrix (stype 1), sharing nothing with the pattern.
cholmod_sparse* upper_matrix(const StiffnessPattern& pattern, const std::vector<double>& values,
                             cholmod_common& common) {
  const auto n = static_cast<std::size_t>(pattern.equations);
  cholmod_sparse* a =
      cholmod_l_allocate_sparse(n, n, values.size(), 1, 1, 1, CHOLMOD_REAL, &common);
  check_status(common, "allocation");
  std::copy(pattern.column_starts.begin(), pattern.column_starts.end(),
            static_cast<SuiteSparse_long*>(a->p));
  std::copy(pattern.rows.begin(), pattern.rows.end(), static_cast<SuiteSparse_long*>(a->i));
  std::copy(values.begin(), values.end(), static_cast<double*>(a->x));
  return a;
}

}  // namespace

CholeskyFactor::CholeskyFactor(const StiffnessPattern& pattern, const std::vector<double>& values)
    : state_(std::make_unique<State>()) {
  cholmod_common& common = state_->common;
  cholmod_l_start(&common);
  common.print = 0;
  common.error_handler = nullptr;
  common.supernodal = CHOLMOD_SUPERNODAL;
  common.nmethods = 1;
  common.method[0].ordering = CHOLMOD_METIS;
  common.postorder = 1;
  common.quick_return_if_not_posdef = 1;
  state_->equations = pattern.equations;
  cholmod_sparse* a = upper_matrix(pattern, values, common);
  state_->factor = cholmod_l_analyze(a, &common);
  if (state_->factor == nullptr) {
    cholmod_l_free_sparse(&a, &common);
    check_status(common, "ordering");
  }
  cholmod_l_factorize(a, state_->factor, &common);
  cholmod_l_free_sparse(&a, &common);
  Factorisation& outcome = state_->outcome;
  if (common.status == CHOLMOD_NOT_POSDEF) {
    const auto* permutation = static_cast<const SuiteSparse_long*>(state_->factor->Perm);
    const auto minor = static_cast<std::int64_t>(state_->factor->minor);
    outcome.failing_equation = minor < pattern.equations ? permutation[minor] : -1;
    return;
  }
  check_status(common, "factorisation");
  outcome.factored = true;
}

CholeskyFactor::~CholeskyFactor() {
  cholmod_l_free_factor(&state_->factor, &state_->common);
  cholmod_l_finish(&state_->common);
}

const Factorisation& CholeskyFactor::outcome() const {
  return state_->outcome;
}

std::vector<double> CholeskyFactor::solve(const std::vector<double>& b, int columns) const {
  cholmod_common& common = state_->common;
  const auto n = static_cast<std::size_t>(state_->equations);
  cholmod_dense* right =
      cholmod_l_allocate_dense(n, static_cast<std::size_t>(columns), n, CHOLMOD_REAL, &common);
  check_status(common, "allocation");
  std::copy(b.begin(), b.end(), static_cast<double*>(right->x));
  cholmod_dense* x = cholmod_l_solve(CHOLMOD_A, state_->factor, right, &common);
  cholmod_l_free_dense(&right, &common);
  if (x == nullptr) {
    check_status(common, "solve");
  }
  const auto* values = static_cast<const double*>(x->x);
  std::vector<double> solution(values, values + n * static_cast<std::size_t>(columns));
  cholmod_l_free_dense(&x, &common);
  return solution;
}

}  // namespace lajefem::sparse
