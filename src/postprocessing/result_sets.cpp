#include "postprocessing/result_sets.hpp"

#include <optional>
#include <utility>

#include "sparse/parallel_tasks.hpp"

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
  const NodalMethod method(model, recovery);
  const std::size_t case_count = analysis.cases.size();
  // Every load case and combination on its own, spread over the cores.
  std::vector<CaseFields> case_sets(case_count);
  std::vector<std::optional<CaseFields>> combined(combinations.size());
  std::vector<std::optional<Envelope>> patterned(combinations.size());
  run_in_parallel(case_count + combinations.size(), [&](std::size_t k) {
    if (k < case_count) {
      case_sets[k] = load_case_fields(model, analysis.cases[k], k, case_count, direction, method);
      return;
    }
    const Combination& combination = combinations[k - case_count];
    if (has_pattern_terms(combination)) {
      patterned[k - case_count] = pattern_envelope(model, analysis, combination, direction, method);
    } else {
      combined[k - case_count] =
          combination_fields(model, analysis, combination, direction, method);
    }
  });
  ResultSets result;
  result.sets = std::move(case_sets);
  std::vector<Envelope> parts;
  for (std::size_t k = 0; k < combinations.size(); ++k) {
    if (patterned[k]) {
      result.envelopes.push_back(std::move(*patterned[k]));
      parts.push_back(result.envelopes.back());
    } else {
      result.sets.push_back(std::move(*combined[k]));
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
