#include "sparse/parallel_tasks.hpp"

#include <sched.h>

#include <algorithm>

namespace lajefem {

std::size_t worker_count(std::size_t count) {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  const int cores = sched_getaffinity(0, sizeof(allowed), &allowed) == 0
                        ? CPU_COUNT(&allowed)
                        : static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp<std::size_t>(count, 1, std::max(cores, 1));
}

}  // namespace lajefem
