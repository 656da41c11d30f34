// The counts of the data file (nodes, elements, support records, load cases, loads of a case) as
// the number of members of their groups.
#pragma once

namespace lajefem {

// The number of members of a group whose count reads `count`: a zero or negative count is an
// empty group, for which the reader reads no statement and every step does nothing. Every place
// where a count becomes a size (of a container, of the solver's load columns) goes through here.
constexpr int group_size(int count) {
  return count > 0 ? count : 0;
}

}  // namespace lajefem
