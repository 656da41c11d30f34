// The banded solver on the largest system the store holds: 900 equations, 120 stored diagonals,
// four load cases. The system is built once; the band and the loads are copied back before every
// iteration outside the timed region, since the solver overwrites both.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

#include "model/model_store.hpp"
#include "solver/banded_solver.hpp"

namespace lajefem {
namespace {

constexpr int equations = max_equations;
constexpr int half_bandwidth = max_band;
constexpr int load_cases = max_load_cases;

// The system is well posed: no pivot failure to report.
class SilentSolver final : public SolverListener {
 public:
  void pivot_failed(double) override {}
};

// Random band entries with a dominant diagonal: symmetric positive definite.
void build_system(BandMatrix& band, LoadMatrix& loads) {
  std::mt19937 generator(2024);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  for (int i = 1; i <= equations; ++i) {
    for (int m = 2; m <= half_bandwidth && i + m - 1 <= equations; ++m) {
      band(i, m) = entry(generator);
    }
  }
  for (int i = 1; i <= equations; ++i) {
    double off_diagonal = 0.0;
    for (int m = 2; m <= half_bandwidth && i + m - 1 <= equations; ++m) {
      off_diagonal += std::fabs(band(i, m));
    }
    for (int m = 2; m <= half_bandwidth && i - m + 1 >= 1; ++m) {
      off_diagonal += std::fabs(band(i - m + 1, m));
    }
    band(i, 1) = off_diagonal + 1.0;
  }
  for (int q = 1; q <= load_cases; ++q) {
    for (int i = 1; i <= equations; ++i) {
      loads(i, q) = entry(generator);
    }
  }
}

void bench_solve_banded(benchmark::State& state) {
  const auto band = std::make_unique<BandMatrix>();
  const auto loads = std::make_unique<LoadMatrix>();
  build_system(*band, *loads);
  const auto work_band = std::make_unique<BandMatrix>();
  const auto work_loads = std::make_unique<LoadMatrix>();
  SilentSolver listener;
  int singular_flag = 0;
  for (auto _ : state) {
    state.PauseTiming();
    *work_band = *band;
    *work_loads = *loads;
    state.ResumeTiming();
    solve_banded(max_equations, max_band, max_load_cases, equations, half_bandwidth, load_cases,
                 *work_band, *work_loads, singular_flag, listener);
    benchmark::DoNotOptimize(work_loads->data());
  }
  if (singular_flag != 0) {
    state.SkipWithError("the benchmark system was found singular");
  }
}
BENCHMARK(bench_solve_banded)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lajefem
