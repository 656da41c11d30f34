#include "postprocessing/envelopes.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

#include "postprocessing/number_text.hpp"

namespace lajefem {

namespace {

using PatternMask = std::uint64_t;  // bit t: pattern term t is taken

// Two sets whose values differ by less than this part of the field's largest magnitude are equal
// (a combination and a pattern that realises the same sum differ by round-off): the first governs.
constexpr double tie_tolerance = 1e-12;

double largest_magnitude(const std::vector<Envelope>& parts, std::size_t f) {
  double largest = 0;
  for (const Envelope& part : parts) {
    for (const std::vector<double>* values : {&part.fields[f].greatest, &part.fields[f].least}) {
      for (const double value : *values) {
        largest = std::max(largest, std::fabs(value));
      }
    }
  }
  return largest;
}

// Node fields formed from the moments at the node rather than summed over the loads.
bool is_formed_from_moments(const std::string& name) {
  return name == "M1" || name == "M2" || name == "M1_angle" || name == "Mx_bottom" ||
         name == "My_bottom" || name == "Mx_top" || name == "My_top";
}

double formed_value(const std::string& name, const Moments& m, WDirection direction) {
  if (name == "M1" || name == "M2" || name == "M1_angle") {
    const PrincipalMoments principal = principal_moments(m);
    return name == "M1" ? principal.m1 : name == "M2" ? principal.m2 : principal.angle;
  }
  const DesignMoments design = design_moments(m, direction);
  if (name == "Mx_bottom")
    return design.bottom.mx;
  if (name == "My_bottom")
    return design.bottom.my;
  if (name == "Mx_top")
    return design.top.mx;
  return design.top.my;
}

// An envelope field for every node field but the angle, with no values yet.
std::vector<EnvelopeField> empty_fields(const FieldTable& nodes) {
  std::vector<EnvelopeField> fields;
  for (const Field& field : nodes) {
    if (field.name != "M1_angle") {
      fields.push_back({field.name, field.column, field.unit, field.single, {}, {}, {}, {}});
    }
  }
  return fields;
}

std::size_t governing_index(std::vector<std::string>& governing, const std::string& label) {
  const auto found = std::find(governing.begin(), governing.end(), label);
  if (found != governing.end()) {
    return static_cast<std::size_t>(found - governing.begin());
  }
  governing.push_back(label);
  return governing.size() - 1;
}

// The node fields of a pattern combination's parts: its fixed terms together, and each pattern
// term alone (its factor applied), all in double.
struct PatternParts {
  FieldTable fixed;
  std::vector<FieldTable> terms;
  std::vector<CombinationTerm> fixed_terms;
  std::vector<CombinationTerm> pattern_terms;
};

PatternParts pattern_parts(const PlateModel& model, const AnalysisResults& analysis,
                           const Combination& combination, WDirection direction,
                           const NodalMethod& method) {
  PatternParts parts;
  for (const CombinationTerm& term : combination.terms) {
    (term.pattern ? parts.pattern_terms : parts.fixed_terms).push_back(term);
  }
  if (parts.pattern_terms.size() > max_pattern_terms) {
    throw CombinationError("combination " + combination.name + " has more than " +
                           std::to_string(max_pattern_terms) + " pattern terms");
  }
  parts.fixed =
      case_fields(model, combined_results(analysis, parts.fixed_terms), direction, method).nodes;
  for (const CombinationTerm& term : parts.pattern_terms) {
    parts.terms.push_back(
        case_fields(model, combined_results(analysis, {term}), direction, method).nodes);
  }
  return parts;
}

// The patterns that make greatest and least, at node n, each linear field and Mx ± Mxy, My ± Mxy:
// a term is taken for the greatest where its own value there is positive, for the least where
// it is negative.
std::vector<PatternMask> node_patterns(const PatternParts& parts, std::size_t n) {
  const FieldTable& names = parts.fixed;
  std::vector<std::vector<double>> drivers;  // per driver, each pattern term's value at n
  const auto add_driver = [&](auto value_of_term) {
    std::vector<double> values;
    for (const FieldTable& term : parts.terms) {
      values.push_back(value_of_term(term));
    }
    drivers.push_back(std::move(values));
  };
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!is_formed_from_moments(names[i].name)) {
      add_driver([&](const FieldTable& term) { return term[i].values[n]; });
    }
  }
  for (const char* name : {"Mx", "My"}) {
    for (const double sign : {1.0, -1.0}) {
      add_driver([&](const FieldTable& term) {
        return field_named(term, name).values[n] + sign * field_named(term, "Mxy").values[n];
      });
    }
  }
  std::vector<PatternMask> masks;
  for (const std::vector<double>& values : drivers) {
    PatternMask raising = 0;
    PatternMask lowering = 0;
    for (std::size_t t = 0; t < values.size(); ++t) {
      raising |= values[t] > 0 ? PatternMask{1} << t : 0;
      lowering |= values[t] < 0 ? PatternMask{1} << t : 0;
    }
    for (const PatternMask mask : {raising, lowering}) {
      if (std::find(masks.begin(), masks.end(), mask) == masks.end()) {
        masks.push_back(mask);
      }
    }
  }
  return masks;
}

