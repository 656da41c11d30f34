// Independent tasks spread over the machine's cores. Each task writes only its own results, kept
// by index, so what is computed does not depend on how many threads ran it or in which order.
#pragma once

#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace lajefem {

// The threads worth starting for `count` tasks: one a core this process may run on, at most
// one a task, at least one.
std::size_t worker_count(std::size_t count);

// Calls task(i) once for every i in [0, count), on up to worker_count(count) threads, the
// calling one among them, each taking the next index left. The first exception a task throws
// ends the work and is thrown again here once every thread has stopped. Where no thread can be
// started the calling thread does all the work.
template <class Task>
void run_in_parallel(std::size_t count, const Task& task) {
  std::atomic<std::size_t> next{0};
  std::exception_ptr failure;
  std::mutex failure_lock;
  const auto work = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      try {
        task(i);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(failure_lock);
        if (!failure) {
          failure = std::current_exception();
        }
        next = count;
      }
    }
  };
  std::vector<std::thread> threads;
  const std::size_t workers = worker_count(count);
  for (std::size_t k = 1; k < workers; ++k) {
    try {
      threads.emplace_back(work);
    } catch (const std::system_error&) {
      break;
    }
  }
  work();
  for (std::thread& thread : threads) {
    thread.join();
  }
  if (failure) {
    std::rethrow_exception(failure);
  }
}

}  // namespace lajefem
