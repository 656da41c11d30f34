// The analysis of a plate model of any size: its stiffness assembled into a sparse matrix from
// the program's own element kernels, factorised once by a sparse Cholesky factorisation and
// solved for every load case at once; element resultants by the program's stress-recovery
// kernel, support reactions as the elements' forces at the supported freedoms less the loads
// (the program's K·U − F, summed element by element). The same stops as the program's steps,
// where they apply at any size.
#pragma once

#include "analysis/analysis.hpp"
#include "model/plate_model.hpp"

namespace lajefem::sparse {

// Results in the same neutral types as the program's steps give, or the stop: an unknown element
// or load type, an element whose map folds, a freedom whose diagonal is below the program's
// limit (local mechanism), a stiffness that is not positive definite (global mechanism, with the
// equation where it showed).
AnalysisOutcome analyse_plate_model_sparse(const PlateModel& model);

}  // namespace lajefem::sparse
