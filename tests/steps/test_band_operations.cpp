#include <gtest/gtest.h>

#include <limits>

#include "steps/band_operations.hpp"

namespace lajefem {
namespace {

void set_element(ModelStore& store, int e, int n1, int n2, int n3, int n4) {
  store.element_nodes(e, 1) = n1;
  store.element_nodes(e, 2) = n2;
  store.element_nodes(e, 3) = n3;
  store.element_nodes(e, 4) = n4;
}

TEST(HalfBandwidth, FollowsTheLargestCornerSpread) {
  auto store = make_model_store();
  compute_half_bandwidth(*store);
  EXPECT_EQ(store->half_bandwidth, 3);  // no elements

  store->element_count = 1;
  set_element(*store, 1, 1, 2, 12, 11);
  compute_half_bandwidth(*store);
  EXPECT_EQ(store->half_bandwidth, 36);

  // Numbering the nodes across the shorter side of a mesh lowers the spread to 6.
  store->element_count = 2;
  set_element(*store, 1, 1, 3, 4, 2);
  set_element(*store, 2, 3, 8, 9, 4);
  compute_half_bandwidth(*store);
  EXPECT_EQ(store->half_bandwidth, 21);
}

TEST(SupportSprings, AddUpOnTheDiagonal) {
  auto store = make_model_store();
  store->support_count = 3;
  store->support_data(1, 1) = 5;
  store->support_data(1, 2) = 1.0f;
  store->support_data(2, 1) = 5;
  store->support_data(2, 2) = 2.0f;
  store->support_data(2, 4) = -0.5f;  // negative springs are added as they are
  store->support_data(3, 1) = 1;
  store->support_data(3, 3) = 1.0e-7f;
  store->global_stiffness(13, 13) = 7.0;
  add_support_springs(*store);
  EXPECT_EQ(store->global_stiffness(13, 13), 3000007.0);
  EXPECT_EQ(store->global_stiffness(14, 14), 0.0);
  EXPECT_EQ(store->global_stiffness(15, 15), -500000.0);
  EXPECT_EQ(store->global_stiffness(2, 2), static_cast<double>(1.0e-7f) * 1000000.0);
  EXPECT_EQ(store->global_stiffness(13, 14), 0.0);
}

TEST(LocalMechanism, FirstDiagonalBelowOneTenth) {
  auto store = make_model_store();
  store->equation_count = 6;
  for (int i = 1; i <= 6; ++i) {
    store->global_stiffness(i, i) = 1.0;
  }
  EXPECT_EQ(find_local_mechanism(*store), 0);
  store->global_stiffness(4, 4) = 0.1;  // the boundary passes
  EXPECT_EQ(find_local_mechanism(*store), 0);
  store->global_stiffness(5, 5) = 0.0999;
  store->global_stiffness(6, 6) = 0.0;
  EXPECT_EQ(find_local_mechanism(*store), 5);
  store->global_stiffness(2, 2) = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(find_local_mechanism(*store), 2);
  // A spring of 1e-7 GN/m is enough on an otherwise free equation.
  store->global_stiffness(2, 2) = static_cast<double>(1.0e-7f) * 1000000.0;
  EXPECT_EQ(find_local_mechanism(*store), 5);
}

TEST(UpperBand, CopiesTheDiagonalsInUse) {
  auto store = make_model_store();
  store->equation_count = 30;
  store->half_bandwidth = 36;
  for (int i = 1; i <= 30; ++i) {
    for (int j = 1; j <= 30; ++j) {
      store->global_stiffness(i, j) = 100.0 * i + j;
    }
  }
  copy_upper_band(*store);
  EXPECT_EQ(store->band_stiffness(1, 1), 101.0);
  EXPECT_EQ(store->band_stiffness(1, 30), 130.0);  // row 1 stores 30 values
  EXPECT_EQ(store->band_stiffness(1, 31), 0.0);
  EXPECT_EQ(store->band_stiffness(30, 1), 3030.0);  // row 30 stores 1
  EXPECT_EQ(store->band_stiffness(30, 2), 0.0);
  EXPECT_EQ(store->band_stiffness(7, 4), 710.0);
}

}  // namespace
}  // namespace lajefem
