#include <gtest/gtest.h>

#include <sstream>

#include "element/plate_element.hpp"
#include "model/scratch_records.hpp"
#include "plate_mesh.hpp"
#include "results/element_results.hpp"

namespace lajefem {
namespace {

std::stringstream make_scratch() {
  return std::stringstream(std::ios::in | std::ios::out | std::ios::binary);
}

// Writes one hand-made stress matrix per element: entry (r, j) of element e is e·10000 + r·100 + j.
void write_numbered_records(const ModelStore& store, std::ostream& scratch) {
  Array<double, stress_rows, element_dofs> matrix;
  for (int e = 1; e <= store.element_count; ++e) {
    for (int j = 1; j <= element_dofs; ++j) {
      for (int r = 1; r <= stress_rows; ++r) {
        matrix(r, j) = e * 10000 + r * 100 + j;
      }
    }
    write_scratch_record(scratch, matrix.data(), matrix.size);
  }
}

// The unit square with E = 30 GPa, ν = 0.2, t = 0.2 m; writes its real stress matrix as a record.
void write_unit_square_record(ModelStore& store, std::ostream& scratch) {
  test::make_grid_mesh(store, {0, 1}, {0, 1});
  test::prepare_element_geometry(store);
  store.elastic_modulus = 30000000.0f;
  store.poisson_ratio = 0.2f;
  store.thickness = 0.2f;
  form_material_matrices(store);
  CornerValues x;
  CornerValues y;
  for (int k = 1; k <= 4; ++k) {
    x(k) = store.element_x(1, k);
    y(k) = store.element_y(1, k);
  }
  plate_element_matrices(store, x, y);
  write_scratch_record(scratch, store.element_stress_matrix.data(),
                       store.element_stress_matrix.size);
}

// Two elements on separate nodes (1..4 and 5..8, element 2 listed from its third corner). Case c
// has a unit displacement only on degree d = c of corner k = c of each element, so row r of
// case c must be entry (r, 3(c − 1) + c) of that element's own record.
TEST(ElementResults, EachElementUsesItsOwnRecordAndCorners) {
  auto store = make_model_store();
  store->node_count = 8;
  store->element_count = 2;
  store->load_case_count = 3;
  const int nodes[2][4] = {{1, 2, 3, 4}, {7, 8, 5, 6}};
  for (int e = 1; e <= 2; ++e) {
    for (int k = 1; k <= 4; ++k) {
      store->element_nodes(e, k) = nodes[e - 1][k - 1];
    }
  }
  for (int e = 1; e <= 2; ++e) {
    for (int c = 1; c <= 3; ++c) {
      store->load_vectors(3 * (store->element_nodes(e, c) - 1) + c, c) = 1.0;
    }
  }
  auto scratch = make_scratch();
  write_numbered_records(*store, scratch);
  scratch.seekg(0, std::ios::end);  // where the run leaves the file after its last record
  compute_element_results(*store, scratch);
  for (int e = 1; e <= 2; ++e) {
    for (int c = 1; c <= 3; ++c) {
      for (int r = 1; r <= stress_rows; ++r) {
        EXPECT_EQ(store->element_results(e, r, c), e * 10000 + r * 100 + 3 * (c - 1) + c)
            << "element " << e << " row " << r << " case " << c;
      }
    }
  }
}

// Corner k of an element shows the displacements of node element_nodes(e, k).
TEST(ElementResults, CornerDisplacementsFollowTheCornerNodes) {
  auto store = make_model_store();
  test::make_grid_mesh(*store, {0, 1, 2, 3}, {0, 1});
  store->element_nodes(1, 1) = 3;
  store->element_nodes(1, 2) = 4;
  store->element_nodes(1, 3) = 8;
  store->element_nodes(1, 4) = 7;
  store->element_count = 1;
  store->load_case_count = 1;
  for (int n = 1; n <= store->node_count; ++n) {
    store->load_vectors(3 * n - 2, 1) = n * 1e-3;
    store->load_vectors(3 * n - 1, 1) = n * 1e-4;
    store->load_vectors(3 * n, 1) = -n * 1e-5;
  }
  auto scratch = make_scratch();
  write_numbered_records(*store, scratch);
  compute_element_results(*store, scratch);
  const int corner_nodes[] = {3, 4, 8, 7};
  for (int k = 1; k <= 4; ++k) {
    const int n = corner_nodes[k - 1];
    EXPECT_EQ(store->element_displacements(1, 3 * k - 2, 1),
              static_cast<float>(n * 1e-3) * 1000.0f);
    EXPECT_EQ(store->element_displacements(1, 3 * k - 1, 1), static_cast<float>(n * 1e-4));
    EXPECT_EQ(store->element_displacements(1, 3 * k, 1), static_cast<float>(-n * 1e-5));
  }
}

// w is rounded to single precision first and then scaled to mm in single precision: for
// 0.0012345 m that is one unit below the float nearest to 1.2345.
TEST(ElementResults, DisplacementsInReportUnits) {
  struct Row {
    double w, theta_x, theta_y;
    float w_mm;
  };
  const Row rows[] = {
      {0.0012345, 0.000865, -0.000643, 0x1.3c083p+0f},
      {-0.0012345, 0.0, 0.0, -0x1.3c083p+0f},
      {0.00406, -1.5e-7, 2.0e-3, 0x1.03d70cp+2f},
      {0.001, 0.1, -0.1, 1.0f},
      {0.0, 0.0, 0.0, 0.0f},
  };
  for (const Row& row : rows) {
    auto store = make_model_store();
    auto scratch = make_scratch();
    write_unit_square_record(*store, scratch);
    store->load_case_count = 1;
    for (int n = 1; n <= 4; ++n) {
      store->load_vectors(3 * n - 2, 1) = row.w;
      store->load_vectors(3 * n - 1, 1) = row.theta_x;
      store->load_vectors(3 * n, 1) = row.theta_y;
    }
    compute_element_results(*store, scratch);
    for (int k = 1; k <= 4; ++k) {
      EXPECT_EQ(store->element_displacements(1, 3 * k - 2, 1), row.w_mm) << row.w;
      EXPECT_EQ(store->element_displacements(1, 3 * k - 1, 1), static_cast<float>(row.theta_x));
      EXPECT_EQ(store->element_displacements(1, 3 * k, 1), static_cast<float>(row.theta_y));
    }
  }
}

// The real stress matrix of the unit square: constant slope w = x gives Qx = the shear rigidity
// under point 1 and nothing else; θx = x gives Mx = −D and My = −ν·D at every point. Case 1 is at
// rest and gets zeros; case 3 lies beyond load_case_count and stays untouched.
TEST(ElementResults, ResultantsOfTheUnitSquare) {
  auto store = make_model_store();
  auto scratch = make_scratch();
  write_unit_square_record(*store, scratch);
  const double sentinel[] = {1.0, 2.0, 3.0};
  write_scratch_record(scratch, sentinel, 3);
  for (int n = 1; n <= 4; ++n) {
    const double x = store->node_coord(n, 1);
    store->load_vectors(3 * n - 2, 2) = x;
    store->load_vectors(3 * n - 1, 3) = x;
  }
  store->load_case_count = 2;
  compute_element_results(*store, scratch);

  const double shear = store->shear_rigidity(1, 1);
  for (int r = 1; r <= stress_rows; ++r) {
    EXPECT_EQ(store->element_results(1, r, 1), 0.0f) << "row " << r;
    EXPECT_EQ(store->element_results(1, r, 3), 0.0f) << "row " << r;
    const double expected = r == 4 ? shear : 0.0;
    EXPECT_NEAR(store->element_results(1, r, 2), expected, 1e-6 * shear) << "row " << r;
  }
  for (int r : {9, 10, 14, 15, 19, 20}) {
    EXPECT_EQ(store->element_results(1, r, 2), 0.0f) << "row " << r;
  }
  for (int v = 1; v <= element_dofs; ++v) {
    EXPECT_EQ(store->element_displacements(1, v, 1), 0.0f);
    EXPECT_EQ(store->element_displacements(1, v, 3), 0.0f);
  }
  // Exactly one record per element was consumed.
  double next[3] = {};
  read_scratch_record(scratch, next, 3);
  EXPECT_EQ(next[2], 3.0);

  auto bending = make_model_store();
  auto bending_scratch = make_scratch();
  write_unit_square_record(*bending, bending_scratch);
  bending->load_case_count = 1;
  for (int n = 1; n <= 4; ++n) {
    bending->load_vectors(3 * n - 1, 1) = bending->node_coord(n, 1);
  }
  compute_element_results(*bending, bending_scratch);
  const double d = bending->bending_rigidity(1, 1);
  const double nu = bending->poisson_ratio;
  for (int p = 1; p <= 4; ++p) {
    EXPECT_NEAR(bending->element_results(1, 5 * (p - 1) + 1, 1), -d, 1e-6 * d) << "point " << p;
    EXPECT_NEAR(bending->element_results(1, 5 * (p - 1) + 2, 1), -nu * d, 1e-6 * d);
    EXPECT_NEAR(bending->element_results(1, 5 * (p - 1) + 3, 1), 0.0, 1e-6 * d);
  }
  EXPECT_NEAR(bending->element_results(1, 4, 1), -0.5 * bending->shear_rigidity(1, 1),
              1e-6 * bending->shear_rigidity(1, 1));
}

// Both load cases are computed from the one record of the element.
TEST(ElementResults, TwoCasesShareOneRecord) {
  auto store = make_model_store();
  auto scratch = make_scratch();
  write_unit_square_record(*store, scratch);
  store->load_case_count = 2;
  const double u[] = {1e-3, 2e-4, -3e-4, 4e-3, -5e-4, 6e-4, -7e-3, 8e-4, 9e-4, 1e-2, -1e-4, 2e-4};
  for (int i = 1; i <= 12; ++i) {
    store->load_vectors(i, 1) = u[i - 1];
    store->load_vectors(i, 2) = 2.0 * u[i - 1];
  }
  compute_element_results(*store, scratch);
  for (int r = 1; r <= stress_rows; ++r) {
    EXPECT_EQ(store->element_results(1, r, 2), 2.0f * store->element_results(1, r, 1));
  }
  EXPECT_NE(store->element_results(1, 1, 1), 0.0f);
}

TEST(ElementResults, MissingRecordStopsTheRun) {
  auto store = make_model_store();
  auto scratch = make_scratch();
  write_unit_square_record(*store, scratch);
  store->element_count = 2;
  store->element_nodes(2, 1) = 1;
  store->element_nodes(2, 2) = 2;
  store->element_nodes(2, 3) = 3;
  store->element_nodes(2, 4) = 4;
  store->load_case_count = 1;
  EXPECT_THROW(compute_element_results(*store, scratch), ScratchFileError);
}

}  // namespace
}  // namespace lajefem
