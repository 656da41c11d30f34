#include "postprocessing/combinations.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "postprocessing/number_text.hpp"

namespace lajefem {

namespace {

bool is_digit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool is_name_character(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-';
}

std::string lowercase(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

bool all_digits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), is_digit);
}

void check_name(const std::string& name, const std::string& definition) {
  if (name.empty()) {
    throw CombinationError("combination '" + definition + "' has no name before '='");
  }
  if (name.size() > combination_name_length) {
    throw CombinationError("combination name '" + name + "' is longer than " +
                           std::to_string(combination_name_length) + " characters");
  }
  if (!std::all_of(name.begin(), name.end(), is_name_character)) {
    throw CombinationError("combination name '" + name +
                           "' has characters other than letters, digits, '_' and '-'");
  }
  const std::string lower = lowercase(name);
  const bool case_like =
      all_digits(name) || (lower.rfind("case", 0) == 0 && all_digits(lower.substr(4)));
  const std::string envelope = "envelope";
  const bool envelope_like =
      lower == envelope ||
      (lower.size() > envelope.size() &&
       lower.compare(lower.size() - envelope.size() - 1, std::string::npos, "-" + envelope) == 0);
  if (case_like || envelope_like) {
    throw CombinationError("combination name '" + name + "' would name the files or rows of " +
                           (case_like ? "a load case" : "an envelope") + ": choose another");
  }
}

// "1.5" -> 1.5; a number in full, finite, or CombinationError naming the term.
double factor_of(const std::string& text, const std::string& term) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
    throw CombinationError("term '" + term + "': unreadable factor '" + text + "'");
  }
  return value;
}

std::size_t case_number_of(const std::string& text, const std::string& term) {
  std::size_t number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (!all_digits(text) || error != std::errc() || stop != end || number == 0) {
    throw CombinationError("term '" + term + "': unreadable load case '" + text +
                           "' (load cases are numbered from 1)");
  }
  return number;
}

CombinationTerm term_of(const std::string& text) {
  if (text.empty() || text == "-") {
    throw CombinationError("a '+' or '-' with no term after it");
  }
  const std::size_t mark = text.find_first_of("*?");
  if (mark == std::string::npos) {
    throw CombinationError("term '" + text + "' is neither FACTOR*CASE nor FACTOR?CASE");
  }
  CombinationTerm term;
  term.text = text;
  const std::string factor = text.substr(0, mark);
  term.factor = factor_of(factor.size() > 0 && factor[0] == '+' ? factor.substr(1) : factor, text);
  term.case_number = case_number_of(text.substr(mark + 1), text);
  term.pattern = text[mark] == '?';
  return term;
}

// "1.35*1+1.5?2-0.5*3" -> "1.35*1", "1.5?2", "-0.5*3": a sign after the case number of a term
// starts the next one.
std::vector<std::string> term_texts(const std::string& expression) {
  std::vector<std::string> texts(1);
  bool after_mark = false;
  for (const char c : expression) {
    if (after_mark && (c == '+' || c == '-')) {
      texts.emplace_back(c == '-' ? "-" : "");
      after_mark = false;
    } else {
      texts.back() += c;
      after_mark = after_mark || c == '*' || c == '?';
    }
  }
  return texts;
}

}  // namespace

Combination parse_combination(const std::string& definition) {
  const std::size_t equals = definition.find('=');
  if (equals == std::string::npos) {
    throw CombinationError("combination '" + definition + "' is not NAME=EXPRESSION");
  }
  Combination combination;
  combination.name = definition.substr(0, equals);
  check_name(combination.name, definition);
  combination.expression = definition.substr(equals + 1);
  if (combination.expression.empty()) {
    throw CombinationError("combination " + combination.name + " has no terms");
  }
  for (const std::string& text : term_texts(combination.expression)) {
    try {
      combination.terms.push_back(term_of(text));
    } catch (const CombinationError& error) {
      throw CombinationError("combination " + combination.name + ": " + error.what());
    }
  }
  return combination;
}

