// The files of an export: their names and the writer of each, from the model and the fields of
// every load case. Writing them (atomically, one by one) is the caller's.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "model/plate_model.hpp"
#include "postprocessing/design_moments.hpp"
#include "postprocessing/envelopes.hpp"
#include "postprocessing/result_fields.hpp"

namespace lajefem {

struct ExportKinds {
  bool vtu = true;  // NAME.pvd, NAME-caseK.vtu, NAME-COMBINATION.vtu and NAME-ENVELOPE.vtu
  bool svg = true;  // NAME-caseK-FIELD.svg, NAME-COMBINATION-FIELD.svg, NAME-ENVELOPE-FIELD.svg
  bool csv = true;  // NAME-nodes.csv, NAME-points.csv and NAME-ENVELOPE.csv
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

// An envelope's field drawn as a map: its greatest or its least values.
struct EnvelopeMap {
  std::string name;
  bool greatest = true;
};

// The maps of an envelope: the greatest bottom and the least (most negative) top Wood–Armer
// moments, and w on the side gravity deflects it (least with +w up, greatest with +w down).
std::vector<EnvelopeMap> envelope_maps(WDirection direction);

// The maps of one envelope: those above, then the greatest areas to provide of the four bar
// layers when the envelope holds them.
std::vector<EnvelopeMap> envelope_maps_of(const Envelope& envelope, WDirection direction);

// The maps of one case: the maps of each load case, then the areas to provide of the four bar
// layers when the fields hold them.
std::vector<MappedField> maps_of(const CaseFields& fields);

// The files of an export named after `name`: the sets of `cases` (load cases and combinations)
// each with its ParaView file, maps and table rows, and each envelope with its own. The writers
// refer to `model`, `cases` and `envelopes`, which must outlive them. A non-empty `warning` is
// drawn as a banner on every map.
std::vector<OutputFile> export_files(const PlateModel& model, const std::vector<CaseFields>& cases,
                                     const std::vector<Envelope>& envelopes,
                                     const std::string& name, WDirection direction,
                                     const ExportKinds& kinds, const std::string& warning = "");

}  // namespace lajefem
