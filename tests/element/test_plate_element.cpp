// The plate element against plate-theory facts: rigidities, the natural and Cartesian
// derivatives, the square's Jacobians, zero-energy patterns, stress recovery and a patch test.
#include <gtest/gtest.h>

#include <cmath>

#include "element_checks.hpp"

namespace lajefem::test {
namespace {

TEST(MaterialMatrices, RigiditiesOfTheReferencePlate) {
  auto store = make_model_store();
  store->elastic_modulus = 30.0e6f;
  store->poisson_ratio = 0.2f;
  store->thickness = 0.2f;
  store->bending_rigidity.fill(7.0);
  store->shear_rigidity.fill(7.0);
  form_material_matrices(*store);
  const auto& d = store->bending_rigidity;
  const auto& s = store->shear_rigidity;
  EXPECT_NEAR(d(1, 1), 20833.333333, 20833.3 * 1e-6);
  EXPECT_EQ(d(2, 2), d(1, 1));
  EXPECT_EQ(d(1, 2), d(1, 1) * static_cast<double>(0.2f));
  EXPECT_EQ(d(2, 1), d(1, 2));
  EXPECT_NEAR(d(3, 3), 8333.333333, 8333.3 * 1e-6);
  EXPECT_NEAR(s(1, 1), 2083333.333333, 2083333.3 * 1e-6);
  EXPECT_EQ(s(2, 2), s(1, 1));
  for (const auto& [i, j] : {std::pair{1, 3}, {2, 3}, {3, 1}, {3, 2}})
    EXPECT_EQ(d(i, j), 0.0);
  EXPECT_EQ(s(1, 2), 0.0);
  EXPECT_EQ(s(2, 1), 0.0);
}

// Na = (1 + ξa·ξ)(1 + ηa·η)/4, written independently of the tables.
double shape(int a, double xi, double eta) {
  constexpr double xi_a[] = {-1, 1, 1, -1};
  constexpr double eta_a[] = {-1, -1, 1, 1};
  return (1 + xi_a[a - 1] * xi) * (1 + eta_a[a - 1] * eta) / 4;
}

TEST(SamplingTables, ValuesAndFiniteDifferenceDerivatives) {
  auto store = make_element_store();
  const double g = 1.0 / std::sqrt(3.0);
  const double xi[] = {-g, g, g, -g, 0};
  const double eta[] = {-g, -g, g, g, 0};
  const double h = 1e-6;
  for (int p = 1; p <= sampling_points; ++p) {
    double sum = 0.0;
    for (int a = 1; a <= corners; ++a) {
      const double x = xi[p - 1];
      const double y = eta[p - 1];
      EXPECT_NEAR(store->shape_n(p, a), shape(a, x, y), 1e-15);
      EXPECT_NEAR(store->shape_dxi(p, a), (shape(a, x + h, y) - shape(a, x - h, y)) / (2 * h),
                  1e-9);
      EXPECT_NEAR(store->shape_deta(p, a), (shape(a, x, y + h) - shape(a, x, y - h)) / (2 * h),
                  1e-9);
      sum += store->shape_n(p, a);
    }
    EXPECT_NEAR(sum, 1.0, 1e-15);
  }
}

const Corners distorted = {{{0.0, 0.0}, {2.2, 0.3}, {1.9, 1.7}, {-0.2, 1.4}}};

TEST(PointGeometry, CartesianDerivativesReproduceLinearFields) {
  const GaussPointGeometry geometry =
      gauss_point_geometry(sampling_tables(), corner_x(distorted), corner_y(distorted));
  for (int p = 1; p <= 4; ++p) {
    double dx_of[3] = {0, 0, 0};  // ∂/∂x of 1, x, y
    double dy_of[3] = {0, 0, 0};
    for (int a = 1; a <= corners; ++a) {
      const double field[3] = {1.0, distorted[a - 1][0], distorted[a - 1][1]};
      for (int f = 0; f < 3; ++f) {
        dx_of[f] += geometry.dndx(p, a) * field[f];
        dy_of[f] += geometry.dndy(p, a) * field[f];
      }
    }
    EXPECT_NEAR(dx_of[0], 0.0, 1e-14);
    EXPECT_NEAR(dx_of[1], 1.0, 1e-14);
    EXPECT_NEAR(dx_of[2], 0.0, 1e-14);
    EXPECT_NEAR(dy_of[0], 0.0, 1e-14);
    EXPECT_NEAR(dy_of[1], 0.0, 1e-14);
    EXPECT_NEAR(dy_of[2], 1.0, 1e-14);
    EXPECT_GT(geometry.jacobian(p), 0.0);
  }
}

TEST(SquareElement, JacobiansAndShearDiagonalForAnySide) {
  auto store = make_element_store();
  for (const double side : {1.0, 2.5, 4.0, 10.0}) {
    const double quarter_area = side * side / 4;
    const double half_shear = store->shear_rigidity(1, 1) / 2;
    form_element(*store, {{{0, 0}, {side, 0}, {side, side}, {0, side}}});
    for (int p = 1; p <= 4; ++p)
      EXPECT_DOUBLE_EQ(store->point_jacobian(p), quarter_area);
    EXPECT_DOUBLE_EQ(store->centre_jacobian, quarter_area);
    EXPECT_DOUBLE_EQ(store->element_stiffness(1, 1), half_shear);

    // Clockwise corners: the element itself does not refuse them.
    form_element(*store, {{{0, 0}, {0, side}, {side, side}, {side, 0}}});
    for (int p = 1; p <= 4; ++p)
      EXPECT_DOUBLE_EQ(store->point_jacobian(p), -quarter_area);
    EXPECT_DOUBLE_EQ(store->centre_jacobian, -quarter_area);
    EXPECT_DOUBLE_EQ(store->element_stiffness(1, 1), -half_shear);
  }
}

// Rank by Gaussian elimination with full pivoting.
int rank_of_stiffness(const ModelStore& store) {
  double k[element_dofs][element_dofs];
  for (int i = 0; i < element_dofs; ++i) {
    for (int j = 0; j < element_dofs; ++j)
      k[i][j] = store.element_stiffness(i + 1, j + 1);
  }
  const double threshold = 1e-9 * largest_stiffness(store);
  int rank = 0;
  for (; rank < element_dofs; ++rank) {
    int pi = rank;
    int pj = rank;
    for (int i = rank; i < element_dofs; ++i) {
      for (int j = rank; j < element_dofs; ++j) {
        if (std::fabs(k[i][j]) > std::fabs(k[pi][pj])) {
          pi = i;
          pj = j;
        }
      }
    }
    if (std::fabs(k[pi][pj]) <= threshold)
      break;
    std::swap(k[rank], k[pi]);
    for (auto& row : k)
      std::swap(row[rank], row[pj]);
    for (int i = rank + 1; i < element_dofs; ++i) {
      const double factor = k[i][rank] / k[rank][rank];
      for (int j = rank; j < element_dofs; ++j)
        k[i][j] -= factor * k[rank][j];
    }
  }
  return rank;
}

TEST(DistortedElement, SymmetricRankSevenWithFiveZeroEnergyPatterns) {
  auto store = make_element_store();
  form_element(*store, distorted);
  const double largest = largest_stiffness(*store);
  for (int i = 1; i <= element_dofs; ++i) {
    for (int j = 1; j < i; ++j) {
      EXPECT_NEAR(store->element_stiffness(i, j), store->element_stiffness(j, i), 1e-12 * largest);
    }
  }
  EXPECT_EQ(rank_of_stiffness(*store), 7);

  double xc = 0.0;
  double yc = 0.0;
  for (const auto& [x, y] : distorted) {
    xc += x / 4;
    yc += y / 4;
  }
  // Lift, tilt about y, tilt about x, transverse hourglass, rotation pattern.
  Freedoms patterns[5] = {};
  for (int a = 0; a < corners; ++a) {
    const double x = distorted[a][0];
    const double y = distorted[a][1];
    patterns[0][3 * a] = 1.0;
    patterns[1][3 * a] = x;
    patterns[1][3 * a + 1] = 1.0;
    patterns[2][3 * a] = y;
    patterns[2][3 * a + 2] = 1.0;
    patterns[3][3 * a] = (a % 2 == 0) ? 1.0 : -1.0;
    patterns[4][3 * a + 1] = y - yc;
    patterns[4][3 * a + 2] = -(x - xc);
  }
  for (const Freedoms& u : patterns)
    EXPECT_LT(largest_force(*store, u), 1e-8 * largest);
}

TEST(StressRecovery, ConstantCurvatureAndConstantShearOnTheUnitSquare) {
  auto store = make_element_store();
  form_element(*store, {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}});
  const double d = store->bending_rigidity(1, 1);
  const double nu_d = store->bending_rigidity(1, 2);
  const double s = store->shear_rigidity(1, 1);
  const double tolerance = 1e-9 * s;

