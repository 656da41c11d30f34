#include "sparse/cholmod_factor.hpp"

#include <cholmod.h>

#include <algorithm>
#include <chrono>
#include <new>
#include <stdexcept>
#include <string>

// The OpenMP runtime's limit on nested teams (GNU OpenMP, which CHOLMOD links; its header is not
// needed for this one call).
extern "C" void omp_set_max_active_levels(int levels);

namespace lajefem::sparse {

// A pivot below this share of its column's diagonal marks a singular matrix: the mechanisms of
// the examples and of the reference corpus leave only round-off, and every model there that the
// program solves keeps more (the least, r124, a model at absurd values, between 1e-12 and 1e-11).
constexpr double relative_pivot = 1e-12;

// The library's workspace and the factor, freed together however the construction ends.
struct CholeskyFactor::State {
  cholmod_common common{};
  cholmod_factor* factor = nullptr;
  Factorisation outcome;
  FactorCost cost;
  std::int64_t equations = 0;

  State() { cholmod_l_start(&common); }
  ~State() {
    cholmod_l_free_factor(&factor, &common);
    cholmod_l_finish(&common);
  }
  State(const State&) = delete;
  State& operator=(const State&) = delete;
};

namespace {

// CHOLMOD runs a few memory-bound loops in OpenMP teams of four threads, whatever the machine.
// Beside the BLAS's threads, one a core, where the factorisation's time goes, those teams only
// take turns with them and spin while they wait: at 10^5 nodes on two cores the factorisation
// took 0.9 s with the teams off and 1.3 to 2.7 s with them. No level of teams is allowed, so
// those loops run on the calling thread; the BLAS keeps its own threads.
void run_cholmod_loops_on_this_thread() {
  omp_set_max_active_levels(0);
}

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void check_status(cholmod_common& common, const char* what) {
  if (common.status == CHOLMOD_OUT_OF_MEMORY) {
    throw std::bad_alloc();
  }
  if (common.status < CHOLMOD_OK) {
    throw std::runtime_error(std::string("sparse solver: ") + what + " failed (CHOLMOD status " +
                             std::to_string(common.status) + ")");
  }
}

// The upper triangle as CHOLMOD's symmetric matrix (stype 1): a view of the pattern's arrays and
// the values, which the library only reads (a copy would hold 16 bytes more per entry while the
// factor is formed).
cholmod_sparse upper_matrix_view(const StiffnessPattern& pattern,
                                 const std::vector<double>& values) {
  static_assert(sizeof(SuiteSparse_long) == sizeof(std::int64_t));
  cholmod_sparse a{};
  a.nrow = static_cast<std::size_t>(pattern.equations);
  a.ncol = a.nrow;
  a.nzmax = values.size();
  a.p = const_cast<std::int64_t*>(pattern.column_starts.data());
  a.i = const_cast<std::int64_t*>(pattern.rows.data());
  a.x = const_cast<double*>(values.data());
  a.stype = 1;
  a.itype = CHOLMOD_LONG;
  a.xtype = CHOLMOD_REAL;
  a.dtype = CHOLMOD_DOUBLE;
  a.sorted = 1;
  a.packed = 1;
  return a;
}

// The node graph (a node's lower neighbours and itself in each column, the upper triangle) as a
// pattern-only symmetric matrix: a third of the equations' size each way, a ninth of the entries.
cholmod_sparse* node_graph(const StiffnessPattern& pattern, cholmod_common& common) {
  const std::size_t nodes = pattern.lower_neighbours.size();
  std::size_t entries = 0;
  for (const auto& neighbours : pattern.lower_neighbours) {
    entries += neighbours.size();
  }
  cholmod_sparse* graph =
      cholmod_l_allocate_sparse(nodes, nodes, entries, 1, 1, 1, CHOLMOD_PATTERN, &common);
  check_status(common, "allocation");
  auto* starts = static_cast<SuiteSparse_long*>(graph->p);
  auto* rows = static_cast<SuiteSparse_long*>(graph->i);
  starts[0] = 0;
  for (std::size_t node = 0; node < nodes; ++node) {
    const auto& neighbours = pattern.lower_neighbours[node];
    std::copy(neighbours.begin(), neighbours.end(), rows + starts[node]);
    starts[node + 1] = starts[node] + static_cast<SuiteSparse_long>(neighbours.size());
  }
  return graph;
}

// Whether the pattern is a plate's, three freedoms to each node of its node graph; a matrix of
// other equations (a block of the rotations alone, say) is ordered by METIS on its own graph.
bool holds_node_graph(const StiffnessPattern& pattern) {
  return !pattern.lower_neighbours.empty() &&
         3 * static_cast<std::int64_t>(pattern.lower_neighbours.size()) == pattern.equations;
}

// A nested-dissection order of the equations from METIS on the node graph, each node's three
// freedoms kept together: the same fill as ordering the equations (whose graph has every node
// three times over), found in a fraction of the time.
std::vector<SuiteSparse_long> node_dissection_order(const StiffnessPattern& pattern,
                                                    cholmod_common& common) {
  cholmod_sparse* graph = node_graph(pattern, common);
  std::vector<SuiteSparse_long> node_order(pattern.lower_neighbours.size());
  cholmod_l_metis(graph, nullptr, 0, 0, node_order.data(), &common);
  cholmod_l_free_sparse(&graph, &common);
  check_status(common, "ordering");
  std::vector<SuiteSparse_long> order(static_cast<std::size_t>(pattern.equations));
  for (std::size_t k = 0; k < node_order.size(); ++k) {
    for (std::size_t d = 0; d < 3; ++d) {
      order[3 * k + d] = 3 * node_order[k] + static_cast<SuiteSparse_long>(d);
    }
  }
  return order;
}

// The pivot of every column of the factor, in the factor's (permuted) order: L(k, k)² of a
// supernodal or simplicial LLᵀ factor, D(k, k) of an LDLᵀ one.
std::vector<double> factor_pivots(const cholmod_factor& factor) {
  std::vector<double> pivots(factor.n);
  const auto* x = static_cast<const double*>(factor.x);
  if (factor.is_super) {
    const auto* super = static_cast<const SuiteSparse_long*>(factor.super);
    const auto* pi = static_cast<const SuiteSparse_long*>(factor.pi);
    const auto* px = static_cast<const SuiteSparse_long*>(factor.px);
    for (std::size_t s = 0; s < factor.nsuper; ++s) {
      const SuiteSparse_long rows = pi[s + 1] - pi[s];
      for (SuiteSparse_long k = super[s]; k < super[s + 1]; ++k) {
        const double d = x[px[s] + (k - super[s]) * (rows + 1)];
        pivots[static_cast<std::size_t>(k)] = d * d;
      }
    }
    return pivots;
  }
  const auto* p = static_cast<const SuiteSparse_long*>(factor.p);
  for (std::size_t k = 0; k < factor.n; ++k) {
    const double d = x[p[k]];
    pivots[k] = factor.is_ll ? d * d : d;
  }
  return pivots;
}

// The first column, in elimination order, whose pivot kept less than `relative_pivot` of its
// diagonal: the elimination cancelled the column against those before it, which a freedom that
// the rest of the plate does not hold (a mechanism turned positive by round-off) does. The
// original equation, or -1.
std::int64_t cancelled_column(const cholmod_factor& factor, const StiffnessPattern& pattern,
                              const std::vector<double>& values) {
  const std::vector<double> pivots = factor_pivots(factor);
  const auto* permutation = static_cast<const SuiteSparse_long*>(factor.Perm);
  for (std::size_t k = 0; k < pivots.size(); ++k) {
    const auto equation = static_cast<std::size_t>(permutation[k]);
    const double diagonal =
        values[static_cast<std::size_t>(pattern.column_starts[equation + 1] - 1)];
    if (!(pivots[k] >= relative_pivot * diagonal)) {
      return static_cast<std::int64_t>(equation);
    }
  }
  return -1;
}

}  // namespace

CholeskyFactor::CholeskyFactor(const StiffnessPattern& pattern, const std::vector<double>& values)
    : state_(std::make_unique<State>()) {
  run_cholmod_loops_on_this_thread();
  cholmod_common& common = state_->common;
  common.print = 0;
  common.error_handler = nullptr;
  common.supernodal = CHOLMOD_SUPERNODAL;
  common.nmethods = 1;
  common.postorder = 1;
  common.quick_return_if_not_posdef = 1;
  state_->equations = pattern.equations;
  cholmod_sparse a = upper_matrix_view(pattern, values);
  Clock::time_point start = Clock::now();
  if (holds_node_graph(pattern)) {
    common.method[0].ordering = CHOLMOD_GIVEN;
    std::vector<SuiteSparse_long> order = node_dissection_order(pattern, common);
    state_->factor = cholmod_l_analyze_p(&a, order.data(), nullptr, 0, &common);
  } else {
    common.method[0].ordering = CHOLMOD_METIS;
    state_->factor = cholmod_l_analyze(&a, &common);
  }
  if (state_->factor == nullptr) {
    check_status(common, "ordering");
  }
  state_->cost.ordering_seconds = seconds_since(start);
  state_->cost.flops = common.fl;
  start = Clock::now();
  cholmod_l_factorize(&a, state_->factor, &common);
  state_->cost.factor_seconds = seconds_since(start);
  Factorisation& outcome = state_->outcome;
  if (common.status == CHOLMOD_NOT_POSDEF) {
    const auto* permutation = static_cast<const SuiteSparse_long*>(state_->factor->Perm);
    const auto minor = static_cast<std::int64_t>(state_->factor->minor);
    outcome.failing_equation = minor < pattern.equations ? permutation[minor] : -1;
    return;
  }
  check_status(common, "factorisation");
  outcome.failing_equation = cancelled_column(*state_->factor, pattern, values);
  outcome.factored = outcome.failing_equation < 0;
}

CholeskyFactor::~CholeskyFactor() = default;

const Factorisation& CholeskyFactor::outcome() const {
  return state_->outcome;
}

const FactorCost& CholeskyFactor::cost() const {
  return state_->cost;
}

std::vector<double> CholeskyFactor::solve(const std::vector<double>& b, int columns) const {
  cholmod_common& common = state_->common;
  const auto n = static_cast<std::size_t>(state_->equations);
  if (b.size() != n * static_cast<std::size_t>(columns)) {
    throw std::invalid_argument("sparse solver: the right-hand sides do not fit the matrix");
  }
  cholmod_dense* right =
      cholmod_l_allocate_dense(n, static_cast<std::size_t>(columns), n, CHOLMOD_REAL, &common);
  check_status(common, "allocation");
  std::copy(b.begin(), b.end(), static_cast<double*>(right->x));
  cholmod_dense* x = cholmod_l_solve(CHOLMOD_A, state_->factor, right, &common);
  cholmod_l_free_dense(&right, &common);
  if (x == nullptr) {
    check_status(common, "solve");
    throw std::runtime_error("sparse solver: the solve gave no solution");
  }
  const auto* values = static_cast<const double*>(x->x);
  std::vector<double> solution(values, values + n * static_cast<std::size_t>(columns));
  cholmod_l_free_dense(&x, &common);
  return solution;
}

}  // namespace lajefem::sparse
