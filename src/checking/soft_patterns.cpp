#include "checking/soft_patterns.hpp"

#include <algorithm>
#include <cmath>

#include "sparse/parallel_tasks.hpp"

namespace lajefem {

namespace {

using Eigen::MatrixXd;
using Eigen::VectorXd;

double element_area(const PlateModel& model, const PlateElement& element) {
  double twice = 0;
  for (int a = 0; a < 4; ++a) {
    const PlateNode& p = model.nodes[element.nodes[a] - 1];
    const PlateNode& q = model.nodes[element.nodes[(a + 1) % 4] - 1];
    twice += double{p.x} * q.y - double{q.x} * p.y;
  }
  return std::fabs(twice) / 2;
}

// The element's pattern in corner values w: what is left of them beyond the plane that fits them
// best, as the amplitude c of c·(+1, −1, +1, −1) on a parallelogram, where it is
// (w1 − w2 + w3 − w4)/4. On a distorted element a plane also alternates at the corners; the fit
// keeps a tilted or moved plate from reading as a pattern.
double pattern_amplitude(const PlateModel& model, const PlateElement& element,
                         const std::vector<double>& w) {
  Eigen::Matrix<double, 4, 3> plane;
  Eigen::Vector4d values;
  const PlateNode& origin = model.nodes[element.nodes[0] - 1];
  for (int a = 0; a < 4; ++a) {
    const PlateNode& at = model.nodes[element.nodes[a] - 1];
    plane.row(a) << 1, double{at.x} - origin.x, double{at.y} - origin.y;
    values(a) = w[element.nodes[a]];
  }
  const Eigen::Vector4d rest = values - plane * plane.colPivHouseholderQr().solve(values);
  const double alternating = rest(0) - rest(1) + rest(2) - rest(3);
  return (alternating < 0 ? -rest.norm() : rest.norm()) / 2;
}

// A quarter of each element's area at each of its corners (indexed by node, 1-based).
std::vector<double> tributary_areas(const PlateModel& model, const PlatePart& part) {
  std::vector<double> area(model.nodes.size() + 1, 0.0);
  for (const int e : part.elements) {
    const PlateElement& element = model.elements[e - 1];
    const double quarter = element_area(model, element) / 4;
    for (const int node : element.nodes) {
      area[node] += quarter;
    }
  }
  return area;
}

// The stiffness (kN/m) against the pattern c·(+1, −1, +1, −1) of an element that smooth
// deformation would give it: the corner values are those of the twist w = 4c·x·y/A, which costs
// 16·D·(1 − ν)·c²/A in bending with the rotations following it, or (2/3)·κ·G·t·(hx² + hy²)·c²/A
// in shear with the rotations held (κ = 5/6; hx² + hy² taken as the mean squared diagonal); the
// cheaper way, as two springs in series.
double pattern_stiffness(const PlateModel& model, const PlateElement& element) {
  const double area = element_area(model, element);
  if (!(area > 0)) {
    return 0;
  }
  const double e = double{model.elastic_modulus_gpa} * 1e6;  // kN/m²
  const double t = model.thickness;
  const double nu = model.poisson_ratio;
  const double d = e * t * t * t / (12 * (1 - nu * nu));
  const double g = e / (2 * (1 + nu));
  double diagonals = 0;
  for (int a = 0; a < 2; ++a) {
    const PlateNode& p = model.nodes[element.nodes[a] - 1];
    const PlateNode& q = model.nodes[element.nodes[a + 2] - 1];
    const double dx = double{p.x} - q.x, dy = double{p.y} - q.y;
    diagonals += (dx * dx + dy * dy) / 2;
  }
  const double bending = 32 * d * (1 - nu) / area;
  const double shear = 4.0 / 3.0 * (5.0 / 6.0) * g * t * diagonals / area;
  return bending > 0 && shear > 0 ? 1 / (1 / bending + 1 / shear) : 0.0;
}

// The energy (kN·m) that smooth deformation with the deflection's element patterns would need.
double pattern_energy(const PlateModel& model, const PlatePart& part,
                      const std::vector<double>& w) {
  double energy = 0;
  for (const int e : part.elements) {
    const PlateElement& element = model.elements[e - 1];
    const double amplitude = pattern_amplitude(model, element, w);
    energy += pattern_stiffness(model, element) * amplitude * amplitude / 2;
  }
  return energy;
}

// The elements with no corner at a nodal load or a support: a concentrated force bends the mesh
// at its node in a way that a coarse mesh can only show as a local alternation.
PlatePart elements_away_from_concentrations(const PlateModel& model, const LoadCase& load_case) {
  std::vector<bool> concentrated(model.nodes.size() + 1, false);
  for (const PlateLoad& load : load_case.loads) {
    if (load.type == 1 && load.node >= 1 && load.node <= static_cast<int>(model.nodes.size())) {
      concentrated[load.node] = true;
    }
  }
  for (const PlateSupport& support : model.supports) {
    concentrated[support.node] = true;
  }
  PlatePart away;
  for (std::size_t e = 0; e < model.elements.size(); ++e) {
    const auto& corners = model.elements[e].nodes;
    if (std::none_of(corners.begin(), corners.end(),
                     [&](int node) { return concentrated[node]; })) {
      away.elements.push_back(static_cast<int>(e) + 1);
    }
  }
  return away;
}

// A uniform pressure of 1 kN/m² on the w rows: the load at each node is its tributary area; with
// w = S·u the scaled system reads (S·K·S)·u = S·f.
VectorXd uniform_pressure(const PlateModel& model, const PlatePart& part,
                          const PartFreedoms& freedoms, const VectorXd& scale,
                          const std::vector<Eigen::Index>& w) {
  const std::vector<double> area = tributary_areas(model, part);
  VectorXd load(static_cast<Eigen::Index>(w.size()));
  for (std::size_t k = 0; k < w.size(); ++k) {
    load(static_cast<Eigen::Index>(k)) = scale(w[k]) * area[freedoms.equations[w[k]] / 3 + 1];
  }
  return load;
}

// The measure of the deflection `u` (scaled, on the w rows) under the load `load`.
std::optional<SoftPattern> measured_pattern(const PlateModel& model, const PlatePart& part,
                                            const PartFreedoms& freedoms, const VectorXd& scale,
                                            const std::vector<Eigen::Index>& w,
                                            const VectorXd& load, const VectorXd& u) {
  std::vector<double> deflection(model.nodes.size() + 1, 0.0);
  for (std::size_t k = 0; k < w.size(); ++k) {
    deflection[freedoms.equations[w[k]] / 3 + 1] = scale(w[k]) * u(static_cast<Eigen::Index>(k));
  }
  const double energy = load.dot(u) / 2;
  if (!(energy > 0)) {
    return std::nullopt;
  }
  const double pattern = pattern_energy(model, part, deflection);
  return SoftPattern{pattern / energy, std::move(deflection)};
}

// The columns from a row's first entry that is not zero to past its last: the terms of a
// quadratic form outside them are zero and leave its sum, taken in column order, as it is.
struct RowSpan {
  std::size_t first = 0;
  std::size_t end = 0;
};

std::vector<RowSpan> nonzero_spans(const std::vector<double>& k, std::size_t n) {
  std::vector<RowSpan> spans(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double* row = k.data() + i * n;
    std::size_t first = 0;
    while (first < n && row[first] == 0) {
      ++first;
    }
    std::size_t end = n;
    while (end > first && row[end - 1] == 0) {
      --end;
    }
    spans[i] = {first, end};
  }
  return spans;
}

// The largest measure over the load cases, each on its own core, with `twice_energy(c, u)` =
// uᵀ·K·u for case c.
template <typename TwiceEnergy>
double largest_case_ratio(const PlateModel& model, const AnalysisResults& results,
                          const TwiceEnergy& twice_energy) {
  const std::size_t n = 3 * model.nodes.size();
  std::vector<double> ratios(results.cases.size(), 0.0);
  run_in_parallel(results.cases.size(), [&](std::size_t c) {
    const LoadCaseResults& load_case = results.cases[c];
    const PlatePart away = elements_away_from_concentrations(model, model.load_cases[c]);
    std::vector<double> u(n), w(model.nodes.size() + 1, 0.0);
    for (std::size_t node = 0; node < load_case.nodes.size(); ++node) {
      u[3 * node] = load_case.nodes[node].w;
      u[3 * node + 1] = load_case.nodes[node].theta_x;
      u[3 * node + 2] = load_case.nodes[node].theta_y;
      w[node + 1] = load_case.nodes[node].w;
    }
    const double twice = twice_energy(c, u);
    if (twice > 0) {
      ratios[c] = 2 * pattern_energy(model, away, w) / twice;
    }
  });
  return ratios.empty() ? 0.0 : *std::max_element(ratios.begin(), ratios.end());
}

}  // namespace

std::optional<SoftPattern> soft_pattern(const PlateModel& model, const PlatePart& part,
                                        const PartFreedoms& freedoms,
                                        const CondensedStiffness& condensed,
                                        const VectorXd& scale) {
  if (condensed.w.size() < 4 || !condensed.formed) {
    return std::nullopt;
  }
  const Eigen::LDLT<MatrixXd> factor(condensed.matrix);
  if (factor.info() != Eigen::Success) {
    return std::nullopt;
  }
  const VectorXd load = uniform_pressure(model, part, freedoms, scale, condensed.w);
  return measured_pattern(model, part, freedoms, scale, condensed.w, load, factor.solve(load));
}

// The full scaled system with the load on the w rows alone gives the same w as the condensed one.
std::optional<SoftPattern> soft_pattern(const PlateModel& model, const PlatePart& part,
                                        const PartFreedoms& freedoms, const UpperMatrix& a,
                                        const VectorXd& scale,
                                        const sparse::CholeskyFactor& factor) {
  const std::vector<Eigen::Index> w = rows_where(freedoms, true);
  if (w.size() < 4) {
    return std::nullopt;
  }
  const VectorXd load = uniform_pressure(model, part, freedoms, scale, w);
  std::vector<double> full(freedoms.equations.size(), 0.0);
  for (std::size_t k = 0; k < w.size(); ++k) {
    full[static_cast<std::size_t>(w[k])] = load(static_cast<Eigen::Index>(k));
  }
  std::vector<double> solved = factor.solve(full, 1);
  // One step of refinement against the residual, for the penalty springs' conditioning.
  const VectorXd residual =
      VectorXd::Map(full.data(), static_cast<Eigen::Index>(full.size())) -
      symmetric_product(a, VectorXd::Map(solved.data(), static_cast<Eigen::Index>(solved.size())));
  const std::vector<double> correction =
      factor.solve(std::vector<double>(residual.begin(), residual.end()), 1);
  for (std::size_t k = 0; k < solved.size(); ++k) {
    solved[k] += correction[k];
  }
  VectorXd u(static_cast<Eigen::Index>(w.size()));
  for (std::size_t k = 0; k < w.size(); ++k) {
    u(static_cast<Eigen::Index>(k)) = solved[static_cast<std::size_t>(w[k])];
  }
  return measured_pattern(model, part, freedoms, scale, w, load, u);
}

double solution_pattern_ratio(const PlateModel& model, const std::vector<double>& stiffness,
                              const AnalysisResults& results) {
  const std::size_t n = 3 * model.nodes.size();
  const std::vector<RowSpan> spans = nonzero_spans(stiffness, n);
  return largest_case_ratio(model, results, [&](std::size_t, const std::vector<double>& u) {
    double twice_energy = 0;
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = spans[i].first; j < spans[i].end; ++j) {
        twice_energy += u[i] * stiffness[i * n + j] * u[j];
      }
    }
    return twice_energy;
  });
}

double solution_pattern_ratio(const PlateModel& model, const UpperMatrix& stiffness,
                              const AnalysisResults& results) {
  return largest_case_ratio(model, results, [&](std::size_t, const std::vector<double>& u) {
    return quadratic_form(stiffness, VectorXd::Map(u.data(), static_cast<Eigen::Index>(u.size())));
  });
}

double solution_pattern_ratio(const PlateModel& model, const AnalysisResults& results) {
  return largest_case_ratio(model, results, [&](std::size_t c, const std::vector<double>&) {
    return 2 * results.cases[c].stored_energy.value_or(0.0);
  });
}

}  // namespace lajefem
