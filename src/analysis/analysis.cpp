#include "analysis/analysis.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "element/element_loop.hpp"
#include "element/geometry_tables.hpp"
#include "model/data_reader.hpp"
#include "model/file_sized_reader.hpp"
#include "model/group_size.hpp"
#include "model/material_rule.hpp"
#include "model/model_store.hpp"
#include "steps/analysis_steps.hpp"
#include "steps/results_name.hpp"

namespace lajefem {

namespace {

std::string trimmed(const std::string& name) {
  const auto end = name.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

std::string padded(const std::string& name) {
  std::string field = name.substr(0, limits::name_length);
  field.resize(limits::name_length, ' ');
  return field;
}

// The modulus as written in the data file: a value that the reader's "× 1e6" turns into the
// stored one (any such value analyses alike).
float modulus_as_read(float stored) {
  float gpa = stored / 1e6f;
  for (int step = 0; step < 8 && gpa * 1e6f != stored; ++step) {
    gpa = std::nextafter(gpa, gpa * 1e6f < stored ? INFINITY : -INFINITY);
  }
  return gpa;
}

// A zero or negative count in the store is an empty group of the model, as it is for the steps.
PlateModel model_from_store(const ModelStore& store) {
  PlateModel model;
  model.nodes.reserve(static_cast<std::size_t>(group_size(store.node_count)));
  model.elements.reserve(static_cast<std::size_t>(group_size(store.element_count)));
  model.supports.reserve(static_cast<std::size_t>(group_size(store.support_count)));
  model.load_cases.resize(static_cast<std::size_t>(group_size(store.load_case_count)));
  model.title = trimmed(store.title);
  model.elastic_modulus_gpa = modulus_as_read(store.elastic_modulus);
  model.poisson_ratio = store.poisson_ratio;
  model.thickness = store.thickness;
  for (int n = 1; n <= store.node_count; ++n) {
    model.nodes.push_back({store.node_coord(n, 1), store.node_coord(n, 2)});
  }
  for (int e = 1; e <= store.element_count; ++e) {
    PlateElement element;
    element.type = store.element_type(e);
    for (int a = 1; a <= corners; ++a) {
      element.nodes[a - 1] = store.element_nodes(e, a);
    }
    model.elements.push_back(element);
  }
  for (int s = 1; s <= store.support_count; ++s) {
    model.supports.push_back({static_cast<int>(store.support_data(s, 1)), store.support_data(s, 2),
                              store.support_data(s, 3), store.support_data(s, 4)});
  }
  for (int c = 1; c <= store.load_case_count; ++c) {
    LoadCase& load_case = model.load_cases[static_cast<std::size_t>(c - 1)];
    load_case.loads.reserve(static_cast<std::size_t>(group_size(store.loads_per_case(c))));
    for (int i = 1; i <= store.loads_per_case(c); ++i) {
      PlateLoad load;
      load.type = store.load_info(i, 1, c);
      load.node = store.load_info(i, 2, c);
      for (int v = 1; v <= values_per_load; ++v) {
        load.values[v - 1] = store.load_values(i, v, c);
      }
      load_case.loads.push_back(load);
    }
  }
  model.results_name = trimmed(store.results_file_name);
  return model;
}

void load_model_into_store(const PlateModel& model, ModelStore& store) {
  store.title = padded(model.title);
  store.elastic_modulus = held_modulus(model.elastic_modulus_gpa);
  store.poisson_ratio = model.poisson_ratio;
  store.thickness = model.thickness;
  store.node_count = static_cast<int>(model.nodes.size());
  store.element_count = static_cast<int>(model.elements.size());
  store.support_count = static_cast<int>(model.supports.size());
  for (int n = 1; n <= store.node_count; ++n) {
    store.node_coord(n, 1) = model.nodes[n - 1].x;
    store.node_coord(n, 2) = model.nodes[n - 1].y;
  }
  for (int e = 1; e <= store.element_count; ++e) {
    store.element_type(e) = model.elements[e - 1].type;
    for (int a = 1; a <= corners; ++a) {
      store.element_nodes(e, a) = model.elements[e - 1].nodes[a - 1];
    }
  }
  for (int s = 1; s <= store.support_count; ++s) {
    const PlateSupport& support = model.supports[s - 1];
    store.support_data(s, 1) = static_cast<float>(support.node);
    store.support_data(s, 2) = support.spring_w;
    store.support_data(s, 3) = support.spring_theta_x;
    store.support_data(s, 4) = support.spring_theta_y;
  }
  store.load_case_count = static_cast<int>(model.load_cases.size());
  for (int c = 1; c <= store.load_case_count; ++c) {
    const auto& loads = model.load_cases[c - 1].loads;
    store.loads_per_case(c) = static_cast<int>(loads.size());
    for (int i = 1; i <= store.loads_per_case(c); ++i) {
      store.load_info(i, 1, c) = loads[i - 1].type;
      store.load_info(i, 2, c) = loads[i - 1].node;
      for (int v = 1; v <= values_per_load; ++v) {
        store.load_values(i, v, c) = loads[i - 1].values[v - 1];
      }
    }
  }
  store.results_file_name = padded(model.results_name);
  store.data_error_code = data_read_successfully;
}

// A model that the store cannot hold stops as the program's reader would refuse it: a count above
// the store's limit. The half-bandwidth is left to the steps, which stop on it as the program does.
std::optional<AnalysisStop> store_capacity_stop(const PlateModel& model) {
  const auto breach = store_limit_breach(model);
  if (!breach || breach->what == "half-bandwidth") {
    return std::nullopt;
  }
  AnalysisStop stop;
  stop.kind = AnalysisStop::Kind::data_error;
  stop.data_error_code = breach->what.rfind("load", 0) == 0 ? 402 : 301;
  stop.explanation = "the model has " + describe_breach(*breach) + " of the program's store";
  return stop;
}

// Runs `steps` (a shared step function) silently on a fresh store that holds the model, with
// the results scratch file in memory; returns their stop, or nothing with the store filled. A
// model beyond the store's capacity is never put into it.
template <typename Steps>
std::optional<AnalysisStop> run_silently(const PlateModel& model, ModelStore& store, Steps steps) {
  if (auto stop = store_capacity_stop(model)) {
    return stop;
  }
  load_model_into_store(model, store);
  std::stringstream scratch(std::ios::in | std::ios::out | std::ios::binary);
  SilentListener listener;
  return steps(store, scratch, listener);
}

AnalysisResults results_from_store(const ModelStore& store) {
  AnalysisResults results;
  results.half_bandwidth = store.half_bandwidth;
  for (int c = 1; c <= store.load_case_count; ++c) {
    LoadCaseResults r;
    for (int n = 1; n <= store.node_count; ++n) {
      r.nodes.push_back({store.load_vectors(node_equation(n, freedom_w), c),
                         store.load_vectors(node_equation(n, freedom_theta_x), c),
                         store.load_vectors(node_equation(n, freedom_theta_y), c)});
    }
    for (int e = 1; e <= store.element_count; ++e) {
      ElementResultants element;
      for (int p = 1; p <= 4; ++p) {
        const int row = 5 * (p - 1);
        element.points[p - 1] = {
            store.element_results(e, row + 1, c), store.element_results(e, row + 2, c),
            store.element_results(e, row + 3, c), store.element_results(e, row + 4, c),
            store.element_results(e, row + 5, c)};
      }
      r.elements.push_back(element);
    }
    for (int s = 1; s <= store.support_count; ++s) {
      r.supports.push_back({static_cast<int>(store.support_reactions(s, 1, c)),
                            store.support_reactions(s, 2, c), store.support_reactions(s, 3, c),
                            store.support_reactions(s, 4, c)});
    }
    results.cases.push_back(r);
  }
  return results;
}

}  // namespace

std::string data_statement_name(int code) {
  if (code >= 414 && code < 500) {
    // Case c runs its two headings under 414 + 12(c − 1) and 415 + 12(c − 1), its loads under
    // 416 + 12(c − 1).
    const int load_case = (code - 414) / 12 + 1;
    return (code - 414) % 12 == 2 ? "the loads of load case " + std::to_string(load_case)
                                  : "the headings of load case " + std::to_string(load_case);
  }
  switch (code) {
    case 103:
      return "the title";
    case 201:
      return "the material line";
    case 301:
      return "the counts line";
    case 312:
      return "the node lines";
    case 322:
      return "the element lines";
    case 332:
      return "the support lines";
    case 402:
      return "the load-case line";
    case 501:
      return "the results file name";
    default:
      return "a heading line";
  }
}

namespace {

// Equation i as its node and freedom: 7 -> "the w of node 3".
std::string freedom_text(int equation) {
  static const char* const names[] = {"w", "\u03b8x", "\u03b8y"};
  const int node = (equation + 2) / 3;
  return std::string("the ") + names[(equation - 1) % 3] + " of node " + std::to_string(node);
}

// "the loads of load case 2, statement 428". A case beyond the program's four runs under the
// codes of the fourth: its statement is named by the case alone.
std::string data_statement_text(const AnalysisStop& stop) {
  if (stop.load_case > limits::max_load_cases) {
    const bool loads = (stop.data_error_code - 414) % 12 == 2;
    return (loads ? "the loads of load case " : "the headings of load case ") +
           std::to_string(stop.load_case);
  }
  return data_statement_name(stop.data_error_code) + ", statement " +
         std::to_string(stop.data_error_code);
}

}  // namespace

std::string describe_stop(const AnalysisStop& stop) {
  using Kind = AnalysisStop::Kind;
  switch (stop.kind) {
    case Kind::data_error:
      return "data error" +
             (stop.line > 0 ? " at line " + std::to_string(stop.line) : std::string()) + ": " +
             (stop.explanation.empty() ? "the value cannot be used" : stop.explanation) +
             " (reading " + data_statement_text(stop) + ")";
    case Kind::band_limit:
      return "half-bandwidth " + std::to_string(stop.half_bandwidth) +
             " above 120: renumber the nodes (lajefem-tools renumber)";
    case Kind::unknown_element_type:
      return "element " + std::to_string(stop.element) + " has an unknown type (only 1 is known)";
    case Kind::invalid_geometry:
      return "element " + std::to_string(stop.element) +
             " has invalid geometry: corners not anticlockwise, or the element is degenerate";
    case Kind::local_mechanism:
      return "equation " + std::to_string(stop.equation) + " has no stiffness (local mechanism)";
    case Kind::unknown_load_type:
      return "load " + std::to_string(stop.load) + " of load case " +
             std::to_string(stop.load_case) + " has an unknown type (1 nodal, 2 distributed)";
    case Kind::global_mechanism:
      return "the plate can move without resistance (global mechanism" +
             (stop.equation > 0 ? ", shown at " + freedom_text(stop.equation) : std::string()) +
             "): check the supports";
  }
  return "analysis stopped";
}

ModelReading read_plate_model(std::istream& data) {
  const auto store = make_model_store();
  DataFault fault;
  read_data_file(data, *store, fault);
  if (store->data_error_code != data_read_successfully) {
    return data_error_stop(store->data_error_code, fault);
  }
  return model_from_store(*store);
}

ModelReading read_plate_model_any_size(std::istream& data) {
  PlateModel model;
  DataFault fault;
  const int code = read_file_sized_model(data, model, fault);
  if (code != data_read_successfully) {
    return data_error_stop(code, fault);
  }
  return model;
}

ModelReading read_plate_model_as_run(std::istream& data, const std::filesystem::path& folder,
                                     const std::string& data_name) {
  const auto store = make_model_store();
  DataFault fault;
  read_data_file(data, *store, fault);
  if (store->data_error_code == data_read_successfully) {
    refuse_results_name_of_inputs(folder, data_name, *store, fault);
  }
  if (store->data_error_code != data_read_successfully) {
    return data_error_stop(store->data_error_code, fault);
  }
  return model_from_store(*store);
}

std::vector<int> elements_of_invalid_geometry(const PlateModel& model) {
  if (store_capacity_stop(model)) {
    throw std::invalid_argument("elements_of_invalid_geometry: the model does not fit the store");
  }
  const auto store = make_model_store();
  load_model_into_store(model, *store);
  gather_element_coordinates(*store);
  build_sampling_tables(*store);
  std::vector<int> invalid;
  for (int e = 1; e <= store->element_count; ++e) {
    if (!element_has_valid_geometry(*store, e)) {
      invalid.push_back(e);
    }
  }
  return invalid;
}

StiffnessOutcome assemble_model_stiffness(const PlateModel& model) {
  const auto store = make_model_store();
  if (auto stop = run_silently(model, *store, form_model_stiffness)) {
    return *std::move(stop);
  }
  const int n = store->equation_count;
  std::vector<double> k(static_cast<std::size_t>(n) * n);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      k[static_cast<std::size_t>(i - 1) * n + (j - 1)] = store->global_stiffness(i, j);
    }
  }
  return k;
}

AnalysisOutcome analyse_plate_model(const PlateModel& model) {
  const auto store = make_model_store();
  if (auto stop = run_silently(model, *store, run_analysis_steps)) {
    return *std::move(stop);
  }
  return results_from_store(*store);
}

}  // namespace lajefem
