#include "checking/mechanisms.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <variant>

#include "analysis/analysis.hpp"
#include "checking/lowest_modes.hpp"
#include "checking/mechanism_messages.hpp"
#include "checking/mechanism_modes.hpp"
#include "checking/soft_patterns.hpp"
#include "model/limits.hpp"
#include "sparse/sparse_assembly.hpp"

namespace lajefem {

namespace {

using Eigen::MatrixXd;
using Eigen::VectorXd;

std::vector<bool> w_rows(const PartFreedoms& freedoms) {
  std::vector<bool> is_w;
  for (const int equation : freedoms.equations) {
    is_w.push_back(equation % 3 == 0);
  }
  return is_w;
}

Finding soft_spurious_finding(const PlateModel& model, const PlatePart& part,
                              const std::string& name, int element, double ratio) {
  return {Severity::error,
          "mechanism-soft-spurious",
          0,
          0,
          element,
          0,
          soft_spurious_message(model, part, name, ratio)};
}

// The mechanisms of one part from an orthonormal basis of the null space of its scaled stiffness
// (not empty), told apart by the motion patterns.
Findings classified_mechanisms(const PlateModel& model, const PlatePart& part,
                               const PartFreedoms& freedoms, const VectorXd& scale,
                               const MatrixXd& scaled_null, const std::string& name, int element) {
  // Null motions in the part's measure: w in m, rotations times the part's size.
  VectorXd measure(scale.size());
  for (Eigen::Index row = 0; row < scale.size(); ++row) {
    measure(row) = scale(row) * (freedoms.equations[row] % 3 == 0 ? 1.0 : freedoms.length);
  }
  const MatrixXd null = orthonormal_columns(measure.asDiagonal() * scaled_null);
  const MatrixXd patterns = motion_patterns(model, part, freedoms, checkerboard_signs(model, part));
  const MatrixXd rigid = shared_combinations(null, patterns.leftCols(3));
  const auto with_checkerboard = shared_combinations(null, patterns).cols();
  Findings findings;
  if (rigid.cols() > 0) {
    findings.push_back({Severity::error, "mechanism-rigid", 0, 0, element, 0,
                        rigid_message(model, rigid, freedoms, name)});
  }
  if (with_checkerboard > rigid.cols()) {
    findings.push_back({Severity::error, "mechanism-spurious", 0, 0, element, 0,
                        spurious_message(model, part, name)});
  }
  const MatrixXd rest = unexplained_directions(null, patterns);
  const std::vector<bool> sprung = sprung_equations(model);
  for (Eigen::Index column = 0; column < rest.cols(); ++column) {
    if (strains_nothing(model, part, freedoms, rest.col(column), sprung)) {
      findings.push_back(
          {Severity::error, "mechanism-global", 0, 0, element, 0, global_message(name)});
      break;
    }
  }
  return findings;
}

// The mechanisms of one part, from the null space of its scaled stiffness.
Findings part_mechanisms(const PlateModel& model, const std::vector<double>& k,
                         const PlatePart& part, std::size_t part_count,
                         const std::vector<int>& weak) {
  const int equations = static_cast<int>(3 * model.nodes.size());
  const PartFreedoms freedoms = part_freedoms(model, part, weak, equations);
  VectorXd scale;
  const MatrixXd a = scaled_stiffness(k, equations, freedoms, scale);
  const CondensedStiffness condensed = condensed_stiffness(a, freedoms);
  const MatrixXd scaled_null = null_basis(a, condensed);
  const std::string name = part_text(part, part_count);
  const int element = part_count == 1 ? 0 : part.elements.front();
  if (scaled_null.cols() == 0) {
    const auto soft = soft_pattern(model, part, freedoms, condensed, scale);
    if (!soft || soft->ratio <= soft_pattern_ratio) {
      return {};
    }
    return {soft_spurious_finding(model, part, name, element, soft->ratio)};
  }
  return classified_mechanisms(model, part, freedoms, scale, scaled_null, name, element);
}

// The same from the sparse stiffness: the null space from the few lowest modes.
Findings sparse_part_mechanisms(const PlateModel& model, const UpperMatrix& k,
                                const PlatePart& part, std::size_t part_count,
                                const std::vector<int>& weak) {
  const int equations = static_cast<int>(k.pattern.equations);
  const PartFreedoms freedoms = part_freedoms(model, part, weak, equations);
  if (freedoms.equations.empty()) {
    return {};
  }
  VectorXd scale;
  const UpperMatrix a = scaled_part_stiffness(k, freedoms, scale);
  const NullModes modes = null_modes(a, w_rows(freedoms));
  const std::string name = part_text(part, part_count);
  const int element = part_count == 1 ? 0 : part.elements.front();
  if (modes.basis.cols() == 0) {
    const auto soft =
        modes.factor ? soft_pattern(model, part, freedoms, a, scale, *modes.factor) : std::nullopt;
    if (!soft || soft->ratio <= soft_pattern_ratio) {
      return {};
    }
    return {soft_spurious_finding(model, part, name, element, soft->ratio)};
  }
  return classified_mechanisms(model, part, freedoms, scale, modes.basis, name, element);
}

}  // namespace

double soft_pattern_measure(const PlateModel& model, const UpperMatrix& k) {
  const std::vector<int> weak = local_freedoms(k);
  double softest = 0;
  for (const PlatePart& part : plate_parts(model)) {
    const PartFreedoms freedoms =
        part_freedoms(model, part, weak, static_cast<int>(k.pattern.equations));
    if (freedoms.equations.empty()) {
      continue;
    }
    VectorXd scale;
    const UpperMatrix a = scaled_part_stiffness(k, freedoms, scale);
    const NullModes modes = null_modes(a, w_rows(freedoms));
    if (modes.basis.cols() == 0 && modes.factor) {
      if (const auto soft = soft_pattern(model, part, freedoms, a, scale, *modes.factor)) {
        softest = std::max(softest, soft->ratio);
      }
    }
  }
  return softest;
}

Findings find_mechanisms(const PlateModel& model, const std::vector<double>& stiffness) {
  const int equations = static_cast<int>(3 * model.nodes.size());
  const std::vector<int> weak = local_freedoms(stiffness, equations);
  Findings findings = local_mechanism_findings(model, weak);
  const std::vector<PlatePart> parts = plate_parts(model);
  for (const PlatePart& part : parts) {
    Findings found = part_mechanisms(model, stiffness, part, parts.size(), weak);
    findings.insert(findings.end(), found.begin(), found.end());
  }
  return findings;
}

Findings find_mechanisms(const PlateModel& model, const UpperMatrix& stiffness) {
  const std::vector<int> weak = local_freedoms(stiffness);
  Findings findings = local_mechanism_findings(model, weak);
  const std::vector<PlatePart> parts = plate_parts(model);
  for (const PlatePart& part : parts) {
    Findings found = sparse_part_mechanisms(model, stiffness, part, parts.size(), weak);
    findings.insert(findings.end(), found.begin(), found.end());
  }
  return findings;
}

double soft_pattern_measure(const PlateModel& model, const std::vector<double>& stiffness) {
  const int equations = static_cast<int>(3 * model.nodes.size());
  const std::vector<int> weak = local_freedoms(stiffness, equations);
  double softest = 0;
  for (const PlatePart& part : plate_parts(model)) {
    const PartFreedoms freedoms = part_freedoms(model, part, weak, equations);
    VectorXd scale;
    const MatrixXd a = scaled_stiffness(stiffness, equations, freedoms, scale);
    const auto soft = soft_pattern(model, part, freedoms, condensed_stiffness(a, freedoms), scale);
    if (soft) {
      softest = std::max(softest, soft->ratio);
    }
  }
  return softest;
}

double soft_pattern_limit() {
  return soft_pattern_ratio;
}

ModelStiffness model_stiffness_any_size(const PlateModel& model) {
  ModelStiffness stiffness;
  if (model.nodes.size() <= static_cast<std::size_t>(limits::max_nodes)) {
    StiffnessOutcome dense = assemble_model_stiffness(model);
    if (auto* matrix = std::get_if<std::vector<double>>(&dense)) {
      stiffness.dense = std::move(*matrix);
      return stiffness;
    }
  }
  if (!sparse::element_stop(model)) {
    stiffness.sparse = model_sparse_stiffness(model);
  }
  return stiffness;
}

namespace {

// `take(k)` of the stiffness formed, sparse or dense; `none` when neither could be formed.
template <typename Result, typename Take>
Result of_formed(const ModelStiffness& stiffness, const Take& take, Result none) {
  if (stiffness.sparse) {
    return take(*stiffness.sparse);
  }
  return stiffness.formed() ? Result(take(stiffness.dense)) : none;
}

}  // namespace

std::optional<Findings> model_mechanisms(const PlateModel& model, const ModelStiffness& stiffness) {
  return of_formed<std::optional<Findings>>(
      stiffness, [&](const auto& k) { return find_mechanisms(model, k); }, std::nullopt);
}

std::optional<Findings> model_mechanisms(const PlateModel& model) {
  return model_mechanisms(model, model_stiffness_any_size(model));
}

double soft_pattern_measure(const PlateModel& model) {
  return of_formed(
      model_stiffness_any_size(model),
      [&](const auto& k) { return soft_pattern_measure(model, k); }, 0.0);
}

std::string explain_soft_spurious(const PlateModel& model, const ModelStiffness& stiffness) {
  return joined_messages(model_mechanisms(model, stiffness).value_or(Findings()),
                         "mechanism-soft-spurious");
}

std::string explain_soft_spurious(const PlateModel& model) {
  return explain_soft_spurious(model, model_stiffness_any_size(model));
}

namespace {

// The sparse engine gives each case's stored energy: no stiffness needs forming for the measure.
bool has_stored_energies(const AnalysisResults& results) {
  return !results.cases.empty() &&
         std::all_of(results.cases.begin(), results.cases.end(),
                     [](const LoadCaseResults& c) { return c.stored_energy.has_value(); });
}

}  // namespace

double solution_pattern_measure(const PlateModel& model, const ModelStiffness& stiffness,
                                const AnalysisResults& results) {
  if (has_stored_energies(results)) {
    return solution_pattern_ratio(model, results);
  }
  return of_formed(
      stiffness, [&](const auto& k) { return solution_pattern_ratio(model, k, results); }, 0.0);
}

double solution_pattern_measure(const PlateModel& model, const AnalysisResults& results) {
  if (has_stored_energies(results)) {
    return solution_pattern_ratio(model, results);
  }
  return solution_pattern_measure(model, model_stiffness_any_size(model), results);
}

double solution_pattern_limit() {
  return solution_pattern_ratio_limit;
}

std::string explain_mechanisms(const PlateModel& model) {
  std::string text;
  for (const Finding& finding : model_mechanisms(model).value_or(Findings())) {
    text += (finding.node != 0 ? "node " + std::to_string(finding.node) + ": " : "") +
            finding.message + "\n";
  }
  return text;
}

}  // namespace lajefem
