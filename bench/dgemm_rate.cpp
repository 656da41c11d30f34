// The machine's dgemm rate through OpenBLAS, on one thread and on every core: the floor against
// which the sparse factorisation's rate is set. Usage: dgemm_rate [N] (default 3000).
#include <cblas.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// GFLOP/s of C = A·B on n × n matrices with `threads` threads, the best of three runs.
double dgemm_gflops(int n, int threads) {
  openblas_set_num_threads(threads);
  const auto size = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  std::vector<double> a(size, 1.0 / 3.0);
  std::vector<double> b(size, 2.0 / 3.0);
  std::vector<double> c(size, 0.0);
  double best = 0;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    cblas_dgemm(CblasColMajor, CblasNoTrans, CblasNoTrans, n, n, n, 1.0, a.data(), n, b.data(), n,
                0.0, c.data(), n);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double rate = 2.0 * n * n * static_cast<double>(n) / seconds / 1e9;
    best = rate > best ? rate : best;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 3000;
  const int cores = openblas_get_num_procs();
  std::printf("dgemm %d x %d: %.1f GFLOP/s on 1 thread, %.1f GFLOP/s on %d threads\n", n, n,
              dgemm_gflops(n, 1), dgemm_gflops(n, cores), cores);
  return 0;
}
