// Records of the results scratch file: whole real64 arrays, written and read back in a fixed
// order (element stress matrices, the element-only stiffness, the applied loads). Each record
// carries its value count so that a record read back as the wrong array is detected.
#pragma once

#include <cstddef>
#include <iosfwd>

namespace lajefem {

void write_scratch_record(std::ostream& scratch, const double* values, std::size_t count);

// Throws RunStop (after a console message) when the next record is missing or of another size.
void read_scratch_record(std::istream& scratch, double* values, std::size_t count,
                         std::ostream& console);

void rewind_scratch(std::iostream& scratch);

}  // namespace lajefem
