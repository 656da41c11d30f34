// The sparsity pattern of a plate model's stiffness, from its node graph: nodes that share an
// element couple all three freedoms of each. The upper triangle (row ≤ column), column by column
// (compressed sparse columns), as the Cholesky factorisation takes a symmetric matrix.
#pragma once

#include <cstdint>
#include <vector>

#include "model/plate_model.hpp"

namespace lajefem::sparse {

struct StiffnessPattern {
  std::int64_t equations = 0;               // 3 × nodes, equation 3(n − 1) + d of node n
  std::vector<std::int64_t> column_starts;  // equations + 1 offsets into rows
  std::vector<std::int64_t> rows;           // 0-based row of each stored entry, ascending
  // Per node (0-based), the nodes that share an element with it and are numbered no higher,
  // ascending, itself last: the block rows of its three columns.
  std::vector<std::vector<int>> lower_neighbours;
};

// The pattern of the model's elements (corner nodes must lie in 1..nodes).
StiffnessPattern stiffness_pattern(const PlateModel& model);

// The index into rows of entry (row equation of node m, freedom dm; column equation of node n,
// freedom dn), nodes 0-based, freedoms 0..2, m ≤ n and (m, dm) ≤ (n, dn). -1 when the two nodes
// share no element.
std::int64_t entry_index(const StiffnessPattern& pattern, int m, int dm, int n, int dn);

}  // namespace lajefem::sparse
