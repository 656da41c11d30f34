#include "postprocessing/section_totals.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "model/equation_numbering.hpp"
#include "postprocessing/number_text.hpp"
#include "results/load_vectors.hpp"
#include "sparse/sparse_assembly.hpp"

namespace lajefem {

namespace {

constexpr int distributed_load = 2;

// A place in the cut's own coordinates: across the cut (x for x = C) and along it.
struct CutPlace {
  double across = 0;
  double along = 0;
};

CutPlace cut_place(CutAxis axis, const PlateNode& node) {
  return axis == CutAxis::x ? CutPlace{node.x, node.y} : CutPlace{node.y, node.x};
}

// Nodes within this distance of the cut lie on it: the coordinates are single precision.
double cut_tolerance(const PlateModel& model) {
  double extent = 1;
  for (const PlateNode& node : model.nodes) {
    extent = std::max({extent, std::fabs(double{node.x}), std::fabs(double{node.y})});
  }
  return 1e-6 * extent;
}

// How an element lies against the cut.
struct ElementSide {
  int below = 0;  // corners before the cut
  int on = 0;     // corners on it
  int above = 0;  // corners beyond it
};

ElementSide element_side(const PlateModel& model, const PlateElement& element, CutAxis axis,
                         double at, double tolerance) {
  ElementSide side;
  for (const int n : element.nodes) {
    const double across = cut_place(axis, model.nodes[n - 1]).across;
    if (across < at - tolerance) {
      ++side.below;
    } else if (across > at + tolerance) {
      ++side.above;
    } else {
      ++side.on;
    }
  }
  return side;
}

double centre_along(const PlateModel& model, const PlateElement& element, CutAxis axis) {
  double sum = 0;
  for (const int n : element.nodes) {
    sum += cut_place(axis, model.nodes[n - 1]).along;
  }
  return sum / 4;
}

// A strip holds from its start up to, not including, its end: strips that tile a cut count each
// element once.
bool within(double value, const StripLimits& strip) {
  return value >= strip.from && value < strip.to;
}

// K_e·u_e − f_e of one element in one load case, element freedom r at [r − 1].
std::array<double, element_dofs> element_nodal_forces(const PlateModel& model,
                                                      const MaterialRigidity& material,
                                                      const PlateElement& element,
                                                      const LoadCaseResults& results,
                                                      const LoadCase& loads) {
  const ElementMatrices matrices = sparse::element_matrices(model, material, element);
  CornerValues x;
  CornerValues y;
  sparse::corner_coordinates(model, element, x, y);
  const LoadIntegrals integrals = element_load_integrals(sampling_tables(), x, y);
  std::array<double, element_dofs> u{};
  for (int k = 0; k < 4; ++k) {
    const NodeDisplacement& d = results.nodes[element.nodes[k] - 1];
    u[3 * k] = d.w;
    u[3 * k + 1] = d.theta_x;
    u[3 * k + 2] = d.theta_y;
  }
  std::array<double, element_dofs> forces{};
  for (int r = 1; r <= element_dofs; ++r) {
    for (int j = 1; j <= element_dofs; ++j) {
      forces[r - 1] += matrices.stiffness(r, j) * u[j - 1];
    }
    for (const PlateLoad& load : loads.loads) {
      if (load.type == distributed_load) {
        forces[r - 1] -= load.values[(r - 1) % 3] * integrals(r);
      }
    }
  }
  return forces;
}

// The totals on a grid line from the nodal forces of the elements on one side. Across x = C the
// boundary terms of the virtual work are −Mx·δθx, −Mxy·δθy and +Qx·δw on the lower side (the
// curvatures being −∂θ/∂x), so the moment is minus the θx forces; across y = C θx and θy swap.
SectionTotal grid_line_total(const PlateModel& model, const LoadCaseResults& results,
                             const LoadCase& loads, CutAxis axis, double at,
                             const std::optional<StripLimits>& strip, double tolerance) {
  bool lower = false;
  for (const PlateElement& element : model.elements) {
    const ElementSide side = element_side(model, element, axis, at, tolerance);
    lower = lower || (side.on >= 2 && side.below > 0);
  }
  const MaterialRigidity material = sparse::model_material(model);
  const double sign = lower ? 1 : -1;
  const int bending = axis == CutAxis::x ? freedom_theta_x : freedom_theta_y;
  const int twisting = axis == CutAxis::x ? freedom_theta_y : freedom_theta_x;
  SectionTotal total;
  total.grid_line = true;
  total.strip = {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  for (const PlateElement& element : model.elements) {
    const ElementSide side = element_side(model, element, axis, at, tolerance);
    const bool counted = side.on >= 2 && (lower ? side.below > 0 : side.above > 0);
    if (!counted || (strip && !within(centre_along(model, element, axis), *strip))) {
      continue;
    }
    const auto forces = element_nodal_forces(model, material, element, results, loads);
    for (int k = 0; k < 4; ++k) {
      const CutPlace place = cut_place(axis, model.nodes[element.nodes[k] - 1]);
      if (std::fabs(place.across - at) > tolerance) {
        continue;
      }
      total.moment -= sign * forces[element_freedom(k + 1, bending) - 1];
      total.twisting -= sign * forces[element_freedom(k + 1, twisting) - 1];
      total.shear += sign * forces[element_freedom(k + 1, freedom_w) - 1];
      total.strip.from = std::min(total.strip.from, place.along);
      total.strip.to = std::max(total.strip.to, place.along);
    }
  }
  return total;
}

// The natural coordinates (ξ, η) of a point of the element, by Newton's method on its bilinear
// map (exact in one step on parallelograms).
std::array<double, 2> natural_coordinates(const CornerValues& x, const CornerValues& y, double px,
                                          double py) {
  const double corner_xi[4] = {-1, 1, 1, -1};
  const double corner_eta[4] = {-1, -1, 1, 1};
  double xi = 0;
  double eta = 0;
  for (int iteration = 0; iteration < 20; ++iteration) {
    double fx = -px, fy = -py, a = 0, b = 0, c = 0, d = 0;
    for (int k = 0; k < 4; ++k) {
      const double n = (1 + corner_xi[k] * xi) * (1 + corner_eta[k] * eta) / 4;
      const double dxi = corner_xi[k] * (1 + corner_eta[k] * eta) / 4;
      const double deta = corner_eta[k] * (1 + corner_xi[k] * xi) / 4;
      fx += n * x(k + 1);
      fy += n * y(k + 1);
      a += dxi * x(k + 1);
      b += deta * x(k + 1);
      c += dxi * y(k + 1);
      d += deta * y(k + 1);
    }
    const double det = a * d - b * c;
    const double step_xi = (d * fx - b * fy) / det;
    const double step_eta = (a * fy - c * fx) / det;
    xi -= step_xi;
    eta -= step_eta;
    if (std::fabs(step_xi) + std::fabs(step_eta) < 1e-14) {
      break;
    }
  }
  return {xi, eta};
}

// The bilinear field through the four Gauss-point values at (ξ, η): point p at (∓g, ∓g).
double gauss_point_field(const std::array<double, 4>& values, double xi, double eta) {
  const double g = 1.0 / std::sqrt(3.0);
  const double point_xi[4] = {-g, g, g, -g};
  const double point_eta[4] = {-g, -g, g, g};
  double sum = 0;
  for (int p = 0; p < 4; ++p) {
    sum += values[p] * (1 + point_xi[p] * xi / (g * g)) * (1 + point_eta[p] * eta / (g * g)) / 4;
  }
  return sum;
}

// The stretch of the cut inside an element that it crosses: where its sides cross the line.
StripLimits crossed_stretch(const PlateModel& model, const PlateElement& element, CutAxis axis,
                            double at) {
  StripLimits stretch{std::numeric_limits<double>::infinity(),
                      -std::numeric_limits<double>::infinity()};
  for (int k = 0; k < 4; ++k) {
    const CutPlace a = cut_place(axis, model.nodes[element.nodes[k] - 1]);
    const CutPlace b = cut_place(axis, model.nodes[element.nodes[(k + 1) % 4] - 1]);
    if ((a.across - at) * (b.across - at) <= 0 && a.across != b.across) {
      const double t = (at - a.across) / (b.across - a.across);
      const double along = a.along + t * (b.along - a.along);
      stretch.from = std::min(stretch.from, along);
      stretch.to = std::max(stretch.to, along);
    }
  }
  return stretch;
}

// The uniform load of a case in +w, kN/m²: the sum of its distributed loads.
double uniform_load(const LoadCase& loads) {
  double q = 0;
  for (const PlateLoad& load : loads.loads) {
    if (load.type == distributed_load) {
      q += load.values[0];
    }
  }
  return q;
}

// The moment at a distance d across the cut from the middle of an element that is 2·half wide
// there. The element's moment is constant across it (the mean of the values at its two sides), so
// the moment at the cut adds the slope the shear force gives and the parabola of the load:
// M = M_e + Q·d + (−q)·(d² − half²)/2, since ∂M/∂x = Q and ∂Q/∂x = −q; the shear force there is
// Q − q·d. On a centre line d = 0
// and M = M_e − q·half²/2; over the whole width this is the statics of the load between the cut
// and the element's sides.
double moment_at_cut(double element_moment, double shear, double q, double d, double half) {
  return element_moment + shear * d - q * (d * d - half * half) / 2;
}

// The totals through element interiors: each crossed element's moments (the bilinear field
// through its Gauss-point values, on the element's middle line across the cut) and centre shear
// force, carried to the cut by moment_at_cut and the load, integrated over its stretch of the cut
// (clipped to the strip) by the 4-point Gauss rule.
SectionTotal interior_total(const PlateModel& model, const LoadCaseResults& results,
                            const LoadCase& loads, CutAxis axis, double at,
                            const std::optional<StripLimits>& strip, double tolerance) {
  const double rule_points[4] = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563,
                                 0.8611363115940526};
  const double rule_weights[4] = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461,
                                  0.3478548451374538};
  const CutAxis across_axis = axis == CutAxis::x ? CutAxis::y : CutAxis::x;
  const double q = uniform_load(loads);
  SectionTotal total;
  total.strip = {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  for (std::size_t e = 0; e < model.elements.size(); ++e) {
    const PlateElement& element = model.elements[e];
    const ElementSide side = element_side(model, element, axis, at, tolerance);
    if (side.below == 0 || side.above == 0) {
      continue;
    }
    StripLimits stretch = crossed_stretch(model, element, axis, at);
    if (strip) {
      stretch = {std::max(stretch.from, strip->from), std::min(stretch.to, strip->to)};
    }
    if (stretch.to <= stretch.from) {
      continue;
    }
    total.strip = {std::min(total.strip.from, stretch.from), std::max(total.strip.to, stretch.to)};
    const ElementResultants& values = results.elements[e];
    std::array<double, 4> bending{};
    std::array<double, 4> twisting{};
    for (int p = 0; p < 4; ++p) {
      bending[p] = axis == CutAxis::x ? values.points[p].mx : values.points[p].my;
      twisting[p] = values.points[p].mxy;
    }
    const double shear = axis == CutAxis::x ? values.points[0].qx : values.points[0].qy;
    CornerValues x;
    CornerValues y;
    sparse::corner_coordinates(model, element, x, y);
    const double half = (stretch.to - stretch.from) / 2;
    for (int i = 0; i < 4; ++i) {
      const double along = stretch.from + half * (1 + rule_points[i]);
      const StripLimits width = crossed_stretch(model, element, across_axis, along);
      const double middle = (width.from + width.to) / 2;
      const auto natural = axis == CutAxis::x ? natural_coordinates(x, y, middle, along)
                                              : natural_coordinates(x, y, along, middle);
      const double weight = half * rule_weights[i];
      const double element_moment = gauss_point_field(bending, natural[0], natural[1]);
      total.moment += weight * moment_at_cut(element_moment, shear, q, at - middle,
                                             (width.to - width.from) / 2);
      total.twisting += weight * gauss_point_field(twisting, natural[0], natural[1]);
      total.shear += weight * (shear - q * (at - middle));
    }
  }
  return total;
}

// Whether the cut runs along element sides (true), through elements (false); SectionError when
// it misses the plate or does both.
bool on_grid_line(const PlateModel& model, CutAxis axis, double at, double tolerance) {
  bool along_sides = false;
  bool through = false;
  for (const PlateElement& element : model.elements) {
    const ElementSide side = element_side(model, element, axis, at, tolerance);
    along_sides = along_sides || side.on >= 2;
    through = through || (side.below > 0 && side.above > 0);
  }
  const std::string name = cut_name(axis, at);
  if (along_sides && through) {
    throw SectionError{"the cut " + name +
                       " runs along element sides in part and through elements in part: "
                       "choose a line that does one or the other"};
  }
  if (!along_sides && !through) {
    throw SectionError{"the cut " + name + " does not cross the plate"};
  }
  return along_sides;
}

}  // namespace

std::string cut_name(CutAxis axis, double at) {
  return std::string(axis == CutAxis::x ? "x" : "y") + " = " + short_text(at, 6);
}

std::vector<SectionTotal> section_totals(const PlateModel& model, const AnalysisResults& results,
                                         const std::vector<SectionCut>& cuts) {
  const double tolerance = cut_tolerance(model);
  std::vector<SectionTotal> totals;
  for (const SectionCut& cut : cuts) {
    const bool grid = on_grid_line(model, cut.axis, cut.at, tolerance);
    std::vector<std::optional<StripLimits>> strips(cut.strips.begin(), cut.strips.end());
    if (strips.empty()) {
      strips.push_back(std::nullopt);
    }
    for (const std::optional<StripLimits>& strip : strips) {
      for (std::size_t c = 0; c < results.cases.size(); ++c) {
        SectionTotal total = grid ? grid_line_total(model, results.cases[c], model.load_cases[c],
                                                    cut.axis, cut.at, strip, tolerance)
                                  : interior_total(model, results.cases[c], model.load_cases[c],
                                                   cut.axis, cut.at, strip, tolerance);
        if (total.strip.to < total.strip.from) {
          const std::string part = strip ? "the strip " + short_text(strip->from, 6) + ":" +
                                               short_text(strip->to, 6) + " of the cut "
                                         : "the cut ";
          throw SectionError{part + cut_name(cut.axis, cut.at) + " holds no element"};
        }
        total.axis = cut.axis;
        total.at = cut.at;
        total.load_case = static_cast<int>(c) + 1;
        totals.push_back(total);
      }
    }
  }
  return totals;
}

}  // namespace lajefem
