// Why an analysis ended early, as a value: the steps that meet a stop return it, and the caller
// turns it into its own message (the console program's catalogue, the companion's sentence).
#pragma once

#include <string>

namespace lajefem {

// Only the members that belong to the kind are set.
struct AnalysisStop {
  enum class Kind {
    data_error,            // the reader's failure: code, reason (may be empty), line
    band_limit,            // half_bandwidth above 120
    unknown_element_type,  // element
    invalid_geometry,      // element: Jacobian not positive somewhere in it
    local_mechanism,       // equation (and its node and freedom) without stiffness
    unknown_load_type,     // load_case, load (slot)
    global_mechanism,      // the solver met a block it cannot invert; the sparse engine, a pivot
                           // that is not positive (equation)
  };
  Kind kind = Kind::data_error;
  int data_error_code = 0;  // data_error: the statement's code (101..501)
  int line = 0;             // data_error: 1-based data-file line of the fault, 0 when unknown
  std::string reason;       // data_error: Portuguese reason, as on the console's MOTIVO line
  std::string explanation;  // data_error: the same reason in English
  int half_bandwidth = 0;   // band_limit
  int element = 0;          // unknown_element_type, invalid_geometry
  int equation = 0;         // local_mechanism; global_mechanism of the sparse engine (0: none)
  int load_case = 0;        // unknown_load_type; data_error: the case at fault, or 0
  int load = 0;             // unknown_load_type
};

}  // namespace lajefem
