#include "steps/analysis_steps.hpp"

#include <algorithm>
#include <climits>
#include <istream>

#include "element/geometry_tables.hpp"
#include "model/group_size.hpp"
#include "model/scratch_records.hpp"
#include "results/element_results.hpp"
#include "results/load_vectors.hpp"
#include "results/support_reactions.hpp"
#include "steps/band_operations.hpp"

namespace lajefem {

namespace {

AnalysisStop stop_of(AnalysisStop::Kind kind) {
  AnalysisStop stop;
  stop.kind = kind;
  return stop;
}

AnalysisStop band_limit_stop(int half_bandwidth) {
  AnalysisStop stop = stop_of(AnalysisStop::Kind::band_limit);
  stop.half_bandwidth = half_bandwidth;
  return stop;
}

AnalysisStop local_mechanism_stop(int equation) {
  AnalysisStop stop = stop_of(AnalysisStop::Kind::local_mechanism);
  stop.equation = equation;
  return stop;
}

void solve_all_load_cases(ModelStore& store, SolverListener& listener) {
  copy_upper_band(store);
  store.singular_flag = 0;
  solve_banded(max_equations, max_band, max_load_cases, store.equation_count, store.half_bandwidth,
               group_size(store.load_case_count), store.band_stiffness, store.load_vectors,
               store.singular_flag, listener);
}

}  // namespace

AnalysisStop data_error_stop(int code, const DataFault& fault) {
  AnalysisStop stop = stop_of(AnalysisStop::Kind::data_error);
  stop.data_error_code = code;
  stop.line = static_cast<int>(std::min<long long>(fault.line, INT_MAX));
  stop.reason = fault.reason;
  stop.explanation = fault.explanation;
  stop.load_case = fault.load_case;
  return stop;
}

std::optional<AnalysisStop> form_model_stiffness(ModelStore& store, std::iostream& scratch,
                                                 StepListener& listener) {
  store.equation_count = equation_count_of(store.node_count);
  gather_element_coordinates(store);
  build_sampling_tables(store);
  listener.step_completed(3);

  compute_half_bandwidth(store);
  if (store.half_bandwidth > max_band) {
    return band_limit_stop(store.half_bandwidth);
  }
  if (auto stop = assemble_global_stiffness(store, scratch, listener)) {
    return stop;
  }
  write_scratch_record(scratch, store.global_stiffness.data(), StiffnessMatrix::size);
  listener.step_completed(4);

  add_support_springs(store);
  listener.step_completed(5);
  return std::nullopt;
}

std::optional<AnalysisStop> solve_model(ModelStore& store, std::iostream& scratch,
                                        StepListener& listener) {
  if (const int equation = find_local_mechanism(store); equation != 0) {
    return local_mechanism_stop(equation);
  }
  store.load_vectors.fill(0.0);
  if (auto stop = form_load_vectors(store)) {
    return stop;
  }
  write_scratch_record(scratch, store.load_vectors.data(), LoadMatrix::size);
  listener.step_completed(6);

  solve_all_load_cases(store, listener);
  listener.step_completed(7);

  if (store.singular_flag != 0) {
    return stop_of(AnalysisStop::Kind::global_mechanism);
  }
  listener.displacements_found(store);
  compute_element_results(store, scratch);
  listener.step_completed(8);

  compute_support_reactions(store, scratch);
  listener.step_completed(9);
  return std::nullopt;
}

std::optional<AnalysisStop> run_analysis_steps(ModelStore& store, std::iostream& scratch,
                                               StepListener& listener) {
  if (auto stop = form_model_stiffness(store, scratch, listener)) {
    return stop;
  }
  return solve_model(store, scratch, listener);
}

}  // namespace lajefem
