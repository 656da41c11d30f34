// Load combinations and envelopes: a combination against the analysis of the factored loads, the
// envelope's governing set on loads of opposite signs, a pattern envelope against every pattern
// enumerated, and the definitions refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include "analysis/analysis.hpp"
#include "postprocessing/combinations.hpp"
#include "postprocessing/envelopes.hpp"
#include "postprocessing/export_summary.hpp"
#include "postprocessing/result_sets.hpp"
#include "sparse/sparse_analysis.hpp"
#include "tests/common/plate_grid.hpp"

namespace lajefem {
namespace {

constexpr int divisions = 6;
constexpr WDirection up = WDirection::up;

PlateLoad uniform(float q) {
  PlateLoad load;
  load.type = 2;
  load.values[0] = q;
  return load;
}

PlateLoad nodal(int node, float force, float moment_x) {
  PlateLoad load;
  load.type = 1;
  load.node = node;
  load.values[0] = force;
  load.values[1] = moment_x;
  return load;
}

// A 4 m square slab, 6 × 6 elements, simply supported on its edges, with the given load cases.
PlateModel square_slab(const std::vector<std::vector<PlateLoad>>& cases) {
  PlateModel model = test::hard_supported_square(divisions, 4, 0.2f, 0);
  for (const std::vector<PlateLoad>& loads : cases) {
    model.load_cases.push_back({loads});
  }
  return model;
}

const int centre = test::grid_node(divisions, 3, 3);
const int off_centre = test::grid_node(divisions, 1, 2);

// Dead load, a point load at the centre, a point force with a moment elsewhere, uplift.
const std::vector<std::vector<PlateLoad>> four_cases = {
    {uniform(-10)}, {nodal(centre, -50, 0)}, {nodal(off_centre, 20, 5)}, {uniform(3)}};

AnalysisResults analysed(const PlateModel& model) {
  AnalysisOutcome outcome = analyse_plate_model(model);
  EXPECT_TRUE(std::holds_alternative<AnalysisResults>(outcome));
  return std::get<AnalysisResults>(std::move(outcome));
}

double largest_magnitude(const std::vector<double>& values) {
  double largest = 0;
  for (const double value : values) {
    largest = std::max(largest, std::fabs(value));
  }
  return largest;
}

// Every field of `table` within `relative` of its largest magnitude of the same field of `expected`
// (the angle aside: it is undefined where the principal moments meet).
void expect_same_fields(const FieldTable& table, const FieldTable& expected, double relative,
                        const std::string& what) {
  for (const Field& field : expected) {
    if (field.name == "M1_angle") {
      continue;
    }
    const std::vector<double>& values = field_named(table, field.name).values;
    const double tolerance = relative * std::max(largest_magnitude(field.values), 1e-9);
    for (std::size_t row = 0; row < values.size(); ++row) {
      ASSERT_NEAR(values[row], field.values[row], tolerance)
          << what << ", " << field.name << ", row " << row + 1;
    }
  }
}

// A combination's fields are those of one analysis under the factored sum of its cases' loads.
TEST(Combinations, EqualTheAnalysisOfTheFactoredLoads) {
  const PlateModel model = square_slab(four_cases);
  const AnalysisResults results = analysed(model);
  for (const char* definition :
       {"ULS=1.35*1+1.5*2", "SLS=1*1+1*2+1*3", "lift=1*1-0.5*2+1*4", "twice=2*3"}) {
    const Combination combination = parse_combination(definition);
    const CaseFields combined = combination_fields(model, results, combination, up);
    std::vector<PlateLoad> factored_loads;
    for (const CombinationTerm& term : combination.terms) {
      for (PlateLoad load : four_cases[term.case_number - 1]) {
        for (float& value : load.values) {
          value *= static_cast<float>(term.factor);
        }
        factored_loads.push_back(load);
      }
    }
    const PlateModel factored = square_slab({factored_loads});
    const CaseFields one = load_case_fields(model, analysed(factored).cases[0], 0, 1, up);
    // The factored model's resultants are the program's single-precision values.
    expect_same_fields(combined.nodes, one.nodes, 1e-5, definition);
    expect_same_fields(combined.points, one.points, 1e-5, definition);
    expect_same_fields(combined.cells, one.cells, 1e-5, definition);
    double load = 0;
    for (std::size_t c = 0; c < combined.case_factors.size(); ++c) {
      load += combined.case_factors[c] * applied_vertical_load(model, c);
    }
    EXPECT_NEAR(load, applied_vertical_load(factored, 0), 1e-9 * std::fabs(load)) << definition;
    EXPECT_NEAR(reaction_sum(combined), -load, 1e-5 * std::fabs(load)) << definition;
  }
}

// Down and up loads of 1 and 2 kN/m²: mid-span bottom moments and the least w come from the
// downward set, the top moments there from the upward one at twice the value (the plate is linear).
TEST(Envelopes, NameTheGoverningSet) {
  const PlateModel model = square_slab({{uniform(-1)}, {uniform(2)}});
  const AnalysisResults results = analysed(model);
  const ResultSets sets = result_sets(
      model, results, {parse_combination("DOWN=1*1"), parse_combination("UP=1*2")}, true, up);
  ASSERT_EQ(sets.envelopes.size(), 1u);
  const Envelope& envelope = sets.envelopes[0];
  const std::size_t n = centre - 1;
  const auto governing = [&](const char* name, bool greatest) {
    const EnvelopeField& field = envelope_field(envelope, name);
    return envelope.governing[greatest ? field.greatest_by[n] : field.least_by[n]];
  };
  EXPECT_EQ(governing("w", false), "DOWN");
  EXPECT_EQ(governing("w", true), "UP");
  EXPECT_EQ(governing("Mx_bottom", true), "DOWN");
  EXPECT_EQ(governing("My_bottom", true), "DOWN");
  EXPECT_EQ(governing("Mx_top", false), "UP");
  EXPECT_EQ(governing("My_top", false), "UP");
  const double bottom = envelope_field(envelope, "Mx_bottom").greatest[n];
  EXPECT_GT(bottom, 0);
  EXPECT_NEAR(envelope_field(envelope, "Mx_top").least[n], -2 * bottom, 1e-6 * bottom);
  EXPECT_NEAR(envelope_field(envelope, "w").least[n],
              field_named(sets.sets[2].nodes, "w").values[n], 0);
  // Without combinations, over the load cases.
  const Envelope cases = result_sets(model, results, {}, true, up).envelopes[0];
  EXPECT_EQ(cases.governing[envelope_field(cases, "Mx_bottom").greatest_by[n]], "case 1");
  EXPECT_EQ(cases.governing[envelope_field(cases, "Mx_top").least_by[n]], "case 2");
}

bool is_formed_from_moments(const std::string& name) {
  return name == "M1" || name == "M2" || name == "Mx_bottom" || name == "My_bottom" ||
         name == "Mx_top" || name == "My_top";
}

// Where the set that makes the bottom x bars' mx + |mxy| greatest at node n lies in the Wood–Armer
// rule's usual branch (both bottom moments mx + |mxy|, my + |mxy| ≥ 0; m sagging, −M with +w
// up), no set has a greater Mx_bottom there, and the envelope's is the enumerated greatest.
void expect_exact_in_the_usual_branch(const std::vector<CaseFields>& sets, std::size_t n,
                                      double enveloped, double enumerated,
                                      const std::string& where) {
  double best = -INFINITY;
  bool usual = false;
  for (const CaseFields& set : sets) {
    const double mx = -field_named(set.nodes, "Mx").values[n];
    const double my = -field_named(set.nodes, "My").values[n];
    const double twist = std::fabs(field_named(set.nodes, "Mxy").values[n]);
    if (mx + twist > best) {
      best = mx + twist;
      usual = mx + twist >= 0 && my + twist >= 0;
    }
  }
  if (usual) {
    EXPECT_NEAR(enveloped, enumerated, 1e-9 * std::max(1.0, std::fabs(enumerated))) << where;
  }
}

// The pattern envelope of `fixed` plus `pattern_terms` against the 2^k ordinary combinations its
// pattern terms make: the extremes of the fields linear in the loads are the same at every node;
// those formed from the moments lie within the enumerated ones and are the values of the
// combination named as governing.
void expect_pattern_envelope_exact(const PlateModel& model, const AnalysisResults& results,
                                   const std::string& fixed,
                                   const std::vector<std::string>& pattern_terms) {
  std::string definition = "PAT=" + fixed;
  for (const std::string& term : pattern_terms) {
    definition += term;
  }
  const Envelope envelope = pattern_envelope(model, results, parse_combination(definition), up);
  std::vector<CaseFields> enumerated;
  for (std::size_t mask = 0; mask < (std::size_t{1} << pattern_terms.size()); ++mask) {
    std::string taken = "P=" + fixed;
    for (std::size_t t = 0; t < pattern_terms.size(); ++t) {
      if ((mask >> t) & 1) {
        std::string term = pattern_terms[t];
        term[term.find('?')] = '*';
        taken += term;
      }
    }
    enumerated.push_back(combination_fields(model, results, parse_combination(taken), up));
  }
  for (const EnvelopeField& field : envelope.fields) {
    const double tolerance = 1e-9 * largest_magnitude(field.greatest);
    for (std::size_t n = 0; n < model.nodes.size(); ++n) {
      double greatest = -INFINITY;
      double least = INFINITY;
      for (const CaseFields& set : enumerated) {
        greatest = std::max(greatest, field_named(set.nodes, field.name).values[n]);
        least = std::min(least, field_named(set.nodes, field.name).values[n]);
      }
      const std::string where =
          definition + ": " + field.name + " at node " + std::to_string(n + 1);
      if (is_formed_from_moments(field.name)) {
        ASSERT_LE(field.greatest[n], greatest + tolerance) << where;
        ASSERT_GE(field.least[n], least - tolerance) << where;
      } else {
        ASSERT_NEAR(field.greatest[n], greatest, tolerance) << where;
        ASSERT_NEAR(field.least[n], least, tolerance) << where;
      }
      if (field.name == "Mx_bottom") {
        expect_exact_in_the_usual_branch(enumerated, n, field.greatest[n], greatest, where);
      }
      for (const bool most : {true, false}) {
        const std::string label =
            envelope.governing[most ? field.greatest_by[n] : field.least_by[n]];
        const std::string realised = "P=" + label.substr(label.find(": ") + 2);
        const CaseFields set = combination_fields(model, results, parse_combination(realised), up);
        ASSERT_NEAR(field_named(set.nodes, field.name).values[n],
                    most ? field.greatest[n] : field.least[n], tolerance)
            << where << " by " << label;
      }
    }
  }
}

TEST(Envelopes, PatternTermsTakenWhereUnfavourableExactly) {
  const PlateModel model = square_slab(four_cases);
  expect_pattern_envelope_exact(model, analysed(model), "1.35*1",
                                {"+1.5?2", "+1.5?3", "-0.8?3", "+1.2?4"});
}

// Beyond the program's four load cases, through the sparse engine: a point load on each of six
// nodes, a case each, every one a pattern term.
TEST(Envelopes, PatternTermsOverMoreLoadCasesThanTheProgramHolds) {
  std::vector<std::vector<PlateLoad>> cases = {{uniform(-10)}};
  for (int k = 1; k <= 6; ++k) {
    cases.push_back({nodal(test::grid_node(divisions, k % 5 + 1, k / 2 + 1), -20, 0)});
  }
  const PlateModel model = square_slab(cases);
  AnalysisOutcome outcome = sparse::analyse_plate_model_sparse(model);
  ASSERT_TRUE(std::holds_alternative<AnalysisResults>(outcome));
  expect_pattern_envelope_exact(model, std::get<AnalysisResults>(outcome), "1*1",
                                {"+1.5?2", "+1.5?3", "+1.5?4", "+1.5?5", "+1.5?6", "+1.5?7"});
}

// Each definition refused with the part at fault in the message.
TEST(Combinations, RefusedDefinitionsNameTheirFault) {
  const struct {
    std::vector<std::string> definitions;
    std::string message_part;
  } rows[] = {
      {{"ULS"}, "'ULS' is not NAME=EXPRESSION"},
      {{"=1*1"}, "no name"},
      {{"ULS="}, "no terms"},
      {{"ULS=1.35*1+"}, "no term after it"},
      {{"ULS=1.35*1+1.5"}, "term '1.5' is neither"},
      {{"ULS=1,35*1"}, "term '1,35*1': unreadable factor '1,35'"},
      {{"ULS=1.35*1+x?2"}, "term 'x?2': unreadable factor 'x'"},
      {{"ULS=inf*1"}, "unreadable factor 'inf'"},
      {{"ULS=1*0"}, "term '1*0': unreadable load case '0'"},
      {{"ULS=1*1.5"}, "unreadable load case '1.5'"},
      {{"ULS=1*1+1.5*3"}, "term '1.5*3': the model has 2 load cases"},
      {{"ULS=1*1", "ULS=1*2"}, "ULS is given twice"},
      {{"uls=1*1", "ULS=1*2"}, "ULS is given twice (as uls"},
      {{"ULS.1=1*1"}, "'ULS.1' has characters other than"},
      {{"A2345678901234567=1*1"}, "longer than 16 characters"},
      {{"2=1*1"}, "'2' would name the files or rows of a load case"},
      {{"Case1=1*1"}, "of a load case"},
      {{"envelope=1*1"}, "of an envelope"},
      {{"ULS-Envelope=1*1"}, "of an envelope"},
  };
  for (const auto& row : rows) {
    std::string message;
    try {
      std::vector<Combination> combinations;
      for (const std::string& definition : row.definitions) {
        combinations.push_back(parse_combination(definition));
      }
      check_combinations(combinations, 2);
    } catch (const CombinationError& error) {
      message = error.what();
    }
    EXPECT_NE(message.find(row.message_part), std::string::npos)
        << row.definitions.back() << ": '" << message << "'";
  }
}

// Definitions read as written: terms split at the sign after a case number, exponents kept.
TEST(Combinations, ReadTermsAndFactors) {
  const Combination combination = parse_combination("Q-1_b=+1.35*1-0.5?2+1e-1*12");
  ASSERT_EQ(combination.terms.size(), 3u);
  EXPECT_EQ(combination.name, "Q-1_b");
  EXPECT_EQ(combination.terms[0].factor, 1.35);
  EXPECT_EQ(combination.terms[1].factor, -0.5);
  EXPECT_TRUE(combination.terms[1].pattern);
  EXPECT_EQ(combination.terms[2].factor, 0.1);
  EXPECT_EQ(combination.terms[2].case_number, 12u);
  EXPECT_EQ(terms_text(combination.terms), "1.35*1-0.5*2+0.1*12");
}

}  // namespace
}  // namespace lajefem
