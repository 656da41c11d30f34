#include "geometry/plane_geometry.hpp"

namespace lajefem {

double cross(PlanePoint a, PlanePoint b, PlanePoint c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

PlanePolygon clipped_left_of(const PlanePolygon& subject, PlanePoint a, PlanePoint b) {
  PlanePolygon kept;
  for (std::size_t k = 0; k < subject.size(); ++k) {
    const PlanePoint& p = subject[k];
    const PlanePoint& q = subject[(k + 1) % subject.size()];
    const double side_p = cross(a, b, p);
    const double side_q = cross(a, b, q);
    if (side_p >= 0) {
      kept.push_back(p);
    }
    if ((side_p >= 0) != (side_q >= 0)) {
      const double t = side_p / (side_p - side_q);
      kept.push_back({p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)});
    }
  }
  return kept;
}

double common_area(const PlanePolygon& first, const PlanePolygon& second) {
  PlanePolygon common = first;
  for (std::size_t k = 0; k < second.size() && !common.empty(); ++k) {
    common = clipped_left_of(common, second[k], second[(k + 1) % second.size()]);
  }
  return common.size() < 3 ? 0.0 : polygon_area(common);
}

}  // namespace lajefem
