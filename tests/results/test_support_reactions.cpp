#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <utility>
#include <vector>

#include "element/element_loop.hpp"
#include "model/scratch_records.hpp"
#include "plate_mesh.hpp"
#include "results/element_results.hpp"
#include "results/load_vectors.hpp"
#include "results/support_reactions.hpp"
#include "tests/common/dense_solver.hpp"

namespace lajefem {
namespace {

std::stringstream make_scratch() {
  return std::stringstream(std::ios::in | std::ios::out | std::ios::binary);
}

class NoElementListener final : public ElementListener {
 public:
  void element_formed(const ModelStore&, int) override {}
};

// The run from the element loop to the reactions on a small plate: the element records, the
// spring-free stiffness and the applied loads go to the scratch file in the run's order, the
// system with its springs is solved here, and the two result steps read the file back.
class SupportedPlate : public ::testing::Test {
 protected:
  void SetUp() override {
    test::make_grid_mesh(*store, {0, 1, 2, 3}, {0, 1, 2, 3});
    test::prepare_element_geometry(*store);
    store->elastic_modulus = 30000000.0f;
    store->poisson_ratio = 0.3f;
    store->thickness = 0.1f;
    const int edge_nodes[] = {1, 2, 3, 4, 5, 8, 9, 12, 13, 14, 15, 16, 1};
    for (int node : edge_nodes) {
      const int s = ++store->support_count;
      store->support_data(s, 1) = static_cast<float>(node);
      store->support_data(s, 2) = 1.0f;
    }
    store->load_case_count = 2;
    store->loads_per_case(1) = 1;
    store->load_info(1, 1, 1) = 1;
    store->load_info(1, 2, 1) = 6;
    store->load_values(1, 1, 1) = -50.0f;
    store->loads_per_case(2) = 2;
    store->load_info(1, 1, 2) = 1;
    store->load_info(1, 2, 2) = 11;
    store->load_values(1, 1, 2) = 30.0f;
    store->load_values(1, 2, 2) = 5.0f;
    store->load_values(1, 3, 2) = -2.5f;
    store->load_info(2, 1, 2) = 2;
    store->load_values(2, 1, 2) = -4.0f;
  }

  void run_to_reactions() {
    NoElementListener listener;
    ASSERT_FALSE(assemble_global_stiffness(*store, scratch, listener).has_value());
    write_scratch_record(scratch, store->global_stiffness.data(), store->global_stiffness.size);
    add_springs();
    ASSERT_FALSE(form_load_vectors(*store).has_value());
    write_scratch_record(scratch, store->load_vectors.data(), store->load_vectors.size);
    *applied = store->load_vectors;
    solve();
    compute_element_results(*store, scratch);
    compute_support_reactions(*store, scratch);
  }

  void add_springs() {
    for (int s = 1; s <= store->support_count; ++s) {
      const int n = static_cast<int>(store->support_data(s, 1));
      for (int d = 1; d <= 3; ++d) {
        store->global_stiffness(3 * (n - 1) + d, 3 * (n - 1) + d) +=
            store->support_data(s, 1 + d) * 1000000.0;
      }
    }
  }

  void solve() {
    const int n = store->equation_count;
    std::vector<double> a(static_cast<std::size_t>(n) * n);
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= n; ++j) {
        a[static_cast<std::size_t>(i - 1) * n + (j - 1)] = store->global_stiffness(i, j);
      }
    }
    std::vector<std::vector<double>> b(store->load_case_count, std::vector<double>(n));
    for (int c = 1; c <= store->load_case_count; ++c) {
      for (int i = 1; i <= n; ++i) {
        b[c - 1][i - 1] = store->load_vectors(i, c);
      }
    }
    test::solve_dense(std::move(a), n, b);
    for (int c = 1; c <= store->load_case_count; ++c) {
      for (int i = 1; i <= n; ++i) {
        store->load_vectors(i, c) = b[c - 1][i - 1];
      }
    }
  }

  std::unique_ptr<ModelStore> store = make_model_store();
  std::unique_ptr<LoadMatrix> applied = std::make_unique<LoadMatrix>();
  std::stringstream scratch = make_scratch();
};

// The supports hold the plate in equilibrium: the w reactions balance the applied forces and
// their moments about the axes balance those of the loads (rigid-body motions w = x with θx = 1
// and w = y with θy = 1 do no work against the spring-free stiffness).
TEST_F(SupportedPlate, ReactionsBalanceTheLoads) {
  run_to_reactions();
  for (int c = 1; c <= 2; ++c) {
    double force = 0.0;
    double moment_x = 0.0;
    double moment_y = 0.0;
    for (int n = 1; n <= store->node_count; ++n) {
      const double x = store->node_coord(n, 1);
      const double y = store->node_coord(n, 2);
      force += (*applied)(3 * n - 2, c);
      moment_x += (*applied)(3 * n - 2, c) * x + (*applied)(3 * n - 1, c);
      moment_y += (*applied)(3 * n - 2, c) * y + (*applied)(3 * n, c);
    }
    double reaction = 0.0;
    double reaction_x = 0.0;
    double reaction_y = 0.0;
    for (int s = 1; s < store->support_count; ++s) {  // the last record repeats node 1
      const int n = static_cast<int>(store->support_reactions(s, 1, c));
      EXPECT_EQ(n, static_cast<int>(store->support_data(s, 1)));
      reaction += store->support_reactions(s, 2, c);
      reaction_x += store->support_reactions(s, 2, c) * double{store->node_coord(n, 1)};
      reaction_y += store->support_reactions(s, 2, c) * double{store->node_coord(n, 2)};
    }
    EXPECT_NE(force, 0.0);
    EXPECT_NEAR(reaction, -force, 1e-3) << "case " << c;
    EXPECT_NEAR(reaction_x, -moment_x, 1e-3) << "case " << c;
    EXPECT_NEAR(reaction_y, -moment_y, 1e-3) << "case " << c;
  }
}

