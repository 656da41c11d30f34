// The steps of the analysis from a model read whole to the support reactions, one implementation
// for both programs: the console program listens to them to announce each step and to write its
// log, the analysis without console listens to nothing. A step that cannot go on returns its
// stop; nothing is written and nothing is asked here.
#pragma once

#include <iosfwd>
#include <optional>

#include "element/element_loop.hpp"
#include "model/analysis_stop.hpp"
#include "model/data_reader.hpp"
#include "model/model_store.hpp"
#include "solver/banded_solver.hpp"

namespace lajefem {

// What the steps report while they run, in the order of the run.
class StepListener : public ElementListener, public SolverListener {
 public:
  // Step 3 (shape functions) to step 9 (reactions) is complete.
  virtual void step_completed(int step) = 0;
  // load_vectors holds the displacements of every case; the element results come next.
  virtual void displacements_found(const ModelStore& store) = 0;
};

// Listens to nothing.
class SilentListener final : public StepListener {
 public:
  void step_completed(int) override {}
  void displacements_found(const ModelStore&) override {}
  void element_formed(const ModelStore&, int) override {}
  void pivot_failed(double) override {}
};

// data_error_code = 600: the reader met no fault.
constexpr int data_read_successfully = 600;

// The stop of a data file whose statement `code` failed as fault says (a line beyond INT_MAX
// is given as INT_MAX).
AnalysisStop data_error_stop(int code, const DataFault& fault);

// Steps 3 to 5 on a store that holds a model read whole: element geometry and sampling tables
// (3); the half-bandwidth check and the element loop, whose stress matrices and element-only
// stiffness go to the scratch file (4); the support springs (5).
std::optional<AnalysisStop> form_model_stiffness(ModelStore& store, std::iostream& scratch,
                                                 StepListener& listener);

// Steps 6 to 9 after form_model_stiffness: local-mechanism check and load vectors (6), solution
// (7), global-mechanism check and element results (8), support reactions (9). Throws
// ScratchFileError when the scratch file cannot give its records back.
std::optional<AnalysisStop> solve_model(ModelStore& store, std::iostream& scratch,
                                        StepListener& listener);

// Steps 3 to 9.
std::optional<AnalysisStop> run_analysis_steps(ModelStore& store, std::iostream& scratch,
                                               StepListener& listener);

}  // namespace lajefem