// Every node field's value at node n under one pattern, in the fields' order.
std::vector<double> pattern_values(const PatternParts& parts, std::size_t n, PatternMask mask,
                                   WDirection direction) {
  std::vector<double> values;
  Moments moments;
  for (std::size_t i = 0; i < parts.fixed.size(); ++i) {
    double value = parts.fixed[i].values[n];
    for (std::size_t t = 0; t < parts.terms.size(); ++t) {
      if ((mask >> t) & 1) {
        value += parts.terms[t][i].values[n];
      }
    }
    values.push_back(value);
    const std::string& name = parts.fixed[i].name;
    if (name == "Mx") {
      moments.mx = value;
    } else if (name == "My") {
      moments.my = value;
    } else if (name == "Mxy") {
      moments.mxy = value;
    }
  }
  for (std::size_t i = 0; i < parts.fixed.size(); ++i) {
    if (is_formed_from_moments(parts.fixed[i].name)) {
      values[i] = formed_value(parts.fixed[i].name, moments, direction);
    }
  }
  return values;
}

// "ULS: 1.35*1+1.5*3", the combination as one pattern realises it.
std::string pattern_label(const Combination& combination, const PatternParts& parts,
                          PatternMask mask) {
  std::vector<CombinationTerm> taken = parts.fixed_terms;
  for (std::size_t t = 0; t < parts.pattern_terms.size(); ++t) {
    if ((mask >> t) & 1) {
      taken.push_back(parts.pattern_terms[t]);
    }
  }
  return combination.name + ": " + (taken.empty() ? "no load" : terms_text(taken));
}

}  // namespace

std::string envelope_value_text(const EnvelopeField& field, double value) {
  return field.single ? float_text(static_cast<float>(value)) : double_text(value);
}

const EnvelopeField& envelope_field(const Envelope& envelope, const std::string& name) {
  for (const EnvelopeField& field : envelope.fields) {
    if (field.name == name) {
      return field;
    }
  }
  throw std::out_of_range("no envelope field " + name);
}

Field extreme_field(const EnvelopeField& field, bool greatest) {
  const std::string suffix = greatest ? "_max" : "_min";
  return {field.name + suffix, field.column + suffix, field.unit, field.single,
          greatest ? field.greatest : field.least};
}

CaseFields envelope_set(const Envelope& envelope) {
  CaseFields set;
  set.label = envelope.label;
  set.tag = envelope.tag;
  set.key = envelope.label;
  set.heading = envelope.heading;
  for (const EnvelopeField& field : envelope.fields) {
    for (const bool greatest : {true, false}) {
      set.nodes.push_back(extreme_field(field, greatest));
      const std::vector<std::size_t>& by = greatest ? field.greatest_by : field.least_by;
      Field numbers{set.nodes.back().name + "_by", set.nodes.back().column + "_by", "", false, {}};
      for (const std::size_t index : by) {
        numbers.values.push_back(static_cast<double>(index + 1));
      }
      set.nodes.push_back(std::move(numbers));
    }
  }
  return set;
}

Envelope single_set_envelope(const CaseFields& fields) {
  Envelope envelope{fields.label, fields.tag, fields.heading, fields.title, {fields.label}, {}};
  envelope.fields = empty_fields(fields.nodes);
  for (EnvelopeField& field : envelope.fields) {
    field.greatest = field_named(fields.nodes, field.name).values;
    field.least = field.greatest;
    field.greatest_by.assign(field.greatest.size(), 0);
    field.least_by = field.greatest_by;
  }
  return envelope;
}

