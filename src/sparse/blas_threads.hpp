// The BLAS's idle threads.
#pragma once

namespace lajefem::sparse {

// OpenBLAS starts one thread a core as it loads, and each spins for about 0.1 s before it sleeps:
// a short run (a model the store holds exports in about as long) loses a core to them. This
// stops them; OpenBLAS starts them again for the first factorisation that needs them. Nothing
// happens with another BLAS.
void stop_idle_blas_threads();

}  // namespace lajefem::sparse
