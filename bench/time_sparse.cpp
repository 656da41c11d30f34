// Times the sparse engine on simply supported n × n plates (w and the slope along the edge held,
// 10 m square, 10 mm thick: t/a = 0.001) under four load cases, phase by phase, with the peak
// memory of the process, and sets the centre deflection against Navier's series for a thin plate
// (w = 0.00406235 q a⁴ / D). Usage: time_sparse N [N...], e.g. time_sparse 100 200 316.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <variant>
#include <vector>

#include "bench/bench_clock.hpp"
#include "sparse/cholmod_factor.hpp"
#include "sparse/sparse_analysis.hpp"
#include "sparse/sparse_assembly.hpp"
#include "sparse/stiffness_pattern.hpp"
#include "tests/common/plate_grid.hpp"

namespace {

using namespace lajefem;
using bench::Clock;
using bench::peak_mebibytes;
using bench::seconds_since;

constexpr float side = 10.0f;       // m
constexpr float thickness = 0.01f;  // m

void time_plate(int n) {
  const PlateModel model = test::hard_supported_square(n, side, thickness, 4);
  Clock::time_point start = Clock::now();
  const sparse::StiffnessPattern pattern = sparse::stiffness_pattern(model);
  const double pattern_time = seconds_since(start);
  start = Clock::now();
  const std::vector<double> values = sparse::assembled_stiffness(model, pattern);
  const double assembly_time = seconds_since(start);
  const sparse::CholeskyFactor factor(pattern, values);
  const sparse::FactorCost& cost = factor.cost();
  start = Clock::now();
  const AnalysisOutcome outcome = sparse::analyse_plate_model_sparse(model);
  const double whole_time = seconds_since(start);
  const auto* results = std::get_if<AnalysisResults>(&outcome);
  if (results == nullptr || !factor.outcome().factored) {
    std::printf("%5d: the analysis stopped\n", n);
    return;
  }
  const double e = static_cast<double>(model.elastic_modulus_gpa * 1e6f);
  const double t = thickness;
  const double nu = model.poisson_ratio;
  const double rigidity = e * t * t * t / (12 * (1 - nu * nu));
  const double navier = -0.00406235 * std::pow(side, 4) / rigidity;  // the first case, 1 kN/m²
  const std::size_t centre = static_cast<std::size_t>((n / 2) * (n + 1) + n / 2);
  const double w = results->cases[0].nodes[centre].w;
  std::printf(
      "%5d x %-5d %8zu nodes %9zu entries: pattern %.2f s, assembly %.2f s, ordering %.2f s, "
      "factorisation %.2f s (%.3g flop, %.1f GFLOP/s), whole analysis %.2f s, peak %.0f MiB; "
      "centre w %.6g m, Navier %.6g m, ratio %.6f\n",
      n, n, model.nodes.size(), pattern.rows.size(), pattern_time, assembly_time,
      cost.ordering_seconds, cost.factor_seconds, cost.flops,
      cost.flops / cost.factor_seconds / 1e9, whole_time, peak_mebibytes(), w, navier, w / navier);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: time_sparse N [N...]\n");
    return 2;
  }
  for (int k = 1; k < argc; ++k) {
    time_plate(std::atoi(argv[k]));
  }
  return 0;
}
