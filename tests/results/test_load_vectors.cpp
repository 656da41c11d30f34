#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "element/plate_element.hpp"
#include "plate_mesh.hpp"
#include "results/load_vectors.hpp"

namespace lajefem {
namespace {

void set_load(ModelStore& store, int i, int c, int type, int node, float v1, float v2, float v3) {
  store.load_info(i, 1, c) = type;
  store.load_info(i, 2, c) = node;
  store.load_values(i, 1, c) = v1;
  store.load_values(i, 2, c) = v2;
  store.load_values(i, 3, c) = v3;
}

double column_sum(const ModelStore& store, int c, int d) {
  double sum = 0.0;
  for (int n = 1; n <= store.node_count; ++n) {
    sum += store.load_vectors(3 * (n - 1) + d, c);
  }
  return sum;
}

// The point tables as the element loop leaves them: holding the last element's geometry.
void leave_geometry_of_last_element(ModelStore& store) {
  CornerValues x;
  CornerValues y;
  for (int k = 1; k <= 4; ++k) {
    x(k) = store.element_x(store.element_count, k);
    y(k) = store.element_y(store.element_count, k);
  }
  const GaussPointGeometry geometry = gauss_point_geometry(store, x, y);
  store.point_dndx = geometry.dndx;
  store.point_dndy = geometry.dndy;
  store.point_jacobian = geometry.jacobian;
}

TEST(LoadVectors, NodalLoadsAddOnTheirEquations) {
  auto store = make_model_store();
  test::make_grid_mesh(*store, {0, 1, 2}, {0, 1, 2});
  store->load_case_count = 3;
  store->loads_per_case(1) = 2;
  set_load(*store, 1, 1, 1, 3, 1, 2, 3);
  set_load(*store, 2, 1, 1, 3, 10, 20, 30);
  store->loads_per_case(2) = 2;
  set_load(*store, 1, 2, 1, 5, 10, 0, 0);
  set_load(*store, 2, 2, 1, 9, 0.1f, 0, 0);
  store->loads_per_case(3) = 0;
  EXPECT_FALSE(form_load_vectors(*store).has_value());

  struct Entry {
    int equation, c;
    double value;
  };
  const std::vector<Entry> entries = {
      {7, 1, 11.0},
      {8, 1, 22.0},
      {9, 1, 33.0},
      {13, 2, 10.0},
      {25, 2, static_cast<double>(0.1f)},  // the single-precision value, widened
  };
  for (int c = 1; c <= 4; ++c) {
    for (int i = 1; i <= max_equations; ++i) {
      double expected = 0.0;
      for (const Entry& entry : entries) {
        if (entry.equation == i && entry.c == c) {
          expected = entry.value;
        }
      }
      ASSERT_EQ(store->load_vectors(i, c), expected) << "equation " << i << " case " << c;
    }
  }
}

// Equal rectangles of 2.0 × 1.5 m: every element puts p·A/4 on the w of each of its corners.
TEST(LoadVectors, UniformLoadOnEqualRectangles) {
  auto store = make_model_store();
  test::make_grid_mesh(*store, {0, 2, 4, 6}, {0, 1.5f, 3});
  test::prepare_element_geometry(*store);
  const double p = 10.0;
  const double quarter = p * (2.0 * 1.5) / 4.0;
  store->load_case_count = 2;
  store->loads_per_case(2) = 1;
  set_load(*store, 1, 2, 2, 0, 10, 0, 0);
  EXPECT_FALSE(form_load_vectors(*store).has_value());

  // Elements meeting at each node of the 4 × 3 node grid.
  const int elements_at_node[] = {1, 2, 2, 1, 2, 4, 4, 2, 1, 2, 2, 1};
  for (int n = 1; n <= store->node_count; ++n) {
    EXPECT_NEAR(store->load_vectors(3 * n - 2, 2), elements_at_node[n - 1] * quarter, 1e-12)
        << "node " << n;
    EXPECT_EQ(store->load_vectors(3 * n - 1, 2), 0.0) << "node " << n;
    EXPECT_EQ(store->load_vectors(3 * n, 2), 0.0) << "node " << n;
    EXPECT_EQ(store->load_vectors(3 * n - 2, 1), 0.0) << "node " << n;
  }
  EXPECT_NEAR(column_sum(*store, 2, 1), p * 6.0 * 3.0, 1e-11);
}

// On a distorted mesh every element must be integrated over its own area: the w entries add up
// to p times the area of the whole plate.
TEST(LoadVectors, UniformLoadOnDistortedMeshCoversThePlateArea) {
  auto store = make_model_store();
  test::make_grid_mesh(*store, {0, 2, 4}, {0, 2, 4});
  auto move = [&](int n, float x, float y) {
    store->node_coord(n, 1) = x;
    store->node_coord(n, 2) = y;
  };
  move(2, 2.25f, -0.5f);
  move(5, 2.5f, 1.75f);
  move(9, 4.5f, 4.25f);
  test::prepare_element_geometry(*store);
  leave_geometry_of_last_element(*store);
  // Boundary polygon 1, 2, 3, 6, 9, 8, 7, 4 by the shoelace formula.
  const int boundary[] = {1, 2, 3, 6, 9, 8, 7, 4};
  double twice_area = 0.0;
  for (int a = 0; a < 8; ++a) {
    const int n = boundary[a];
    const int m = boundary[(a + 1) % 8];
    twice_area += double{store->node_coord(n, 1)} * store->node_coord(m, 2) -
                  double{store->node_coord(m, 1)} * store->node_coord(n, 2);
  }
  const double area = twice_area / 2.0;
  ASSERT_NEAR(area, 16.0 + 1.0 + 0.75, 1e-12);

  store->load_case_count = 1;
  store->loads_per_case(1) = 1;
  set_load(*store, 1, 1, 2, 0, -7.5f, 0, 0);
  EXPECT_FALSE(form_load_vectors(*store).has_value());
  EXPECT_NEAR(column_sum(*store, 1, 1), -7.5 * area, 1e-11);
  EXPECT_EQ(column_sum(*store, 1, 2), 0.0);
  EXPECT_EQ(column_sum(*store, 1, 3), 0.0);
}

// On a rectangle a × b, q2 puts ∓q2·b/2 on θx and q3 puts ∓q3·a/2 on θy at each corner: the
// corners on the low side of x (of y) get the minus sign. Two separate elements of different size
// check that each uses its own geometry.
TEST(LoadVectors, RotationTermsOfADistributedLoad) {
  auto store = make_model_store();
  struct Rectangle {
    float x0, y0, a, b;
  };
  const Rectangle rectangles[] = {{0, 0, 2, 1}, {5, 3, 0.5f, 4}};
  store->node_count = 8;
  store->element_count = 2;
  for (int e = 1; e <= 2; ++e) {
    const Rectangle& r = rectangles[e - 1];
    const float xs[] = {r.x0, r.x0 + r.a, r.x0 + r.a, r.x0};
    const float ys[] = {r.y0, r.y0, r.y0 + r.b, r.y0 + r.b};
    for (int k = 1; k <= 4; ++k) {
      const int n = 4 * (e - 1) + k;
      store->element_nodes(e, k) = n;
      store->node_coord(n, 1) = xs[k - 1];
      store->node_coord(n, 2) = ys[k - 1];
    }
  }
  test::prepare_element_geometry(*store);
  store->load_case_count = 1;
  store->loads_per_case(1) = 1;
  set_load(*store, 1, 1, 2, 0, 0, 3, -2);
  EXPECT_FALSE(form_load_vectors(*store).has_value());

  const double side_x[] = {-1, 1, 1, -1};
  const double side_y[] = {-1, -1, 1, 1};
  for (int e = 1; e <= 2; ++e) {
    const Rectangle& r = rectangles[e - 1];
    double theta_x_sum = 0.0;
    double theta_y_sum = 0.0;
    for (int k = 1; k <= 4; ++k) {
      const int n = 4 * (e - 1) + k;
      EXPECT_EQ(store->load_vectors(3 * n - 2, 1), 0.0);
      EXPECT_NEAR(store->load_vectors(3 * n - 1, 1), 3.0 * side_x[k - 1] * r.b / 2, 1e-12)
          << "element " << e << " corner " << k;
      EXPECT_NEAR(store->load_vectors(3 * n, 1), -2.0 * side_y[k - 1] * r.a / 2, 1e-12)
          << "element " << e << " corner " << k;
      theta_x_sum += store->load_vectors(3 * n - 1, 1);
      theta_y_sum += store->load_vectors(3 * n, 1);
    }
    EXPECT_NEAR(theta_x_sum, 0.0, 1e-12);
    EXPECT_NEAR(theta_y_sum, 0.0, 1e-12);
  }
}

TEST(LoadVectors, RotationTermsOfOneDistortedElementSumToZero) {
  auto store = make_model_store();
  test::make_grid_mesh(*store, {0, 1}, {0, 1});
  const float corners[4][2] = {{0.1f, -0.2f}, {2.3f, 0.4f}, {1.9f, 1.7f}, {-0.4f, 1.1f}};
  for (int n = 1; n <= 4; ++n) {
    store->node_coord(n, 1) = corners[n - 1][0];
    store->node_coord(n, 2) = corners[n - 1][1];
  }
  test::prepare_element_geometry(*store);
  store->load_case_count = 1;
  store->loads_per_case(1) = 1;
  set_load(*store, 1, 1, 2, 0, 0, 4.5f, 6.25f);
  EXPECT_FALSE(form_load_vectors(*store).has_value());
  EXPECT_NEAR(column_sum(*store, 1, 2), 0.0, 1e-12);
  EXPECT_NEAR(column_sum(*store, 1, 3), 0.0, 1e-12);
  EXPECT_GT(std::abs(store->load_vectors(2, 1)), 0.1);
  EXPECT_GT(std::abs(store->load_vectors(3, 1)), 0.1);
}

// Field 2 of a distributed load is not a node number; two distributed loads and a nodal load in
// one case add up.
TEST(LoadVectors, DistributedLoadsIgnoreFieldTwoAndAddUp) {
  auto form = [](int field_two) {
    auto store = make_model_store();
    test::make_grid_mesh(*store, {0, 1, 3}, {0, 2});
    test::prepare_element_geometry(*store);
    store->load_case_count = 1;
    store->loads_per_case(1) = 3;
    set_load(*store, 1, 1, 2, field_two, 4, 0.5f, -1);
    set_load(*store, 2, 1, 1, 2, 100, 0, 0);
    set_load(*store, 3, 1, 2, field_two, 6, 0, 0);
    EXPECT_FALSE(form_load_vectors(*store).has_value());
    return store;
  };
  const auto reference = form(0);
  for (int field_two : {1, 7}) {
    const auto store = form(field_two);
    for (int i = 1; i <= max_equations; ++i) {
      ASSERT_EQ(store->load_vectors(i, 1), reference->load_vectors(i, 1)) << "equation " << i;
    }
  }
  EXPECT_NEAR(column_sum(*reference, 1, 1), 100.0 + 10.0 * 6.0, 1e-11);
  // Node 2 is shared by both elements: 100 plus a quarter of both elements under 4 + 6.
  EXPECT_NEAR(reference->load_vectors(4, 1), 100.0 + 10.0 * (2.0 / 4 + 4.0 / 4), 1e-12);
}

TEST(LoadVectors, UnknownLoadTypeStopsTheRun) {
  struct Row {
    const char* what;
    int bad_case;
    int bad_slot;
    int bad_type;
  };
  const Row rows[] = {
      {"type 3 first", 1, 1, 3},
      {"type 3 after valid loads", 2, 3, 3},
      {"empty slot", 2, 2, 0},
      {"negative type", 1, 2, -1},
  };
  for (const Row& row : rows) {
    auto store = make_model_store();
    test::make_grid_mesh(*store, {0, 1}, {0, 1});
    test::prepare_element_geometry(*store);
    store->load_case_count = 2;
    for (int c = 1; c <= 2; ++c) {
      store->loads_per_case(c) = 3;
      set_load(*store, 1, c, 1, 1, 1, 0, 0);
      set_load(*store, 2, c, 2, 0, 1, 0, 0);
      set_load(*store, 3, c, 1, 4, 1, 0, 0);
    }
    store->load_info(row.bad_slot, 1, row.bad_case) = row.bad_type;
    const std::optional<AnalysisStop> stop = form_load_vectors(*store);
    ASSERT_TRUE(stop.has_value()) << row.what;
    EXPECT_EQ(stop->kind, AnalysisStop::Kind::unknown_load_type) << row.what;
    EXPECT_EQ(stop->load_case, row.bad_case) << row.what;
    EXPECT_EQ(stop->load, row.bad_slot) << row.what;
  }
}

}  // namespace
}  // namespace lajefem
