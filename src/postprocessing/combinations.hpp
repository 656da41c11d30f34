// Load combinations: named factored sums of load cases, read from definitions such as
// "ULS=1.35*1+1.5*2", and their results formed from the cases' results (the analysis is linear).
// A term written FACTOR?CASE is a pattern term, taken only where it is unfavourable: such a
// combination has no single set of results but an envelope (postprocessing/envelopes).
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/analysis.hpp"
#include "model/plate_model.hpp"
#include "postprocessing/design_moments.hpp"
#include "postprocessing/result_fields.hpp"

namespace lajefem {

struct CombinationTerm {
  std::string text;             // as written: "1.35*1", "1.5?2"
  double factor = 0;            // load factor
  std::size_t case_number = 0;  // load case, from 1
  bool pattern = false;         // '?': taken only where it raises (or lowers) the value enveloped
};

struct Combination {
  std::string name;        // letters, digits, '_' and '-', at most 16 characters
  std::string expression;  // the terms as written: "1.35*1+1.5?2"
  std::vector<CombinationTerm> terms;
};

// A definition that cannot be read; the message names the part at fault.
struct CombinationError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

constexpr std::size_t combination_name_length = 16;
constexpr std::size_t max_pattern_terms = 63;  // per combination

// "ULS=1.35*1+1.5*2" -> ULS with terms 1.35 × case 1 and 1.5 × case 2. Terms are separated by
// '+' or by the sign of the next factor ("1*1-0.5*2" has the term "-0.5*2"). Refuses a name that
// is empty, too long, of other characters, or one that would name a load case's files or rows or
// an envelope's ("2", "case2", "envelope", "ULS-envelope"), a factor that is not a finite number,
// a case number that is not a whole number from 1.
Combination parse_combination(const std::string& definition);

// CombinationError naming the first term of a case the model does not have, a name that an
// earlier combination already has (capitals aside), or a combination of more than max_pattern_terms
// pattern terms.
void check_combinations(const std::vector<Combination>& combinations, std::size_t case_count);

// True when a term is a pattern term.
bool has_pattern_terms(const Combination& combination);

// The factored sum of the given terms' cases (all terms, pattern ones included): displacements,
// Gauss-point resultants and reactions, in double precision.
LoadCaseResults combined_results(const AnalysisResults& analysis,
                                 const std::vector<CombinationTerm>& terms);

// The fields of a combination without pattern terms, named after it ("ULS", heading
// "combination ULS", title "Combination ULS = 1.35*1+1.5*2"); principal and Wood–Armer moments are
// formed from the combined resultants.
CaseFields combination_fields(const PlateModel& model, const AnalysisResults& analysis,
                              const Combination& combination, WDirection direction,
                              const NodalMethod& method);
CaseFields combination_fields(const PlateModel& model, const AnalysisResults& analysis,
                              const Combination& combination, WDirection direction,
                              NodalRecovery recovery = NodalRecovery::patch);

// "1.35*1+1.5*3": the terms as a sum, pattern marks dropped, in the shortest text of each factor.
std::string terms_text(const std::vector<CombinationTerm>& terms);

}  // namespace lajefem
