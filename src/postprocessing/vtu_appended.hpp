// The binary form of a load case's unstructured grid: the same arrays as the text form, their
// values in one block of raw little-endian bytes appended after the XML (each array its 8-byte
// length and its values). Read by ParaView, VTK and meshio; a tenth of the text form's writing
// time and about half its size, for models whose text form would be slow to write and to read.
#pragma once

#include <iosfwd>

#include "model/plate_model.hpp"
#include "postprocessing/result_fields.hpp"

namespace lajefem {

// The arrays of write_vtu, in its order and with its types, as appended raw data.
void write_appended_vtu(std::ostream& out, const PlateModel& model, const CaseFields& fields);

}  // namespace lajefem
