#include <gtest/gtest.h>

#include "geometry/plane_geometry.hpp"

namespace lajefem {
namespace {

PlanePolygon square(double x, double y, double side) {
  return {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}};
}

TEST(PlaneGeometry, AreasOfPolygonsAndOfTheirOverlap) {
  EXPECT_DOUBLE_EQ(polygon_area(square(0, 0, 2)), 4);
  const PlanePolygon clockwise{{0, 0}, {0, 2}, {2, 2}, {2, 0}};
  EXPECT_DOUBLE_EQ(polygon_area(clockwise), -4);
  const struct {
    PlanePolygon first;
    PlanePolygon second;
    double common;
  } rows[] = {
      {square(0, 0, 2), square(1, 1, 2), 1},                    // corners overlap
      {square(0, 0, 2), square(0.5, 0.5, 1), 1},                // one inside the other
      {square(0, 0, 2), square(2, 0, 2), 0},                    // a shared side only
      {square(0, 0, 1), square(5, 5, 1), 0},                    // apart
      {square(0, 0, 2), {{0, 0}, {2, 0}, {0, 2}}, 2},           // the lower-left half
      {{{0, 0}, {2, 0}, {0, 2}}, {{2, 2}, {0, 2}, {2, 0}}, 0},  // two halves of a square
  };
  for (const auto& row : rows) {
    EXPECT_NEAR(common_area(row.first, row.second), row.common, 1e-12);
    EXPECT_NEAR(common_area(row.second, row.first), row.common, 1e-12);
  }
}

TEST(PlaneGeometry, TurnOfThreePoints) {
  EXPECT_GT(cross({0, 0}, {1, 0}, {0, 1}), 0);
  EXPECT_LT(cross({0, 0}, {0, 1}, {1, 0}), 0);
  EXPECT_EQ(cross({0, 0}, {1, 1}, {2, 2}), 0);
}

}  // namespace
}  // namespace lajefem
