#include "postprocessing/nodal_values.hpp"

#include <cmath>

namespace lajefem {

namespace {

// Entries of the extrapolation matrix: a on the diagonal (the point next to the corner), b for
// the two neighbouring points, c for the opposite one.
const double extrapolation_a = 1 + std::sqrt(3.0) / 2;
const double extrapolation_b = -0.5;
const double extrapolation_c = 1 - std::sqrt(3.0) / 2;

// Weight of Gauss point p in corner k: points p and k are neighbours when they differ by 1 or 3.
double extrapolation_weight(int corner, int point) {
  const int apart = (corner - point + 4) % 4;
  return apart == 0 ? extrapolation_a : apart == 2 ? extrapolation_c : extrapolation_b;
}

// The three moments of Gauss point p.
Moments point_moments(const PointResultants& point) {
  return {point.mx, point.my, point.mxy};
}

// Each moment component of the four Gauss points extrapolated to the corners.
std::array<Moments, 4> corner_moments(const ElementResultants& element) {
  std::array<double, 4> mx{};
  std::array<double, 4> my{};
  std::array<double, 4> mxy{};
  for (int p = 0; p < 4; ++p) {
    const Moments m = point_moments(element.points[p]);
    mx[p] = m.mx;
    my[p] = m.my;
    mxy[p] = m.mxy;
  }
  mx = extrapolate_to_corners(mx);
  my = extrapolate_to_corners(my);
  mxy = extrapolate_to_corners(mxy);
  std::array<Moments, 4> corners{};
  for (int k = 0; k < 4; ++k) {
    corners[k] = {mx[k], my[k], mxy[k]};
  }
  return corners;
}

void add_to(Resultants& sum, const Moments& m, double qx, double qy) {
  sum.moments.mx += m.mx;
  sum.moments.my += m.my;
  sum.moments.mxy += m.mxy;
  sum.qx += qx;
  sum.qy += qy;
}

Resultants divided(const Resultants& sum, int count) {
  const double n = count;
  return {{sum.moments.mx / n, sum.moments.my / n, sum.moments.mxy / n}, sum.qx / n, sum.qy / n};
}

const PlateNode& corner_node(const PlateModel& model, const PlateElement& element, int k) {
  return model.nodes[element.nodes[k] - 1];
}

}  // namespace

std::array<double, 4> extrapolate_to_corners(const std::array<double, 4>& gauss) {
  std::array<double, 4> corners{};
  for (int k = 0; k < 4; ++k) {
    for (int p = 0; p < 4; ++p) {
      corners[k] += extrapolation_weight(k, p) * gauss[p];
    }
  }
  return corners;
}

Resultants centre_resultants(const ElementResultants& element) {
  Resultants centre;
  for (const PointResultants& point : element.points) {
    add_to(centre, point_moments(point), 0.0, 0.0);
  }
  centre = divided(centre, 4);
  centre.qx = element.points[0].qx;
  centre.qy = element.points[0].qy;
  return centre;
}

std::vector<Resultants> nodal_resultants(const PlateModel& model, const LoadCaseResults& results) {
  std::vector<Resultants> sums(model.nodes.size());
  std::vector<int> counts(model.nodes.size(), 0);
  for (std::size_t e = 0; e < model.elements.size(); ++e) {
    const ElementResultants& element = results.elements[e];
    const std::array<Moments, 4> corners = corner_moments(element);
    for (int k = 0; k < 4; ++k) {
      const int node = model.elements[e].nodes[k] - 1;
      add_to(sums[node], corners[k], element.points[0].qx, element.points[0].qy);
      ++counts[node];
    }
  }
  for (std::size_t n = 0; n < sums.size(); ++n) {
    sums[n] = counts[n] == 0 ? Resultants{} : divided(sums[n], counts[n]);
  }
  return sums;
}

std::array<PlanePoint, 4> gauss_point_positions(const PlateModel& model,
                                                const PlateElement& element) {
  // Shape function of corner k at Gauss point p: the product of (1 ± g)/2 factors, the larger one
  // along each axis where the corner and the point lie on the same side.
  const double g = 1.0 / std::sqrt(3.0);
  const double near = (1 + g) / 2;
  const double far = (1 - g) / 2;
  std::array<PlanePoint, 4> points{};
  for (int p = 0; p < 4; ++p) {
    for (int k = 0; k < 4; ++k) {
      const int apart = (k - p + 4) % 4;
      const double weight = apart == 0 ? near * near : apart == 2 ? far * far : near * far;
      points[p].x += weight * corner_node(model, element, k).x;
      points[p].y += weight * corner_node(model, element, k).y;
    }
  }
  return points;
}

double element_area(const PlateModel& model, const PlateElement& element) {
  double twice = 0;
  for (int k = 0; k < 4; ++k) {
    const PlateNode& a = corner_node(model, element, k);
    const PlateNode& b = corner_node(model, element, (k + 1) % 4);
    twice += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
  }
  return twice / 2;
}

}  // namespace lajefem
