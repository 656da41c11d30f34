// Records of the results scratch file: whole real64 arrays, written and read back in a fixed
// order (element stress matrices, the element-only stiffness, the applied loads). Each record
// carries its value count so that a record read back as the wrong array is detected.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <stdexcept>

namespace lajefem {

void write_scratch_record(std::ostream& scratch, const double* values, std::size_t count);

// The scratch file could not give back what was written to it (a failing disk, say): a fault of
// the machine, not of the model, reported by the run driver.
class ScratchFileError : public std::runtime_error {
 public:
  ScratchFileError() : std::runtime_error("the results scratch file could not be read back") {}
};

// Throws ScratchFileError when the next record is missing or of another size.
void read_scratch_record(std::istream& scratch, double* values, std::size_t count);

void rewind_scratch(std::iostream& scratch);

}  // namespace lajefem
