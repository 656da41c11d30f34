// Element results carried to the nodes: the Gauss-point moments extrapolated to the element
// corners and averaged over the elements that meet at each node, and the element centre values.
#pragma once

#include <array>
#include <vector>

#include "analysis/analysis.hpp"
#include "geometry/plane_geometry.hpp"
#include "model/plate_model.hpp"
#include "postprocessing/design_moments.hpp"

namespace lajefem {

// The value of the bilinear field through four Gauss-point values (point p nearest corner p) at
// the corners: corner = E·gauss, E the inverse of the shape functions at the Gauss points.
// (1, 2, 3, 4) -> (−0.7320508, 2.2679492, 2.7320508, 5.7320508).
std::array<double, 4> extrapolate_to_corners(const std::array<double, 4>& gauss);

// Moments and shear forces at one place.
struct Resultants {
  Moments moments;  // kN·m/m
  double qx = 0;    // kN/m
  double qy = 0;    // kN/m
};

// The element centre: the mean of the four Gauss-point moments and the centre shear forces, which
// the program holds under Gauss point 1.
Resultants centre_resultants(const ElementResultants& element);

// Per node: the unweighted mean over its elements of their extrapolated corner moments and of
// their centre shear forces (all zero at a node no element uses).
std::vector<Resultants> nodal_resultants(const PlateModel& model, const LoadCaseResults& results);

// The four Gauss points of an element in the plane, point p nearest corner p.
std::array<PlanePoint, 4> gauss_point_positions(const PlateModel& model,
                                                const PlateElement& element);

// Area of an element (the integral of its Jacobian determinant), m², negative when clockwise.
double element_area(const PlateModel& model, const PlateElement& element);

}  // namespace lajefem
