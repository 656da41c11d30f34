// Block Gaussian elimination on the band: the equations are cut into blocks of
// half_bandwidth − 1 equations, each coupled only to its neighbours. A forward sweep reduces the
// next diagonal block and its load rows, the last block is solved directly and a backward sweep
// recovers the displacements block by block. Every diagonal block is inverted explicitly.
#include "solver/banded_solver.hpp"

#include <cassert>
#include <cmath>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "solver/block_inversion.hpp"
#include "solver/matrix_product.hpp"
#include "text/text_fields.hpp"

namespace lajefem {
namespace {

// The work matrices of one call, 460 KB together: on the heap, never on the stack.
struct SolverWork {
  BlockMatrix diagonal_block;
  BlockMatrix block_inverse;
  BlockMatrix coupling_block;
  BlockMatrix rhs_block;
};

// The inverse of each of the blocks 1..B−1 is needed three times (twice in the forward sweep, once
// in the backward sweep), always from the same reduced block, so the three inversions give the
// same matrix: it is formed once and kept, together with what that inversion came to, which is
// reported again at each use.
struct BlockInverses {
  int order = 0;                         // block_size
  std::vector<double> values;            // block k's inverse, column by column, at (k − 1)·b²
  std::vector<char> formed;              // (k − 1) true once block k was inverted
  std::vector<BlockInversion> outcomes;  // (k − 1) what the inversion of block k came to
};

struct BlockPartition {
  int block_size;       // equations of every block but the last
  int block_count;      // number of blocks
  int last_block_size;  // equations of the last block, 1..block_size
};

BlockPartition partition_equations(int equation_count, int half_bandwidth) {
  const int b = half_bandwidth - 1;
  const int rest = equation_count - b * (equation_count / b);
  return {b, (equation_count + b - 1) / b, rest > 0 ? rest : b};
}

int block_size_of(const BlockPartition& blocks, int k) {
  return k == blocks.block_count ? blocks.last_block_size : blocks.block_size;
}

int first_equation_of(const BlockPartition& blocks, int k) {
  return (k - 1) * blocks.block_size + 1;
}

// Diagonal block starting at equation first, rows first..first + rows − 1, mirrored from the
// stored upper triangle.
void load_diagonal_block(const BandMatrix& band_stiffness, int first, int rows, int b,
                         BlockMatrix& diagonal_block) {
  for (int d = 0; d < rows; ++d) {
    for (int c = 1; c <= b - d; ++c) {
      diagonal_block(d + 1, d + c) = band_stiffness(first + d, c);
      diagonal_block(d + c, d + 1) = band_stiffness(first + d, c);
    }
  }
}

// Coupling of the b rows starting at equation first with the n equations of the next block.
void load_coupling_block(const BandMatrix& band_stiffness, int first, int b, int n,
                         int half_bandwidth, BlockMatrix& coupling_block) {
  for (int d = 0; d < b; ++d) {
    for (int c = 1; c <= n; ++c) {
      const int m = b - d + c;
      coupling_block(d + 1, c) = m <= half_bandwidth ? band_stiffness(first + d, m) : 0.0;
    }
  }
}

void load_rhs_block(const LoadMatrix& load_vectors, int first, int rows, int load_case_count,
                    BlockMatrix& rhs_block) {
  for (int q = 1; q <= load_case_count; ++q) {
    for (int r = 1; r <= rows; ++r) {
      rhs_block(r, q) = load_vectors(first + r - 1, q);
    }
  }
}

void transpose_block(BlockMatrix& block, int order) {
  for (int j = 2; j <= order; ++j) {
    for (int i = 1; i < j; ++i) {
      const double upper = block(i, j);
      block(i, j) = block(j, i);
      block(j, i) = upper;
    }
  }
}

struct BandedSystem {
  int work_dim;
  int half_bandwidth;
  int load_case_count;
  BandMatrix& band_stiffness;
  LoadMatrix& load_vectors;
  int& singular_flag;
  SolverListener& listener;
  BlockPartition blocks;
  SolverWork& work;
  BlockInverses& inverses;
};

void form_block_inverse(BandedSystem& system, int k) {
  SolverWork& w = system.work;
  BlockInverses& kept = system.inverses;
  const int b = kept.order;
  load_diagonal_block(system.band_stiffness, first_equation_of(system.blocks, k), b, b,
                      w.diagonal_block);
  kept.outcomes[k - 1] = invert_block(system.work_dim, w.diagonal_block, w.block_inverse, b);
  double* values = &kept.values[static_cast<std::size_t>(k - 1) * b * b];
  for (int c = 1; c <= b; ++c) {
    for (int r = 1; r <= b; ++r) {
      *values++ = w.block_inverse(r, c);
    }
  }
  kept.formed[k - 1] = 1;
}

void report_inversion(BandedSystem& system, const BlockInversion& inversion) {
  if (!inversion.inverted) {
    system.listener.pivot_failed(inversion.largest_candidate);
    system.singular_flag = 1;
  }
}

// block_inverse = D_k⁻¹ for one of the blocks 1..B−1.
void invert_diagonal_block(BandedSystem& system, int k) {
  BlockInverses& kept = system.inverses;
  if (!kept.formed[k - 1]) {
    form_block_inverse(system, k);
  } else {
    const int b = kept.order;
    const double* values = &kept.values[static_cast<std::size_t>(k - 1) * b * b];
    for (int c = 1; c <= b; ++c) {
      for (int r = 1; r <= b; ++r) {
        system.work.block_inverse(r, c) = *values++;
      }
    }
  }
  report_inversion(system, kept.outcomes[k - 1]);
}

// Diagonal block k+1 less C_kᵀ · D_k⁻¹ · C_k, upper triangle in the band.
void reduce_next_diagonal_block(BandedSystem& system, int k) {
  SolverWork& w = system.work;
  const int b = system.blocks.block_size;
  const int first = first_equation_of(system.blocks, k);
  const int next_first = first_equation_of(system.blocks, k + 1);
  const int n = block_size_of(system.blocks, k + 1);
  load_coupling_block(system.band_stiffness, first, b, n, system.half_bandwidth, w.coupling_block);
  invert_diagonal_block(system, k);
  multiply_matrices(w.block_inverse, w.coupling_block, b, b, n, w.diagonal_block);
  transpose_block(w.coupling_block, b);
  multiply_matrices(w.coupling_block, w.diagonal_block, n, b, n, w.block_inverse);
  for (int d = 0; d < n; ++d) {
    for (int c = 1; c <= n - d; ++c) {
      system.band_stiffness(next_first + d, c) =
          system.band_stiffness(next_first + d, c) - w.block_inverse(d + 1, d + c);
    }
  }
}

// Load rows of block k+1 less C_kᵀ · D_k⁻¹ · y_k; coupling_block still holds C_kᵀ.
void reduce_next_load_rows(BandedSystem& system, int k) {
  SolverWork& w = system.work;
  const int b = system.blocks.block_size;
  const int cases = system.load_case_count;
  const int first = first_equation_of(system.blocks, k);
  const int next_first = first_equation_of(system.blocks, k + 1);
  const int n = block_size_of(system.blocks, k + 1);
  load_rhs_block(system.load_vectors, first, b, cases, w.rhs_block);
  invert_diagonal_block(system, k);
  multiply_matrices(w.block_inverse, w.rhs_block, b, b, cases, w.diagonal_block);
  multiply_matrices(w.coupling_block, w.diagonal_block, n, b, cases, w.block_inverse);
  for (int q = 1; q <= cases; ++q) {
    for (int r = 1; r <= n; ++r) {
      system.load_vectors(next_first + r - 1, q) =
          system.load_vectors(next_first + r - 1, q) - w.block_inverse(r, q);
      w.rhs_block(r, q) = system.load_vectors(next_first + r - 1, q);
    }
  }
}

// A last block of one equation is a plain division; a diagonal that cannot carry it marks the
// system singular, since the division would otherwise pass unnoticed.
void solve_single_equation(BandedSystem& system, int equation) {
  SolverWork& w = system.work;
  const double diagonal = w.diagonal_block(1, 1);
  if (!std::isfinite(diagonal) || std::fabs(diagonal) <= pivot_tolerance) {
    system.singular_flag = 1;
  }
  for (int q = 1; q <= system.load_case_count; ++q) {
    system.load_vectors(equation, q) = system.load_vectors(equation, q) / diagonal;
    w.rhs_block(1, q) = system.load_vectors(equation, q);
  }
}

// The reduced load rows of the last block are those the forward sweep left in load_vectors (with
// a single block, the loads themselves).
void solve_last_block(BandedSystem& system, int equation_count) {
  SolverWork& w = system.work;
  const int s = system.blocks.last_block_size;
  const int cases = system.load_case_count;
  const int first = equation_count - s + 1;
  load_diagonal_block(system.band_stiffness, first, s, system.blocks.block_size, w.diagonal_block);
  if (s == 1) {
    solve_single_equation(system, equation_count);
    return;
  }
  load_rhs_block(system.load_vectors, first, s, cases, w.rhs_block);
  report_inversion(system, invert_block(system.work_dim, w.diagonal_block, w.block_inverse, s));
  multiply_matrices(w.block_inverse, w.rhs_block, s, s, cases, w.coupling_block);
  for (int q = 1; q <= cases; ++q) {
    for (int r = 1; r <= s; ++r) {
      system.load_vectors(first + r - 1, q) = w.coupling_block(r, q);
      w.rhs_block(r, q) = w.coupling_block(r, q);
    }
  }
}

// x_k = D_k⁻¹ · (y_k − C_k · x_{k+1}); rhs_block holds x_{k+1} on entry and x_k on return.
void back_substitute_block(BandedSystem& system, int k) {
  SolverWork& w = system.work;
  const int b = system.blocks.block_size;
  const int cases = system.load_case_count;
  const int first = first_equation_of(system.blocks, k);
  const int n = block_size_of(system.blocks, k + 1);
  load_coupling_block(system.band_stiffness, first, b, n, system.half_bandwidth, w.coupling_block);
  multiply_matrices(w.coupling_block, w.rhs_block, b, n, cases, w.block_inverse);
  for (int q = 1; q <= cases; ++q) {
    for (int r = 1; r <= b; ++r) {
      w.coupling_block(r, q) = system.load_vectors(first + r - 1, q) - w.block_inverse(r, q);
    }
  }
  invert_diagonal_block(system, k);
  multiply_matrices(w.block_inverse, w.coupling_block, b, b, cases, w.rhs_block);
  for (int q = 1; q <= cases; ++q) {
    for (int r = 1; r <= b; ++r) {
      system.load_vectors(first + r - 1, q) = w.rhs_block(r, q);
    }
  }
}

// A displacement that is not a finite number means the system was singular, even where no
// block inversion noticed it.
void check_displacements(const LoadMatrix& load_vectors, int equation_count, int load_case_count,
                         int& singular_flag) {
  for (int q = 1; q <= load_case_count; ++q) {
    for (int i = 1; i <= equation_count; ++i) {
      if (!std::isfinite(load_vectors(i, q))) {
        singular_flag = 1;
        return;
      }
    }
  }
}

}  // namespace

void write_pivot_failure_line(std::ostream& console, double largest_candidate) {
  console << '\n'
          << std::string(10, ' ') << "NAO HA PIVOT SUPERIOR A"
          << format_exponent(largest_candidate, 16, 9) << '\n';
}

void solve_banded([[maybe_unused]] int leading_dim, int work_dim, [[maybe_unused]] int case_dim,
                  int equation_count, int half_bandwidth, int load_case_count,
                  BandMatrix& band_stiffness, LoadMatrix& load_vectors, int& singular_flag,
                  SolverListener& listener) {
  assert(equation_count >= 1 && equation_count <= leading_dim);
  assert(half_bandwidth >= 2 && half_bandwidth <= work_dim);
  assert(load_case_count >= 0 && load_case_count <= case_dim);  // a model may have no load case
  const auto work = std::make_unique<SolverWork>();
  const BlockPartition blocks = partition_equations(equation_count, half_bandwidth);
  const std::size_t inner_blocks = static_cast<std::size_t>(blocks.block_count - 1);
  const std::size_t block_values =
      static_cast<std::size_t>(blocks.block_size) * static_cast<std::size_t>(blocks.block_size);
  BlockInverses inverses{blocks.block_size, std::vector<double>(inner_blocks * block_values),
                         std::vector<char>(inner_blocks),
                         std::vector<BlockInversion>(inner_blocks)};
  BandedSystem system{work_dim,      half_bandwidth, load_case_count, band_stiffness, load_vectors,
                      singular_flag, listener,       blocks,          *work,          inverses};
  const int block_count = system.blocks.block_count;
  for (int k = 1; k < block_count; ++k) {
    reduce_next_diagonal_block(system, k);
    reduce_next_load_rows(system, k);
  }
  solve_last_block(system, equation_count);
  for (int k = block_count - 1; k >= 1; --k) {
    back_substitute_block(system, k);
  }
  check_displacements(load_vectors, equation_count, load_case_count, singular_flag);
}

}  // namespace lajefem
