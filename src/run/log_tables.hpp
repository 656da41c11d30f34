// The tables of the log ZLIXO: each element's stiffness and stress-recovery matrix as the element
// loop forms them, and the displacements of the first two load cases.
#pragma once

#include <iosfwd>

#include "model/model_store.hpp"

namespace lajefem {

// The 144 "i j value" lines of element_stiffness, row by row ("1 1 7.8125002910383034E+05"),
// then the stress-recovery matrix of element e, 20 rows of 12 values in 1P,G(10.3).
void write_element_log(std::ostream& log, const ModelStore& store, int e);

// A blank line, then one line per equation: its number and its displacement in cases 1 and 2.
void write_displacement_table(std::ostream& log, const ModelStore& store);

}  // namespace lajefem
