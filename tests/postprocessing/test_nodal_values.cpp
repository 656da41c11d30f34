#include <gtest/gtest.h>

#include <cmath>

#include "postprocessing/nodal_values.hpp"
#include "tests/common/plate_grid.hpp"

namespace lajefem {
namespace {

struct ExtrapolationCase {
  const char* what;
  std::array<double, 4> gauss;
  std::array<double, 4> corners;
};

// Gauss point p sits at (±1/√3, ±1/√3) next to corner p.
double natural_gauss(int p, bool eta) {
  const double g = 1.0 / std::sqrt(3.0);
  const int sign_xi[4] = {-1, 1, 1, -1};
  const int sign_eta[4] = {-1, -1, 1, 1};
  return g * (eta ? sign_eta[p] : sign_xi[p]);
}

std::array<double, 4> bilinear_at_gauss_points() {
  std::array<double, 4> values{};
  for (int p = 0; p < 4; ++p) {
    const double xi = natural_gauss(p, false);
    const double eta = natural_gauss(p, true);
    values[p] = 1 + 2 * xi + 3 * eta + 4 * xi * eta;
  }
  return values;
}

TEST(Extrapolation, ReproducesConstantsAndBilinearFields) {
  const ExtrapolationCase cases[] = {
      {"ascending",
       {1, 2, 3, 4},
       {-0.7320508075688772, 2.267949192431123, 2.732050807568877, 5.732050807568877}},
      {"constant", {7.5, 7.5, 7.5, 7.5}, {7.5, 7.5, 7.5, 7.5}},
      {"zero", {0, 0, 0, 0}, {0, 0, 0, 0}},
      {"1 + 2ξ + 3η + 4ξη", bilinear_at_gauss_points(), {0, -4, 10, -2}},
  };
  for (const ExtrapolationCase& c : cases) {
    const std::array<double, 4> corners = extrapolate_to_corners(c.gauss);
    for (int k = 0; k < 4; ++k) {
      EXPECT_NEAR(corners[k], c.corners[k], 1e-13) << c.what << ", corner " << k + 1;
    }
  }
}

// Every Gauss point of every element gets the value of a linear field at its own position.
LoadCaseResults linear_moment_results(const PlateModel& model) {
  LoadCaseResults results;
  for (const PlateElement& element : model.elements) {
    ElementResultants resultants;
    const auto points = gauss_point_positions(model, element);
    for (int p = 0; p < 4; ++p) {
      const double mx = 1 + 2 * points[p].x + 3 * points[p].y;
      resultants.points[p] = {static_cast<float>(mx), static_cast<float>(-mx),
                              static_cast<float>(0.5 * mx), p == 0 ? 4.0f : 0.0f, 0.0f};
    }
    results.elements.push_back(resultants);
  }
  return results;
}

// On rectangles a linear field is bilinear in the natural coordinates: extrapolation and
// averaging give its exact value at every node, interior, edge and corner alike.
TEST(NodalResultants, LinearFieldExactAtEveryNode) {
  const PlateModel model = test::grid_model({0, 1.5f, 2.5f, 4}, {0, 2, 3});
  const std::vector<Resultants> nodal = nodal_resultants(model, linear_moment_results(model));
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    const double expected = 1 + 2 * model.nodes[n].x + 3 * model.nodes[n].y;
    EXPECT_NEAR(nodal[n].moments.mx, expected, 2e-5) << "node " << n + 1;
    EXPECT_NEAR(nodal[n].moments.my, -expected, 2e-5) << "node " << n + 1;
    EXPECT_NEAR(nodal[n].moments.mxy, 0.5 * expected, 2e-5) << "node " << n + 1;
    EXPECT_DOUBLE_EQ(nodal[n].qx, 4.0) << "node " << n + 1;
  }
}

// Elements with constant but different values: each node gets the plain mean of its elements.
TEST(NodalResultants, UnweightedMeanAtCornerEdgeAndInteriorNodes) {
  // 2 × 2 elements of different sizes; element e (1..4) holds Mx = 10e and Qx = e at its centre.
  const PlateModel model = test::grid_model({0, 1, 4}, {0, 3, 4});
  LoadCaseResults results;
  for (int e = 1; e <= 4; ++e) {
    ElementResultants element;
    for (int p = 0; p < 4; ++p) {
      element.points[p].mx = 10.0f * e;
      element.points[p].qx = p == 0 ? static_cast<float>(e) : 0.0f;
    }
    results.elements.push_back(element);
  }
  const std::vector<Resultants> nodal = nodal_resultants(model, results);
  struct NodeCase {
    const char* where;
    int node;
    double mx;
    double qx;
  };
  const NodeCase cases[] = {
      {"corner of element 1", 1, 10, 1},      {"corner of element 4", 9, 40, 4},
      {"edge, elements 1 and 2", 2, 15, 1.5}, {"edge, elements 2 and 4", 6, 30, 3},
      {"interior, all four", 5, 25, 2.5},
  };
  for (const NodeCase& c : cases) {
    EXPECT_NEAR(nodal[c.node - 1].moments.mx, c.mx, 1e-12) << c.where;
    EXPECT_NEAR(nodal[c.node - 1].qx, c.qx, 1e-12) << c.where;
  }
}

TEST(CentreResultants, MeanOfGaussMomentsAndShearOfPointOne) {
  ElementResultants element;
  element.points = {{{1, 10, -2, 6, -7}, {2, 20, -4, 0, 0}, {3, 30, -6, 0, 0}, {6, 40, -8, 0, 0}}};
  const Resultants centre = centre_resultants(element);
  EXPECT_DOUBLE_EQ(centre.moments.mx, 3);
  EXPECT_DOUBLE_EQ(centre.moments.my, 25);
  EXPECT_DOUBLE_EQ(centre.moments.mxy, -5);
  EXPECT_DOUBLE_EQ(centre.qx, 6);
  EXPECT_DOUBLE_EQ(centre.qy, -7);
}

TEST(ElementGeometry, GaussPointsNearTheirCornersAndArea) {
  const PlateModel model = test::grid_model({2, 5}, {1, 2});
  const auto points = gauss_point_positions(model, model.elements[0]);
  const double g = 1.0 / std::sqrt(3.0);
  const double expected[4][2] = {{3.5 - 1.5 * g, 1.5 - 0.5 * g},
                                 {3.5 + 1.5 * g, 1.5 - 0.5 * g},
                                 {3.5 + 1.5 * g, 1.5 + 0.5 * g},
                                 {3.5 - 1.5 * g, 1.5 + 0.5 * g}};
  for (int p = 0; p < 4; ++p) {
    EXPECT_NEAR(points[p].x, expected[p][0], 1e-14) << "point " << p + 1;
    EXPECT_NEAR(points[p].y, expected[p][1], 1e-14) << "point " << p + 1;
  }
  EXPECT_DOUBLE_EQ(element_area(model, model.elements[0]), 3.0);
}

}  // namespace
}  // namespace lajefem
