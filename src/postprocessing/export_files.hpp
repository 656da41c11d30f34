// The files of an export: their names and the writer of each, from the model and the fields of
// every load case. Writing them (atomically, one by one) is the caller's.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "model/plate_model.hpp"
#include "postprocessing/design_moments.hpp"
#include "postprocessing/result_fields.hpp"

namespace lajefem {

struct ExportKinds {
  bool vtu = true;  // NAME.pvd and NAME-caseK.vtu
  bool svg = true;  // NAME-caseK-FIELD.svg
  bool csv = true;  // NAME-nodes.csv and NAME-points.csv
};

struct OutputFile {
  std::string name;  // file name, without folder
  std::function<void(std::ostream&)> write;
};

// A node field drawn as a map: moments of either sign on a diverging scale, the deflection and
// the design moments on a sequential one.
struct MappedField {
  std::string name;
  bool diverging = false;
};

// The maps of each load case, in file order.
const std::vector<MappedField>& mapped_fields();

// The maps of one case: those above, then the areas to provide of the four bar layers when the
// fields hold them.
std::vector<MappedField> maps_of(const CaseFields& fields);

// The files of an export named after `name`. The writers refer to `model` and `cases`, which must
// outlive them. A non-empty `warning` is drawn as a banner on every map.
std::vector<OutputFile> export_files(const PlateModel& model, const std::vector<CaseFields>& cases,
                                     const std::string& name, WDirection direction,
                                     const ExportKinds& kinds, const std::string& warning = "");

}  // namespace lajefem
