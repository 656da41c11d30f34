// The stiffness of a plate model of any size in the sparse pattern of its node graph: the
// program's element kernels, element after element as the element loop adds them, then the
// springs; with the element loop's stops and the program's local-mechanism rule.
#pragma once

#include <optional>
#include <vector>

#include "element/plate_element.hpp"
#include "model/analysis_stop.hpp"
#include "model/plate_model.hpp"
#include "sparse/stiffness_pattern.hpp"

namespace lajefem::sparse {

// The element loop's stops, in its order: the first element of an unknown type or whose map
// folds (a Jacobian determinant not positive at a sampling point).
std::optional<AnalysisStop> element_stop(const PlateModel& model);

// The section rigidities of the model's material, from the modulus as the program holds it.
MaterialRigidity model_material(const PlateModel& model);

// The corner coordinates of an element.
void corner_coordinates(const PlateModel& model, const PlateElement& element, CornerValues& x,
                        CornerValues& y);

// The element's matrices by the program's kernel.
ElementMatrices element_matrices(const PlateModel& model, const MaterialRigidity& material,
                                 const PlateElement& element);

// The values of the pattern's entries: every element's stiffness added into the upper triangle
// in element order (the sums of the program's element loop, term by term), then the springs of
// the supports in file order, × 1,000,000 on the diagonal.
std::vector<double> assembled_stiffness(const PlateModel& model, const StiffnessPattern& pattern);

// The program's local-mechanism rule: the first equation (1-based) whose diagonal, springs
// included, is below 0.1 or not a number.
std::optional<AnalysisStop> local_mechanism(const StiffnessPattern& pattern,
                                            const std::vector<double>& values);

}  // namespace lajefem::sparse
