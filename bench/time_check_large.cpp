// Times the model check beyond the store on n × n plates of 6 m (concrete, 0.2 m): simply supported
// (sound), on its four corner columns (the checkerboard free when n is even) and without supports
// (rigid motions and the checkerboard): the mechanism numerics through the sparse engine alone,
// then the whole check with its sparse run, with the peak memory of the process.
// Usage: time_check_large N [N...], e.g. time_check_large 120 316.
// Measured on 2 cores shared with other work (load average 6), 316 × 316 (100,489 nodes):
// mechanisms 22 s sound, 27 s on corner columns, 24 s without supports; the whole check 27 to
// 58 s, peak 850 MiB. 120 × 120: mechanisms 1.1 to 5.3 s, check 2 to 5 s, peak 130 MiB.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_clock.hpp"
#include "checking/mechanisms.hpp"
#include "checking/model_check.hpp"
#include "tests/common/plate_grid.hpp"

namespace {

using namespace lajefem;
using bench::Clock;
using bench::peak_mebibytes;
using bench::seconds_since;

PlateModel with_w_supports(PlateModel model, int n, bool edges) {
  for (int j = 0; j <= n; ++j) {
    for (int i = 0; i <= n; ++i) {
      const bool edge = i == 0 || j == 0 || i == n || j == n;
      const bool corner = (i == 0 || i == n) && (j == 0 || j == n);
      if (edges ? edge : corner) {
        model.supports.push_back({test::grid_node(n, i, j), 1e6f, 0, 0});
      }
    }
  }
  return model;
}

void time_layout(const char* layout, const PlateModel& model) {
  Clock::time_point start = Clock::now();
  const Findings mechanisms = find_mechanisms(model, model_sparse_stiffness(model));
  const double mechanism_time = seconds_since(start);
  start = Clock::now();
  const Findings findings = check_model_beyond_store(model, "beyond", CheckSolver::sparse);
  const double check_time = seconds_since(start);
  std::string codes;
  for (const Finding& finding : findings) {
    codes += " " + finding.code;
  }
  std::printf("%-22s %8zu nodes  mechanisms %6.2f s  check %6.2f s  peak %7.0f MiB :%s\n", layout,
              model.nodes.size(), mechanism_time, check_time, peak_mebibytes(), codes.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: time_check_large N [N...]\n");
    return 2;
  }
  for (int k = 1; k < argc; ++k) {
    const int n = std::atoi(argv[k]);
    const PlateModel plate = test::grid_plate(n, n, 6, 6);
    time_layout("simply supported", with_w_supports(plate, n, true));
    time_layout("corner columns", with_w_supports(plate, n, false));
    time_layout("no supports", plate);
  }
  return 0;
}
