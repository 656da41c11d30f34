// Plane geometry of the plate's plan: points, the signed area of a polygon, the turn of three
// points and the area two convex polygons share. The contour maps and the model check use it.
#pragma once

#include <vector>

namespace lajefem {

struct PlanePoint {
  double x = 0;  // m
  double y = 0;  // m
};

using PlanePolygon = std::vector<PlanePoint>;

// Area enclosed by a polygon, positive when its corners run anticlockwise. Any point type with
// members x and y: the maps' band corners carry a field value besides.
template <typename Point>
double polygon_area(const std::vector<Point>& polygon) {
  double twice = 0;
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const Point& p = polygon[i];
    const Point& q = polygon[(i + 1) % polygon.size()];
    twice += p.x * q.y - q.x * p.y;
  }
  return twice / 2;
}

// (b − a) × (c − a): positive when a, b, c turn anticlockwise.
double cross(PlanePoint a, PlanePoint b, PlanePoint c);

// The part of `subject` on the left of the directed line from a to b (Sutherland–Hodgman).
PlanePolygon clipped_left_of(const PlanePolygon& subject, PlanePoint a, PlanePoint b);

// Area common to two convex anticlockwise polygons.
double common_area(const PlanePolygon& first, const PlanePolygon& second);

}  // namespace lajefem
