#include "sparse/blas_threads.hpp"

#include <dlfcn.h>

namespace lajefem::sparse {

void stop_idle_blas_threads() {
  // OpenBLAS's own shutdown of its thread pool, the one its fork handler calls; looked up rather
  // than linked so that any other BLAS serves as well.
  using Shutdown = int (*)();
  if (void* shutdown = dlsym(RTLD_DEFAULT, "blas_thread_shutdown_")) {
    reinterpret_cast<Shutdown>(shutdown)();
  }
}

}  // namespace lajefem::sparse
