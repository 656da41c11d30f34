// Totals across a straight cut x = C or y = C of the plate: the bending moment, the twisting
// moment and the shear force carried across it, over the whole cut or a strip of it.
//
// On a grid line (the cut runs along element sides) the totals are the element nodal forces
// K_e·u_e − f_e of the elements on the lower side of the cut (x < C, y < C; on the plate's lower
// edge those of the upper side) at the nodes on the cut: the same forces that balance the loads
// and reactions, so that the totals satisfy statics exactly on any mesh. A strip counts the
// elements whose centre lies within it (from its start up to, not including, its end); its
// limits are those elements' extent along the cut.
// Through element interiors the totals are the elements' own moments (bilinear through the
// Gauss-point values) and centre shear forces integrated along the cut, clipped to the strip;
// the moment adds, across each element, the slope of its shear force and the parabola of the
// uniform load (the element's moment is its mean across it, not its value at the cut).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis.hpp"
#include "model/plate_model.hpp"

namespace lajefem {

enum class CutAxis { x, y };  // x: the line x = C, moments Mx, Mxy and shear Qx across it

struct StripLimits {
  double from = 0;  // m, along the cut
  double to = 0;
};

struct SectionCut {
  CutAxis axis = CutAxis::x;
  double at = 0;                    // C, m
  std::vector<StripLimits> strips;  // none: the whole length of the cut
};

struct SectionTotal {
  CutAxis axis = CutAxis::x;
  double at = 0;
  StripLimits strip;       // the extent the totals cover
  int load_case = 1;       // 1-based
  bool grid_line = false;  // from nodal forces, else from element values
  double moment = 0;       // kN·m: ∫Mx dy on x = C, ∫My dx on y = C
  double twisting = 0;     // kN·m: ∫Mxy along the cut
  double shear = 0;        // kN: ∫Qx dy on x = C, ∫Qy dx on y = C
};

// The totals of every cut, strip and load case, in that order. SectionError for a cut that
// misses the plate, runs along element sides in part only, or whose strip holds no element.
std::vector<SectionTotal> section_totals(const PlateModel& model, const AnalysisResults& results,
                                         const std::vector<SectionCut>& cuts);

// "x = 6" or "y = 4.5".
std::string cut_name(CutAxis axis, double at);

struct SectionError {
  std::string message;
};

}  // namespace lajefem
