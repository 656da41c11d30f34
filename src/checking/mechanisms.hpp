// Mechanisms of a plate model: freedoms without stiffness, and motions that the stiffness with
// its springs does not resist, found from the null space of that stiffness and told apart by
// their parts in the rigid motions (w = a + b·x + c·y, θx = b, θy = c) and in the element's
// spurious patterns (the checkerboard w = ±1, and on a lone element the twist of the rotations).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis.hpp"
#include "checking/findings.hpp"
#include "checking/sparse_part_stiffness.hpp"
#include "model/plate_model.hpp"

namespace lajefem {

// The findings mechanism-local, mechanism-rigid, mechanism-spurious, mechanism-global and
// mechanism-soft-spurious (a part without an exact mechanism whose checkerboard is soft) of a
// model whose stiffness with springs (as assemble_model_stiffness gives it) is `stiffness`.
Findings find_mechanisms(const PlateModel& model, const std::vector<double>& stiffness);

// The same findings from the model's sparse stiffness (model_sparse_stiffness), at any size: the
// null space from the few lowest modes of each part's scaled stiffness.
Findings find_mechanisms(const PlateModel& model, const UpperMatrix& stiffness);

// The largest measure of the element's soft pattern over the model's parts (soft_patterns.hpp),
// 0 where none can be taken.
double soft_pattern_measure(const PlateModel& model, const std::vector<double>& stiffness);

// The same measure from the model's sparse stiffness.
double soft_pattern_measure(const PlateModel& model, const UpperMatrix& stiffness);

// The same measure of the model's own stiffness at any size: as the program forms it within the
// store's nodes and band, from the sparse engine's beyond them; 0 when it cannot be formed.
double soft_pattern_measure(const PlateModel& model);

// The limit above which the check finds that measure soft (mechanism-soft-spurious).
double soft_pattern_limit();

// The model's stiffness with springs as the check forms it: the program's (dense) when the model
// lies within the store's nodes and its steps form it, the sparse engine's otherwise; neither when
// the element loop stops before it is formed. Formed once, it serves each of the measures below
// that takes it.
struct ModelStiffness {
  std::vector<double> dense;
  std::optional<UpperMatrix> sparse;
  bool formed() const { return !dense.empty() || sparse.has_value(); }
};

ModelStiffness model_stiffness_any_size(const PlateModel& model);

// The mechanism-soft-spurious findings of the model in words, joined by "; ": empty when the
// stiffness cannot be formed or the element's pattern is nowhere soft. Here and below, the
// model's stiffness is the program's within the store's nodes and band, the sparse engine's
// beyond them.
std::string explain_soft_spurious(const PlateModel& model);
std::string explain_soft_spurious(const PlateModel& model, const ModelStiffness& stiffness);

// The measure of the element's soft pattern in computed results (the largest over the load
// cases, soft_patterns.hpp), and the limit above which it says that they carry the pattern.
double solution_pattern_measure(const PlateModel& model, const AnalysisResults& results);
double solution_pattern_measure(const PlateModel& model, const ModelStiffness& stiffness,
                                const AnalysisResults& results);
double solution_pattern_limit();

// All the mechanism findings above of the model's own stiffness; none when it cannot be formed
// (the element loop stops before it is).
std::optional<Findings> model_mechanisms(const PlateModel& model);
std::optional<Findings> model_mechanisms(const PlateModel& model, const ModelStiffness& stiffness);

// Why the model's stiffness is singular, in words: one line per mechanism found, the same
// messages as the check's. Empty when the stiffness cannot be formed or shows no mechanism.
std::string explain_mechanisms(const PlateModel& model);

}  // namespace lajefem
