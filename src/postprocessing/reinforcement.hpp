// Bar areas per metre width of a slab from its Wood–Armer design moments: bending design of a
// rectangular section 1 m wide with the rectangular stress block (fck ≤ 50 MPa, λ = 0.8, η = 1)
// and the minimum area of tension reinforcement.
#pragma once

#include <string>

namespace lajefem {

// Concrete and steel, cover and bar size, as the engineer gives them.
struct ReinforcementParameters {
  double fck = 0;         // MPa, characteristic cylinder strength, at most 50
  double fyk = 0;         // MPa, characteristic yield strength of the bars
  double cover = 0;       // m, concrete cover to the outer bars of either face
  double bar = 0.012;     // m, bar diameter of both layers
  double gamma_c = 1.5;   // partial factor of concrete
  double gamma_s = 1.15;  // partial factor of steel
  double alpha_cc = 1.0;  // long-term factor on the concrete strength
};

// Why the parameters lie outside the method's range for a slab `thickness` (m) thick, naming
// the value; empty when they do not. fck above 50 MPa, a value ≤ 0 (the cover: < 0), a partial
// factor below 1, αcc above 1, or a cover and bars that leave the inner layer no depth.
std::string reinforcement_parameter_fault(const ReinforcementParameters& parameters,
                                          double thickness);

// Effective depths, m: the x bars lie outside the y bars on both faces.
struct EffectiveDepths {
  double x = 0;  // t − cover − bar/2
  double y = 0;  // d_x − bar
};
EffectiveDepths effective_depths(const ReinforcementParameters& parameters, double thickness);

// The design of one layer of bars for a moment m ≥ 0 (kN·m/m) at effective depth d (m).
struct LayerDesign {
  double mu = 0;          // m/(d²·f_cd), the relative moment
  double lever_arm = 0;   // z, m: d·(1 + √(1 − 2μ))/2, at most 0.95·d; 0 when too thin
  double required = 0;    // cm²/m: m/(z·f_yd); 0 when too thin
  double minimum = 0;     // cm²/m: max(0.26·f_ctm/f_yk, 0.0013)·d
  double provide = 0;     // cm²/m: the greater of required and minimum; 0 when too thin
  bool too_thin = false;  // μ > 0.295: the neutral axis lies deeper than 0.45·d
};

// (m 40, d 0.164, fck 30, fyk 500) -> μ 0.07436, z 0.1558 (0.95·d), 5.905 cm²/m, minimum 2.470.
LayerDesign layer_design(double moment, double depth, const ReinforcementParameters& parameters);

// The largest relative moment designed with tension bars alone.
constexpr double largest_relative_moment = 0.295;

}  // namespace lajefem
