#include "postprocessing/reinforcement.hpp"

#include <algorithm>
#include <cmath>

#include "postprocessing/number_text.hpp"

namespace lajefem {

namespace {

constexpr double kn_per_m2_per_mpa = 1000;
constexpr double cm2_per_m2 = 1e4;
constexpr double largest_fck = 50;            // MPa: the rectangular block with λ 0.8, η 1
constexpr double largest_lever_share = 0.95;  // z ≤ 0.95·d

std::string named(const char* name, double value) {
  return std::string(name) + "=" + short_text(value, 6);
}

// Mean tensile strength of the concrete, MPa: 0.30·fck^(2/3) (fck ≤ 50 MPa).
double mean_tensile_strength(double fck) {
  return 0.30 * std::cbrt(fck * fck);
}

}  // namespace

std::string reinforcement_parameter_fault(const ReinforcementParameters& p, double thickness) {
  for (const auto& [name, value] :
       {std::pair{"fck", p.fck}, std::pair{"fyk", p.fyk}, std::pair{"bar", p.bar},
        std::pair{"gamma_c", p.gamma_c}, std::pair{"gamma_s", p.gamma_s},
        std::pair{"alpha_cc", p.alpha_cc}}) {
    if (!(value > 0) || !std::isfinite(value)) {
      return named(name, value) + " must be a positive number";
    }
  }
  if (!(p.cover >= 0) || !std::isfinite(p.cover)) {
    return named("cover", p.cover) + " must be zero or more";
  }
  if (p.fck > largest_fck) {
    return named("fck", p.fck) +
           " MPa lies above 50 MPa, where the rectangular stress block with lambda 0.8 and "
           "eta 1 no longer holds";
  }
  if (p.gamma_c < 1 || p.gamma_s < 1) {
    return named(p.gamma_c < 1 ? "gamma_c" : "gamma_s", std::min(p.gamma_c, p.gamma_s)) +
           " is below 1: a partial factor does not raise a strength";
  }
  if (p.alpha_cc > 1) {
    return named("alpha_cc", p.alpha_cc) + " lies above 1";
  }
  if (effective_depths(p, thickness).y <= 0) {
    return named("cover", p.cover) + " and " + named("bar", p.bar) +
           " leave the inner bars no effective depth in a slab " + short_text(thickness, 6) +
           " m thick (thickness - cover - 1.5 bar must be positive)";
  }
  return "";
}

EffectiveDepths effective_depths(const ReinforcementParameters& p, double thickness) {
  const double x = thickness - p.cover - p.bar / 2;
  return {x, x - p.bar};
}

LayerDesign layer_design(double moment, double depth, const ReinforcementParameters& p) {
  const double f_cd = p.alpha_cc * p.fck / p.gamma_c * kn_per_m2_per_mpa;
  const double f_yd = p.fyk / p.gamma_s * kn_per_m2_per_mpa;
  LayerDesign design;
  design.minimum =
      std::max(0.26 * mean_tensile_strength(p.fck) / p.fyk, 0.0013) * depth * cm2_per_m2;
  design.mu = moment / (depth * depth * f_cd);
  if (design.mu > largest_relative_moment) {
    design.too_thin = true;
    return design;
  }
  design.lever_arm =
      std::min(depth * (1 + std::sqrt(1 - 2 * design.mu)) / 2, largest_lever_share * depth);
  design.required = moment / (design.lever_arm * f_yd) * cm2_per_m2;
  design.provide = std::max(design.required, design.minimum);
  return design;
}

}  // namespace lajefem