Envelope merged_envelope(const std::vector<Envelope>& parts, const std::string& label,
                         const std::string& tag, const std::string& heading) {
  Envelope envelope{label, tag, heading, "E" + heading.substr(1), {}, {}};
  if (parts.empty()) {
    return envelope;
  }
  envelope.fields = parts.front().fields;
  for (EnvelopeField& field : envelope.fields) {
    field.greatest_by.assign(field.greatest.size(), 0);
    field.least_by.assign(field.least.size(), 0);
  }
  // Each part's own governing labels, re-indexed in the merged list.
  std::vector<std::vector<std::size_t>> index(parts.size());
  for (std::size_t k = 0; k < parts.size(); ++k) {
    for (const std::string& name : parts[k].governing) {
      index[k].push_back(governing_index(envelope.governing, name));
    }
  }
  for (std::size_t f = 0; f < envelope.fields.size(); ++f) {
    EnvelopeField& field = envelope.fields[f];
    const double tolerance = tie_tolerance * largest_magnitude(parts, f);
    for (const Envelope& part : parts) {
      field.single = field.single && part.fields[f].single;
    }
    for (std::size_t n = 0; n < field.greatest.size(); ++n) {
      field.greatest_by[n] = index[0][parts[0].fields[f].greatest_by[n]];
      field.least_by[n] = index[0][parts[0].fields[f].least_by[n]];
      for (std::size_t k = 1; k < parts.size(); ++k) {
        const EnvelopeField& other = parts[k].fields[f];
        if (other.greatest[n] > field.greatest[n] + tolerance) {
          field.greatest[n] = other.greatest[n];
          field.greatest_by[n] = index[k][other.greatest_by[n]];
        }
        if (other.least[n] < field.least[n] - tolerance) {
          field.least[n] = other.least[n];
          field.least_by[n] = index[k][other.least_by[n]];
        }
      }
    }
  }
  return envelope;
}

Envelope pattern_envelope(const PlateModel& model, const AnalysisResults& analysis,
                          const Combination& combination, WDirection direction,
                          NodalRecovery recovery) {
  return pattern_envelope(model, analysis, combination, direction, NodalMethod(model, recovery));
}

Envelope pattern_envelope(const PlateModel& model, const AnalysisResults& analysis,
                          const Combination& combination, WDirection direction,
                          const NodalMethod& method) {
  const PatternParts parts = pattern_parts(model, analysis, combination, direction, method);
  Envelope envelope{combination.name,
                    combination.name + "-envelope",
                    "envelope of " + combination.name,
                    "Envelope of " + combination.name + " = " + combination.expression,
                    {},
                    empty_fields(parts.fixed)};
  std::map<PatternMask, std::size_t> label_of_mask;
  const std::size_t node_count = model.nodes.size();
  for (EnvelopeField& field : envelope.fields) {
    field.greatest.assign(node_count, 0.0);
    field.least.assign(node_count, 0.0);
    field.greatest_by.assign(node_count, 0);
    field.least_by.assign(node_count, 0);
  }
  for (std::size_t n = 0; n < node_count; ++n) {
    bool first = true;
    for (const PatternMask mask : node_patterns(parts, n)) {
      const std::vector<double> values = pattern_values(parts, n, mask, direction);
      if (label_of_mask.count(mask) == 0) {
        label_of_mask[mask] =
            governing_index(envelope.governing, pattern_label(combination, parts, mask));
      }
      const std::size_t by = label_of_mask[mask];
      std::size_t f = 0;
      for (std::size_t i = 0; i < parts.fixed.size(); ++i) {
        if (parts.fixed[i].name == "M1_angle") {
          continue;
        }
        EnvelopeField& field = envelope.fields[f++];
        if (first || values[i] > field.greatest[n]) {
          field.greatest[n] = values[i];
          field.greatest_by[n] = by;
        }
        if (first || values[i] < field.least[n]) {
          field.least[n] = values[i];
          field.least_by[n] = by;
        }
      }
      first = false;
    }
  }
  return envelope;
}

}  // namespace lajefem
