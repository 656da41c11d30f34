#include "results/support_reactions.hpp"

#include <istream>
#include <memory>

#include "model/matrix_product.hpp"
#include "model/scratch_records.hpp"

namespace lajefem {

namespace {

using OutOfBalance = Array<float, max_equations, max_load_cases>;  // (equation, case) kN, kN·m

// R = K·U − F over the full rows of the spring-free stiffness, U the current load_vectors.
void compute_out_of_balance(const ModelStore& store, const LoadMatrix& applied, OutOfBalance& r) {
  const int n = store.equation_count;
  const auto product = std::make_unique<LoadMatrix>();
  multiply_matrices(store.global_stiffness, store.load_vectors, n, n, store.load_case_count,
                    *product);
  for (int c = 1; c <= store.load_case_count; ++c) {
    for (int i = 1; i <= n; ++i) {
      r(i, c) = static_cast<float>((*product)(i, c) - applied(i, c));
    }
  }
}

// Each support row: its node number as held in support_data, then the reactions on w, θx, θy.
void copy_support_reactions(ModelStore& store, const OutOfBalance& r) {
  for (int s = 1; s <= store.support_count; ++s) {
    const float node = store.support_data(s, 1);
    const int n = static_cast<int>(node);
    for (int c = 1; c <= store.load_case_count; ++c) {
      store.support_reactions(s, 1, c) = node;
      for (int d = 1; d <= 3; ++d) {
        store.support_reactions(s, 1 + d, c) = r(3 * (n - 1) + d, c);
      }
    }
  }
}

}  // namespace

void compute_support_reactions(ModelStore& store, std::istream& scratch, std::ostream& console) {
  read_scratch_record(scratch, store.global_stiffness.data(), store.global_stiffness.size, console);
  const auto applied = std::make_unique<LoadMatrix>();
  read_scratch_record(scratch, applied->data(), applied->size, console);
  const auto r = std::make_unique<OutOfBalance>();
  compute_out_of_balance(store, *applied, *r);
  copy_support_reactions(store, *r);
}

}  // namespace lajefem
