#include "postprocessing/result_sets.hpp"

namespace lajefem {

namespace {

// "envelope of ULS, SLS" or "envelope of load cases 1 to 3"
std::string envelope_heading(const std::vector<Combination>& combinations, std::size_t case_count) {
  if (combinations.empty()) {
    return case_count == 1 ? "envelope of load case 1"
                           : "envelope of load cases 1 to " + std::to_string(case_count);
  }
  std::string names;
  for (const Combination& combination : combinations) {
    names += (names.empty() ? "" : ", ") + combination.name;
  }
  return "envelope of " + names;
}

}  // namespace

ResultSets result_sets(const PlateModel& model, const AnalysisResults& analysis,
                       const std::vector<Combination>& combinations, bool with_envelope,
                       WDirection direction, NodalRecovery recovery) {
  ResultSets result;
  const NodalMethod method(model, recovery);
  const std::size_t case_count = analysis.cases.size();
  for (std::size_t c = 0; c < case_count; ++c) {
    result.sets.push_back(
        load_case_fields(model, analysis.cases[c], c, case_count, direction, method));
  }
  std::vector<Envelope> parts;
  for (const Combination& combination : combinations) {
    if (has_pattern_terms(combination)) {
      result.envelopes.push_back(pattern_envelope(model, analysis, combination, direction, method));
      parts.push_back(result.envelopes.back());
    } else {
      result.sets.push_back(combination_fields(model, analysis, combination, direction, method));
      parts.push_back(single_set_envelope(result.sets.back()));
    }
  }
  if (with_envelope) {
    if (combinations.empty()) {
      for (const CaseFields& fields : result.sets) {
        parts.push_back(single_set_envelope(fields));
      }
    }
    result.envelopes.push_back(
        merged_envelope(parts, "envelope", "envelope", envelope_heading(combinations, case_count)));
  }
  return result;
}

}  // namespace lajefem