  const Freedoms theta_x_is_x = {0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0};
  const Freedoms w_is_x = {0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0};
  for (int p = 1; p <= 4; ++p) {
    const int slot = 5 * (p - 1);
    EXPECT_NEAR(stress_resultant(*store, slot + 1, theta_x_is_x), -d, tolerance);
    EXPECT_NEAR(stress_resultant(*store, slot + 2, theta_x_is_x), -nu_d, tolerance);
    EXPECT_NEAR(stress_resultant(*store, slot + 3, theta_x_is_x), 0.0, tolerance);
    for (int r = 1; r <= 3; ++r)
      EXPECT_NEAR(stress_resultant(*store, slot + r, w_is_x), 0, tolerance);
  }
  EXPECT_NEAR(stress_resultant(*store, 4, theta_x_is_x), -0.5 * s, tolerance);
  EXPECT_NEAR(stress_resultant(*store, 4, w_is_x), s, tolerance);
  for (const int row : {5, 9, 10, 14, 15, 19, 20}) {
    EXPECT_NEAR(stress_resultant(*store, row, theta_x_is_x), 0.0, tolerance) << row;
    EXPECT_NEAR(stress_resultant(*store, row, w_is_x), 0.0, tolerance) << row;
  }
}

TEST(PatchTest, DistortedMeshReproducesConstantCurvatureExactly) {
  // Nine nodes on a 2 m square, the inner ones moved; four elements, corners anticlockwise.
  const double nodes[9][2] = {{0, 0},    {1.1, 0}, {2, 0},    {0, 0.9}, {1.2, 1.1},
                              {2, 1.05}, {0, 2},   {0.85, 2}, {2, 2}};
  const int elements[4][4] = {{1, 2, 5, 4}, {2, 3, 6, 5}, {4, 5, 8, 7}, {5, 6, 9, 8}};
  // θx = a·x + c1·y, θy = c2·x + b·y, w arbitrary.
  const double a = 0.002, b = -0.001, c1 = 0.0005, c2 = 0.0015;
  auto store = make_element_store();
  const auto& d = store->bending_rigidity;
  const double kx = -a, ky = -b, kxy = -(c1 + c2);
  const double moments[3] = {d(1, 1) * kx + d(1, 2) * ky, d(2, 1) * kx + d(2, 2) * ky,
                             d(3, 3) * kxy};
  for (const auto& element : elements) {
    Corners c;
    Freedoms u;
    for (int k = 0; k < corners; ++k) {
      const auto& [x, y] = nodes[element[k] - 1];
      c[k] = {x, y};
      u[3 * k] = 0.3 + 0.1 * x - 0.2 * y;
      u[3 * k + 1] = a * x + c1 * y;
      u[3 * k + 2] = c2 * x + b * y;
    }
    form_element(*store, c);
    for (int p = 1; p <= 4; ++p) {
      for (int r = 1; r <= 3; ++r) {
        EXPECT_NEAR(stress_resultant(*store, 5 * (p - 1) + r, u), moments[r - 1], 1e-11);
      }
    }
  }
}

}  // namespace
}  // namespace lajefem::test
