#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "postprocessing/design_moments.hpp"

namespace lajefem {
namespace {

// Normal moment on the section whose normal makes angle α with x.
double normal_moment(const Moments& m, double alpha) {
  const double c = std::cos(alpha);
  const double s = std::sin(alpha);
  return m.mx * c * c + m.my * s * s + 2 * m.mxy * s * c;
}

struct WoodArmerRow {
  Moments m;
  FaceMoments stretched;  // the face positive moments stretch (+w)
  FaceMoments other;      // the opposite face (−w)
};

// With +w down the +w face is the bottom one.
const WoodArmerRow wood_armer_rows[] = {
    {{10, 5, 2}, {12, 7}, {0, 0}},      {{10, -8, 6}, {14.5, 0}, {0, -11.6}},
    {{0, 0, 5}, {5, 5}, {-5, -5}},      {{-3, -4, 1}, {0, 0}, {-4, -5}},
    {{-10, 2, 5}, {0, 4.5}, {-15, -3}}, {{20, 0, 0}, {20, 0}, {0, 0}},
    {{-20, 10, 0}, {0, 10}, {-20, 0}},  {{4, -1, 2}, {6, 1}, {0, -2}},
    {{5, 5, 5}, {10, 10}, {0, 0}},
};

void expect_face(const FaceMoments& got, const FaceMoments& expected, const std::string& what) {
  EXPECT_NEAR(got.mx, expected.mx, 1e-12) << what << " Mx";
  EXPECT_NEAR(got.my, expected.my, 1e-12) << what << " My";
  EXPECT_FALSE(std::signbit(got.mx) && got.mx == 0) << what << " Mx is -0";
  EXPECT_FALSE(std::signbit(got.my) && got.my == 0) << what << " My is -0";
}

TEST(WoodArmer, ReferenceTableBothDirectionsAndTwistSigns) {
  for (const WoodArmerRow& row : wood_armer_rows) {
    for (const double twist_sign : {1.0, -1.0}) {
      const Moments m{row.m.mx, row.m.my, twist_sign * row.m.mxy};
      const std::string what = "(" + std::to_string(m.mx) + ", " + std::to_string(m.my) + ", " +
                               std::to_string(m.mxy) + ")";
      const DesignMoments down = design_moments(m, WDirection::down);
      expect_face(down.bottom, row.stretched, what + " +w down, bottom");
      expect_face(down.top, row.other, what + " +w down, top");
      // +w up: the faces swap, and sagging is now the negative moment.
      const DesignMoments up = design_moments(m, WDirection::up);
      expect_face(up.bottom, {-row.other.mx + 0.0, -row.other.my + 0.0}, what + " +w up, bottom");
      expect_face(up.top, {-row.stretched.mx + 0.0, -row.stretched.my + 0.0}, what + " +w up, top");
    }
  }
}

// Bottom steel ≥ 0 and top ≤ 0, and each face resists the normal moment of every section.
TEST(WoodArmer, SafeInEveryDirectionOnRandomMoments) {
  std::mt19937 random(20260101);
  std::uniform_real_distribution<double> moment(-50, 50);
  for (int trial = 0; trial < 2000; ++trial) {
    const Moments m{moment(random), moment(random), trial % 7 == 0 ? 0.0 : moment(random)};
    const DesignMoments d = design_moments(m, WDirection::down);
    ASSERT_GE(d.bottom.mx, 0);
    ASSERT_GE(d.bottom.my, 0);
    ASSERT_LE(d.top.mx, 0);
    ASSERT_LE(d.top.my, 0);
    for (int k = 0; k < 720; ++k) {
      const double alpha = k * std::numbers::pi / 720;
      const double c2 = std::cos(alpha) * std::cos(alpha);
      const double s2 = std::sin(alpha) * std::sin(alpha);
      const double demand = normal_moment(m, alpha);
      ASSERT_GE(d.bottom.mx * c2 + d.bottom.my * s2, demand - 1e-10) << trial << " " << k;
      ASSERT_LE(d.top.mx * c2 + d.top.my * s2, demand + 1e-10) << trial << " " << k;
    }
  }
}

struct PrincipalRow {
  const char* what;
  Moments m;
  PrincipalMoments expected;
};

TEST(PrincipalMoments, ValuesAndAngleInTheProgramsTwistSign) {
  const PrincipalRow rows[] = {
      // A held-down corner loaded along +w: the −w face is stretched along the diagonal.
      {"twist (0, 0, -5)", {0, 0, -5}, {5, -5, -45}},
      {"twist (0, 0, 5)", {0, 0, 5}, {5, -5, 45}},
      {"equal moments", {3, 3, 0}, {3, 3, 0}},
      {"My larger", {1, 5, 0}, {5, 1, 90}},
      {"My larger, twist -0", {1, 5, -0.0}, {5, 1, 90}},
      {"general",
       {10, -8, 6},
       {1 + std::sqrt(117.0), 1 - std::sqrt(117.0),
        std::atan2(12.0, 18.0) / 2 * 180 / std::numbers::pi}},
  };
  for (const PrincipalRow& row : rows) {
    const PrincipalMoments p = principal_moments(row.m);
    EXPECT_NEAR(p.m1, row.expected.m1, 1e-12) << row.what;
    EXPECT_NEAR(p.m2, row.expected.m2, 1e-12) << row.what;
    EXPECT_NEAR(p.angle, row.expected.angle, 1e-12) << row.what;
    // M1 is the normal moment at its angle, M2 ninety degrees on.
    const double phi = p.angle * std::numbers::pi / 180;
    EXPECT_NEAR(normal_moment(row.m, phi), p.m1, 1e-12) << row.what;
    EXPECT_NEAR(normal_moment(row.m, phi + std::numbers::pi / 2), p.m2, 1e-12) << row.what;
  }
}

}  // namespace
}  // namespace lajefem
