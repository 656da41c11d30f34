// Work spread over the cores: every task runs once, a task's failure reaches the caller, and the
// sparse analysis gives the same bits on one core as on all of them.
#include <gtest/gtest.h>
#include <sched.h>

#include <atomic>
#include <cstring>
#include <stdexcept>
#include <variant>
#include <vector>

#include "sparse/parallel_tasks.hpp"
#include "sparse/sparse_analysis.hpp"
#include "tests/common/plate_grid.hpp"

namespace lajefem {
namespace {

TEST(ParallelTasks, EveryIndexRunsOnce) {
  for (const std::size_t count : {0u, 1u, 2u, 3u, 1000u}) {
    std::vector<std::atomic<int>> runs(count);
    run_in_parallel(count, [&](std::size_t i) { ++runs[i]; });
    for (std::size_t i = 0; i < count; ++i) {
      EXPECT_EQ(runs[i], 1) << "index " << i << " of " << count;
    }
  }
}

TEST(ParallelTasks, AFailingTaskReachesTheCaller) {
  std::atomic<int> started{0};
  const auto failing = [&](std::size_t i) {
    ++started;
    if (i == 7) {
      throw std::runtime_error("task 7");
    }
  };
  EXPECT_THROW(run_in_parallel(100, failing), std::runtime_error);
  EXPECT_GE(started, 8);
}

// Runs `work` with the process held to its first allowed core, then gives the cores back.
template <class Work>
void run_on_one_core(const Work& work) {
  cpu_set_t all;
  ASSERT_EQ(sched_getaffinity(0, sizeof(all), &all), 0);
  cpu_set_t one;
  CPU_ZERO(&one);
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &all)) {
      CPU_SET(cpu, &one);
      break;
    }
  }
  ASSERT_EQ(sched_setaffinity(0, sizeof(one), &one), 0);
  EXPECT_EQ(worker_count(10), 1u);
  work();
  ASSERT_EQ(sched_setaffinity(0, sizeof(all), &all), 0);
}

bool same_bits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The element resultants and reactions are computed element by element on several threads and
// summed in the element order: the results do not depend on how many threads ran.
TEST(ParallelTasks, SparseResultsDoNotDependOnTheThreadCount) {
  const PlateModel model = test::hard_supported_square(40, 10.0f, 0.2f, 2);
  const auto all_cores = std::get<AnalysisResults>(sparse::analyse_plate_model_sparse(model));
  AnalysisResults one_core;
  run_on_one_core(
      [&] { one_core = std::get<AnalysisResults>(sparse::analyse_plate_model_sparse(model)); });
  ASSERT_EQ(one_core.cases.size(), all_cores.cases.size());
  for (std::size_t c = 0; c < all_cores.cases.size(); ++c) {
    const auto& a = all_cores.cases[c];
    const auto& b = one_core.cases[c];
    ASSERT_EQ(a.elements.size(), b.elements.size());
    for (std::size_t e = 0; e < a.elements.size(); ++e) {
      for (std::size_t p = 0; p < 4; ++p) {
        EXPECT_TRUE(same_bits(a.elements[e].points[p].mx, b.elements[e].points[p].mx))
            << "case " << c + 1 << ", element " << e + 1;
      }
    }
    ASSERT_EQ(a.supports.size(), b.supports.size());
    for (std::size_t s = 0; s < a.supports.size(); ++s) {
      EXPECT_TRUE(same_bits(a.supports[s].force_w, b.supports[s].force_w))
          << "case " << c + 1 << ", support " << s + 1;
    }
  }
}

}  // namespace
}  // namespace lajefem
