// Nodal moments and shear forces by patch recovery: at each node, quadratic polynomials fitted by
// least squares to the element values of a patch of elements around it, each value placed where
// the element's field is accurate.
//
// Inside the element the curvature along one element direction does not vary along that
// direction (the rotations are bilinear), so it belongs on the element's centre line across that
// direction, not at the Gauss points: κ along ξ is taken at (0, ±1/√3), κ along η at (±1/√3, 0),
// the mixed part and the shear forces at the centre. The fit is made on the curvatures (the
// moments through the inverse of the bending rigidity), so that each direction of a rotated or
// distorted element is placed on its own line; the nodal moments are the rigidity times the
// fitted curvatures.
//
// A node with elements all round it (an interior node) fits its own patch: the elements of its
// elements' nodes (two rings), grown by a ring at a time while the fit is not determined. A node
// on the plate's edge or on a line support takes the mean of the polynomials of the interior nodes
// it shares an element with, evaluated at itself. Patches do not grow through nodes held in w,
// so the moment's kink over an interior support is fitted from each side apart.
#pragma once

#include <memory>
#include <vector>

#include "analysis/analysis.hpp"
#include "model/plate_model.hpp"
#include "postprocessing/nodal_values.hpp"

namespace lajefem {

struct PatchGeometry;

// The patches of a model, chosen and checked once: the sample places and directions depend on the
// mesh alone, so every load case and combination reuses them and only the values change. Built
// for one model and used while that model lives.
class PatchRecovery {
 public:
  explicit PatchRecovery(const PlateModel& model);

  // Per node, the recovered moments and shear forces of `results`. A node that no fitted patch
  // serves (a mesh too narrow for a quadratic) keeps the extrapolated and averaged value of
  // nodal_resultants.
  std::vector<Resultants> recover(const LoadCaseResults& results) const;

 private:
  const PlateModel& model_;
  std::shared_ptr<const PatchGeometry> geometry_;
};

// The recovery of one result set on its own: PatchRecovery(model).recover(results).
std::vector<Resultants> recovered_nodal_resultants(const PlateModel& model,
                                                   const LoadCaseResults& results);

}  // namespace lajefem
