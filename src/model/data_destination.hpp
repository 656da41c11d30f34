// Where the data-file reader puts what it reads: the model store of the console program, held to
// the store's limits, or the plate model of the companion, sized by the file. The reader's
// statements are one implementation for both; a destination only keeps the values it is handed
// and says how many members of each group it can hold.
#pragma once

#include <climits>
#include <string>

#include "model/limits.hpp"
#include "model/plate_model.hpp"

namespace lajefem {

// The most members of each group a destination holds; no_capacity_limit: as many as the file has.
struct DataCapacity {
  int nodes = 0;
  int elements = 0;
  int supports = 0;
  int load_cases = 0;
  int loads_per_case = 0;  // also the highest load number a case of fewer loads may use
};

constexpr int no_capacity_limit = INT_MAX;

constexpr DataCapacity store_capacity{limits::max_nodes, limits::max_elements, limits::max_supports,
                                      limits::max_load_cases, limits::max_loads_per_case};

constexpr DataCapacity file_sized_capacity{no_capacity_limit, no_capacity_limit, no_capacity_limit,
                                           no_capacity_limit, no_capacity_limit};

// Members are handed over in file order, each once its statement is read and checked; numbers
// are 1-based. A count may be zero or negative (an empty group); no member of it follows.
class DataDestination {
 public:
  virtual ~DataDestination() = default;

  virtual DataCapacity capacity() const = 0;
  // The code of the statement being read; 600 once everything is read.
  virtual void set_data_error_code(int code) = 0;
  // 12 characters; a title without a value keeps what it holds.
  virtual std::string& title() = 0;
  virtual void take_material(float elastic_modulus_gpa, float poisson_ratio, float thickness) = 0;
  virtual void take_counts(int nodes, int elements, int supports) = 0;
  virtual void take_node(int node, const PlateNode& values) = 0;
  virtual void take_element(int element, const PlateElement& values) = 0;
  virtual void take_support(int support, const PlateSupport& values) = 0;
  // The count of load cases as written; then each case with its count of loads, once its
  // headings are read, before its loads.
  virtual void take_load_case_count(int load_cases) = 0;
  virtual void take_load_case(int load_case, int loads) = 0;
  // What slot `load` of a case holds: a load statement fills it, and keeps what it holds where
  // the statement gives no value.
  virtual PlateLoad load_slot(int load_case, int load) const = 0;
  virtual void take_load(int load_case, int load, const PlateLoad& values) = 0;
  // 12 characters, like the title.
  virtual std::string& results_name() = 0;
};

}  // namespace lajefem