void check_combinations(const std::vector<Combination>& combinations, std::size_t case_count) {
  for (std::size_t k = 0; k < combinations.size(); ++k) {
    const Combination& combination = combinations[k];
    for (std::size_t j = 0; j < k; ++j) {
      if (lowercase(combinations[j].name) == lowercase(combination.name)) {
        throw CombinationError("combination name " + combination.name + " is given twice" +
                               (combinations[j].name == combination.name
                                    ? ""
                                    : " (as " + combinations[j].name +
                                          ": names that differ only in capitals name the same "
                                          "files on some systems)"));
      }
    }
    const auto patterns = std::count_if(combination.terms.begin(), combination.terms.end(),
                                        [](const CombinationTerm& term) { return term.pattern; });
    if (patterns > static_cast<long>(max_pattern_terms)) {
      throw CombinationError("combination " + combination.name + " has more than " +
                             std::to_string(max_pattern_terms) + " pattern terms");
    }
    for (const CombinationTerm& term : combination.terms) {
      if (term.case_number > case_count) {
        throw CombinationError("combination " + combination.name + ": term '" + term.text +
                               "': the model has " + std::to_string(case_count) + " load case" +
                               (case_count == 1 ? "" : "s"));
      }
    }
  }
}

bool has_pattern_terms(const Combination& combination) {
  return std::any_of(combination.terms.begin(), combination.terms.end(),
                     [](const CombinationTerm& term) { return term.pattern; });
}

LoadCaseResults combined_results(const AnalysisResults& analysis,
                                 const std::vector<CombinationTerm>& terms) {
  const LoadCaseResults& shape = analysis.cases.front();
  LoadCaseResults sum;
  sum.single = false;
  sum.nodes.assign(shape.nodes.size(), {});
  sum.elements.assign(shape.elements.size(), {});
  sum.supports.assign(shape.supports.size(), {});
  for (std::size_t s = 0; s < shape.supports.size(); ++s) {
    sum.supports[s].node = shape.supports[s].node;
  }
  for (const CombinationTerm& term : terms) {
    const LoadCaseResults& one = analysis.cases[term.case_number - 1];
    const double f = term.factor;
    for (std::size_t n = 0; n < one.nodes.size(); ++n) {
      sum.nodes[n].w += f * one.nodes[n].w;
      sum.nodes[n].theta_x += f * one.nodes[n].theta_x;
      sum.nodes[n].theta_y += f * one.nodes[n].theta_y;
    }
    for (std::size_t e = 0; e < one.elements.size(); ++e) {
      for (std::size_t p = 0; p < 4; ++p) {
        PointResultants& to = sum.elements[e].points[p];
        const PointResultants& from = one.elements[e].points[p];
        to.mx += f * from.mx;
        to.my += f * from.my;
        to.mxy += f * from.mxy;
        to.qx += f * from.qx;
        to.qy += f * from.qy;
      }
    }
    for (std::size_t s = 0; s < one.supports.size(); ++s) {
      sum.supports[s].force_w += f * one.supports[s].force_w;
      sum.supports[s].moment_x += f * one.supports[s].moment_x;
      sum.supports[s].moment_y += f * one.supports[s].moment_y;
    }
  }
  return sum;
}

CaseFields combination_fields(const PlateModel& model, const AnalysisResults& analysis,
                              const Combination& combination, WDirection direction,
                              NodalRecovery recovery) {
  return combination_fields(model, analysis, combination, direction, NodalMethod(model, recovery));
}

CaseFields combination_fields(const PlateModel& model, const AnalysisResults& analysis,
                              const Combination& combination, WDirection direction,
                              const NodalMethod& method) {
  CaseFields fields =
      case_fields(model, combined_results(analysis, combination.terms), direction, method);
  fields.label = combination.name;
  fields.tag = combination.name;
  fields.key = combination.name;
  fields.heading = "combination " + combination.name;
  fields.title = "Combination " + combination.name + " = " + combination.expression;
  fields.case_factors.assign(analysis.cases.size(), 0.0);
  for (const CombinationTerm& term : combination.terms) {
    fields.case_factors[term.case_number - 1] += term.factor;
  }
  return fields;
}

std::string terms_text(const std::vector<CombinationTerm>& terms) {
  std::string text;
  for (const CombinationTerm& term : terms) {
    if (!text.empty() && term.factor >= 0) {
      text += '+';
    }
    text += double_text(term.factor) + '*' + std::to_string(term.case_number);
  }
  return text;
}

}  // namespace lajefem