TEST_F(SupportedPlate, SupportsOnOneNodeGiveIdenticalRows) {
  run_to_reactions();
  const int last = store->support_count;
  for (int c = 1; c <= max_load_cases; ++c) {
    for (int column = 1; column <= 4; ++column) {
      EXPECT_EQ(store->support_reactions(last, column, c), store->support_reactions(1, column, c));
    }
  }
  EXPECT_NE(store->support_reactions(1, 2, 1), 0.0f);
  for (int s = 1; s <= last; ++s) {
    for (int column = 1; column <= 4; ++column) {
      EXPECT_EQ(store->support_reactions(s, column, 3), 0.0f);
    }
  }
}

// A hand-made stiffness: R = K·U − F uses the full rows of the saved stiffness (not the matrix in
// the store, nor only a band) and is rounded to single precision only after the subtraction.
TEST(SupportReactions, OutOfBalanceOfTheSavedStiffness) {
  auto store = make_model_store();
  store->node_count = 2;
  store->equation_count = 6;
  store->load_case_count = 2;
  store->support_count = 2;
  store->support_data(1, 1) = 2.0f;
  store->support_data(2, 1) = 1.0f;
  store->global_stiffness(1, 1) = 1e30;

  const auto k = std::make_unique<StiffnessMatrix>();
  (*k)(1, 1) = 1.0;
  (*k)(1, 6) = 3.0;
  (*k)(6, 1) = 3.0;
  (*k)(5, 5) = 2.0;
  (*k)(2, 4) = -1.0;
  const auto f = std::make_unique<LoadMatrix>();
  const double tiny = std::ldexp(1.0, -30);
  store->load_vectors(1, 1) = 1.0 + tiny;
  store->load_vectors(6, 1) = 2.0;
  store->load_vectors(5, 1) = 0.25;
  store->load_vectors(4, 1) = 0.5;
  (*f)(1, 1) = 7.0;
  (*f)(5, 1) = 0.5;
  (*f)(6, 1) = 3.0;
  (*f)(3, 1) = 1.25;
  store->load_vectors(4, 2) = 8.0;
  (*f)(2, 2) = 4.0;

  auto scratch = make_scratch();
  write_scratch_record(scratch, k->data(), k->size);
  write_scratch_record(scratch, f->data(), f->size);
  compute_support_reactions(*store, scratch);

  struct Row {
    int s, c;
    float node, w, theta_x, theta_y;
  };
  const Row rows[] = {
      {1, 1, 2.0f, 0.0f, 0.0f, static_cast<float>(3.0 * tiny)},
      {2, 1, 1.0f, static_cast<float>(tiny), -0.5f, -1.25f},
      {1, 2, 2.0f, 0.0f, 0.0f, 0.0f},
      {2, 2, 1.0f, 0.0f, -12.0f, 0.0f},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(store->support_reactions(row.s, 1, row.c), row.node) << row.s << " " << row.c;
    EXPECT_EQ(store->support_reactions(row.s, 2, row.c), row.w) << row.s << " " << row.c;
    EXPECT_EQ(store->support_reactions(row.s, 3, row.c), row.theta_x) << row.s << " " << row.c;
    EXPECT_EQ(store->support_reactions(row.s, 4, row.c), row.theta_y) << row.s << " " << row.c;
  }
  EXPECT_EQ(store->global_stiffness(1, 1), 1.0);
}

TEST(SupportReactions, NoSupportsStillReadsBothRecords) {
  auto store = make_model_store();
  store->node_count = 1;
  store->equation_count = 3;
  store->load_case_count = 1;
  store->support_reactions(1, 2, 1) = 7.0f;
  auto scratch = make_scratch();
  const auto k = std::make_unique<StiffnessMatrix>();
  write_scratch_record(scratch, k->data(), k->size);
  write_scratch_record(scratch, store->load_vectors.data(), store->load_vectors.size);
  const double sentinel[] = {5.0};
  write_scratch_record(scratch, sentinel, 1);
  compute_support_reactions(*store, scratch);
  EXPECT_EQ(store->support_reactions(1, 2, 1), 7.0f);
  double next = 0.0;
  read_scratch_record(scratch, &next, 1);
  EXPECT_EQ(next, 5.0);
}

TEST(SupportReactions, MissingRecordStopsTheRun) {
  enum class Records { none, stiffness_only, wrong_second };
  for (Records records : {Records::none, Records::stiffness_only, Records::wrong_second}) {
    auto store = make_model_store();
    store->node_count = 1;
    store->equation_count = 3;
    store->load_case_count = 1;
    auto scratch = make_scratch();
    if (records != Records::none) {
      write_scratch_record(scratch, store->global_stiffness.data(), store->global_stiffness.size);
    }
    if (records == Records::wrong_second) {
      write_scratch_record(scratch, store->element_stress_matrix.data(),
                           store->element_stress_matrix.size);
    }
    EXPECT_THROW(compute_support_reactions(*store, scratch), ScratchFileError);
  }
}

}  // namespace
}  // namespace lajefem
