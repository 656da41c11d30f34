#include "results/support_reactions.hpp"

#include <array>
#include <istream>
#include <memory>

#include "model/scratch_records.hpp"

namespace lajefem {

namespace {

using OutOfBalance = Array<float, max_equations, max_load_cases>;  // (equation, case) kN, kN·m

// R(i, c) = K(i, ·)·U(·, c) − F(i, c) over the full row i of the spring-free stiffness, U the
// current load_vectors, summed from 0.0 in the order of the row, for every load case at once.
void compute_out_of_balance(const ModelStore& store, const LoadMatrix& applied, int i,
                            OutOfBalance& r) {
  std::array<double, max_load_cases> s{};
  for (int j = 1; j <= store.equation_count; ++j) {
    const double k = store.global_stiffness(i, j);
    for (int c = 1; c <= store.load_case_count; ++c) {
      s[c - 1] += k * store.load_vectors(j, c);
    }
  }
  for (int c = 1; c <= store.load_case_count; ++c) {
    r(i, c) = static_cast<float>(s[c - 1] - applied(i, c));
  }
}

// Each support row: its node number as held in support_data, then the reactions on w, θx, θy.
// Only the equations of supported nodes are ever reported, so only their rows of R are formed.
void copy_support_reactions(ModelStore& store, const LoadMatrix& applied, OutOfBalance& r) {
  for (int s = 1; s <= store.support_count; ++s) {
    const float node = store.support_data(s, 1);
    const int n = static_cast<int>(node);
    for (int d = 1; d <= freedoms_per_node; ++d) {
      compute_out_of_balance(store, applied, node_equation(n, d), r);
    }
    for (int c = 1; c <= store.load_case_count; ++c) {
      store.support_reactions(s, 1, c) = node;
      for (int d = 1; d <= freedoms_per_node; ++d) {
        store.support_reactions(s, 1 + d, c) = r(node_equation(n, d), c);
      }
    }
  }
}

}  // namespace

void compute_support_reactions(ModelStore& store, std::istream& scratch) {
  read_scratch_record(scratch, store.global_stiffness.data(), store.global_stiffness.size);
  const auto applied = std::make_unique<LoadMatrix>();
  read_scratch_record(scratch, applied->data(), applied->size);
  const auto r = std::make_unique<OutOfBalance>();
  copy_support_reactions(store, *applied, *r);
}

}  // namespace lajefem
