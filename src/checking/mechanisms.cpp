#include "checking/mechanisms.hpp"

#include <algorithm>
#include <cmath>
#include <variant>

#include "analysis/analysis.hpp"
#include "checking/mechanism_messages.hpp"
#include "checking/mechanism_modes.hpp"
#include "checking/soft_patterns.hpp"

namespace lajefem {

namespace {

using Eigen::MatrixXd;
using Eigen::VectorXd;

// The mechanisms of one part, from the null space of its scaled stiffness.
Findings part_mechanisms(const PlateModel& model, const std::vector<double>& k,
                         const PlatePart& part, std::size_t part_count,
                         const std::vector<int>& weak) {
  const int equations = static_cast<int>(3 * model.nodes.size());
  const PartFreedoms freedoms = part_freedoms(model, part, weak, equations);
  VectorXd scale;
  const MatrixXd a = scaled_stiffness(k, equations, freedoms, scale);
  const MatrixXd scaled_null = null_basis(a, freedoms);
  const std::string name = part_text(part, part_count);
  const int element = part_count == 1 ? 0 : part.elements.front();
  if (scaled_null.cols() == 0) {
    const auto soft = soft_pattern(model, part, freedoms, a, scale);
    if (!soft || soft->ratio <= soft_pattern_ratio) {
      return {};
    }
    return {{Severity::error, "mechanism-soft-spurious", 0, 0, element, 0,
             soft_spurious_message(model, part, name, soft->ratio)}};
  }
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

}  // namespace

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

double soft_pattern_measure(const PlateModel& model, const std::vector<double>& stiffness) {
  const int equations = static_cast<int>(3 * model.nodes.size());
  const std::vector<int> weak = local_freedoms(stiffness, equations);
  double softest = 0;
  for (const PlatePart& part : plate_parts(model)) {
    const PartFreedoms freedoms = part_freedoms(model, part, weak, equations);
    VectorXd scale;
    const MatrixXd a = scaled_stiffness(stiffness, equations, freedoms, scale);
    const auto soft = soft_pattern(model, part, freedoms, a, scale);
    if (soft) {
      softest = std::max(softest, soft->ratio);
    }
  }
  return softest;
}

double soft_pattern_limit() {
  return soft_pattern_ratio;
}

namespace {

// The mechanism findings of the model's own stiffness with springs; none when it cannot be formed.
Findings stiffness_mechanisms(const PlateModel& model) {
  const StiffnessOutcome stiffness = assemble_model_stiffness(model);
  const auto* matrix = std::get_if<std::vector<double>>(&stiffness);
  return matrix == nullptr ? Findings() : find_mechanisms(model, *matrix);
}

}  // namespace

std::string explain_soft_spurious(const PlateModel& model) {
  std::string text;
  for (const Finding& finding : stiffness_mechanisms(model)) {
    if (finding.code == "mechanism-soft-spurious") {
      text += (text.empty() ? "" : "; ") + finding.message;
    }
  }
  return text;
}

double solution_pattern_measure(const PlateModel& model, const AnalysisResults& results) {
  const StiffnessOutcome stiffness = assemble_model_stiffness(model);
  const auto* matrix = std::get_if<std::vector<double>>(&stiffness);
  return matrix == nullptr ? 0.0 : solution_pattern_ratio(model, *matrix, results);
}

double solution_pattern_limit() {
  return solution_pattern_ratio_limit;
}

std::string explain_mechanisms(const PlateModel& model) {
  std::string text;
  for (const Finding& finding : stiffness_mechanisms(model)) {
    text += (finding.node != 0 ? "node " + std::to_string(finding.node) + ": " : "") +
            finding.message + "\n";
  }
  return text;
}

}  // namespace lajefem
