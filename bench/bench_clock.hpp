// Wall time and peak memory of a benchmark process, for the figures the benchmarks print.
#pragma once

#include <sys/resource.h>

#include <chrono>

namespace lajefem::bench {

using Clock = std::chrono::steady_clock;

inline double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The process's largest resident set so far, MiB.
inline double peak_mebibytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace lajefem::bench
