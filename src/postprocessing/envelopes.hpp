// Envelopes: at every node, the greatest and the least value of each node field over several
// result sets (load cases or combinations), with the set that gives each. A combination with
// pattern terms is an envelope of its own: each pattern term is taken where it raises (or lowers)
// the value, so the greatest of a field that is linear in the loads is the fixed part plus
// Σ max(0, f·case) exactly; the principal and Wood–Armer moments are formed, at each node, for the
// patterns that govern the extremes of the linear fields there (see envelope_patterns).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/analysis.hpp"
#include "model/plate_model.hpp"
#include "postprocessing/combinations.hpp"
#include "postprocessing/design_moments.hpp"
#include "postprocessing/result_fields.hpp"

namespace lajefem {

struct EnvelopeField {
  std::string name;    // the node field's name: "w", "Mx_bottom"
  std::string column;  // its table column: "w_mm"
  std::string unit;
  bool single = false;  // every value is a program's single-precision result (load cases alone)
  std::vector<double> greatest;          // per node
  std::vector<double> least;             // per node
  std::vector<std::size_t> greatest_by;  // per node, index in Envelope::governing
  std::vector<std::size_t> least_by;     // per node, index in Envelope::governing
};

struct Envelope {
  std::string label;    // "envelope", "ULS"
  std::string tag;      // file names' part: "envelope", "ULS-envelope"
  std::string heading;  // "envelope of ULS, SLS", "envelope of ULS": map titles (short, to fit)
  std::string title;    // "Envelope of ULS, SLS", "Envelope of ULS = 1.35*1+1.5?2": summary
  std::vector<std::string> governing;  // the sets named by the *_by indices: "ULS",
                                       // "case 2", "ULS: 1.35*1+1.5*3"
  std::vector<EnvelopeField> fields;   // every node field but M1_angle, in the sets' order
};

// The shortest text that reads back to the value at the field's precision, never −0.
std::string envelope_value_text(const EnvelopeField& field, double value);

// The field of that name; std::out_of_range when there is none.
const EnvelopeField& envelope_field(const Envelope& envelope, const std::string& name);

// The envelope as a set of node fields for the writers: FIELD_max, FIELD_min and FIELD_max_by,
// FIELD_min_by (the governing set's number in Envelope::governing, from 1) for every field; no
// element fields and no deflection vector.
CaseFields envelope_set(const Envelope& envelope);

// A field of greatest (or least) values, named "Mx_bottom_max" ("w_min"), for a map.
Field extreme_field(const EnvelopeField& field, bool greatest);

// One set's values as an envelope of one: greatest = least = the value, governed by its label.
Envelope single_set_envelope(const CaseFields& fields);

// The envelope over several envelopes (a set each, or a pattern combination's), titled after its
// heading ("envelope of ..."); at values equal to 1e-12 of the field's largest magnitude the
// first governs.
Envelope merged_envelope(const std::vector<Envelope>& parts, const std::string& label,
                         const std::string& tag, const std::string& heading);

// The envelope of a combination with pattern terms (at most 63 of them). At each node, the
// patterns considered are those that make each linear node field (w, θx, θy, Mx, My, Mxy, Qx, Qy,
// reactions) and each of Mx ± Mxy and My ± Mxy greatest and least there; every field is
// evaluated for each, and its extremes taken over them. The linear fields' extremes are exact;
// M1, M2 and the Wood–Armer moments are the extremes over those patterns.
Envelope pattern_envelope(const PlateModel& model, const AnalysisResults& analysis,
                          const Combination& combination, WDirection direction,
                          const NodalMethod& method);
Envelope pattern_envelope(const PlateModel& model, const AnalysisResults& analysis,
                          const Combination& combination, WDirection direction,
                          NodalRecovery recovery = NodalRecovery::patch);

}  // namespace lajefem
