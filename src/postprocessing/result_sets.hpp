// What an export writes results for: the load cases, the combinations formed from them, the
// envelope of each pattern combination and, when asked, the envelope over all combinations (or
// over the load cases when there are none).
#pragma once

#include <vector>

#include "analysis/analysis.hpp"
#include "model/plate_model.hpp"
#include "postprocessing/combinations.hpp"
#include "postprocessing/design_moments.hpp"
#include "postprocessing/envelopes.hpp"
#include "postprocessing/result_fields.hpp"

namespace lajefem {

struct ResultSets {
  std::vector<CaseFields> sets;     // the load cases, then the combinations without pattern terms
  std::vector<Envelope> envelopes;  // the pattern combinations', then the overall envelope
};

// The combinations must have passed check_combinations for the model.
ResultSets result_sets(const PlateModel& model, const AnalysisResults& analysis,
                       const std::vector<Combination>& combinations, bool with_envelope,
                       WDirection direction);

}  // namespace lajefem
