#include "model/data_reader.hpp"

#include <array>
#include <cmath>
#include <utility>

#include "model/free_format.hpp"
#include "model/material_rule.hpp"
#include "text/text_fields.hpp"

namespace lajefem {

namespace {

struct DataReading {
  FreeFormatInput input;
  ModelStore& store;
  DataFault& fault;
};

// 301 -> "301", without the field's leading blanks.
std::string integer_text(long long value) {
  const std::string field = format_integer(value, 20);
  return field.substr(field.find_first_not_of(' '));
}

// "1..4"
std::string range_text(int last) {
  return "1.." + integer_text(last);
}

// A limit or reference violation of the value on `line`: the statement fails with a reason for
// the user, in Portuguese and in English.
bool reject(DataReading& reading, long long line, std::string reason, std::string explanation) {
  reading.fault.line = line;
  reading.fault.reason = std::move(reason);
  reading.fault.explanation = std::move(explanation);
  return false;
}

// Reads one item and notes its line, for a check made once the statement is read.
template <typename Value>
bool read_noting_line(DataReading& reading, bool (*read_item)(FreeFormatInput&, Value&),
                      Value& value, long long& line) {
  const bool read = read_item(reading.input, value);
  line = reading.input.item_line;
  return read;
}

// The line of the item just read, for a check made at once.
long long item_line(const DataReading& reading) {
  return reading.input.item_line;
}

// The item as written, for the MOTIVO line: cut to 20 characters, control bytes shown as '?',
// the data file's Latin-1 letters carried over into the UTF-8 of the reasons.
std::string shown_item(const std::string& text) {
  std::string shown;
  for (const char c : text.substr(0, 20)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) {
      shown += '?';
    } else if (byte < 0x80) {
      shown += c;
    } else {
      shown += static_cast<char>(0xC0 | (byte >> 6));
      shown += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return shown;
}

// The failure the input met: an unreadable value, the end of the file or a long line.
void note_input_failure(DataReading& reading) {
  const Item& failure = reading.input.failure;
  reading.fault.line = failure.line;
  switch (failure.kind) {
    case ItemKind::unreadable:
      reading.fault.reason = "valor ilegível \"" + shown_item(failure.text) + "\"";
      reading.fault.explanation = "value \"" + shown_item(failure.text) + "\" cannot be read";
      break;
    case ItemKind::long_line:
      reading.fault.reason = "linha com mais de 32 MiB";
      reading.fault.explanation = "line longer than 32 MiB";
      break;
    default:
      reading.fault.reason = "o ficheiro acaba antes de todos os dados";
      reading.fault.explanation = "the file ends before all the data are read";
      break;
  }
}

bool read_heading(DataReading& reading, int code) {
  reading.store.data_error_code = code;
  return skip_line(reading.input);
}

void begin_statement(DataReading& reading, int code) {
  reading.store.data_error_code = code;
  start_statement(reading.input);
}

bool is_node(const ModelStore& store, int node) {
  return node >= 1 && node <= store.node_count;
}

bool read_title(DataReading& reading) {
  if (!read_heading(reading, 101) || !read_heading(reading, 102)) {
    return false;
  }
  begin_statement(reading, 103);
  return read_text_item(reading.input, reading.store.title);
}

// Lines of the three values of a statement.
using ValueLines = std::array<long long, 3>;

// Values that would give non-positive or infinite plate rigidities.
bool check_material(DataReading& reading, const ValueLines& lines) {
  const ModelStore& store = reading.store;
  const auto fault = material_fault(store.elastic_modulus, store.poisson_ratio, store.thickness);
  if (fault) {
    return reject(reading, lines[static_cast<std::size_t>(fault->value)], fault->reason,
                  fault->explanation);
  }
  return true;
}

bool read_material(DataReading& reading) {
  ModelStore& store = reading.store;
  if (!read_heading(reading, 200)) {
    return false;
  }
  begin_statement(reading, 201);
  ValueLines lines{};
  if (!read_noting_line(reading, read_real_item, store.elastic_modulus, lines[0]) ||
      !read_noting_line(reading, read_real_item, store.poisson_ratio, lines[1]) ||
      !read_noting_line(reading, read_real_item, store.thickness, lines[2])) {
    return false;
  }
  store.elastic_modulus = held_modulus(store.elastic_modulus);  // GPa to kN/m²
  return check_material(reading, lines);
}

bool check_counts(DataReading& reading, const ValueLines& lines) {
  const ModelStore& store = reading.store;
  if (store.node_count < 1 || store.node_count > max_nodes) {
    return reject(
        reading, lines[0],
        "número de nós " + integer_text(store.node_count) + " fora de " + range_text(max_nodes),
        "node count " + integer_text(store.node_count) + " outside " + range_text(max_nodes));
  }
  if (store.element_count > max_elements) {
    return reject(reading, lines[1],
                  "número de elementos " + integer_text(store.element_count) + " acima de " +
                      integer_text(max_elements),
                  "element count " + integer_text(store.element_count) + " above " +
                      integer_text(max_elements));
  }
  if (store.support_count > max_supports) {
    return reject(reading, lines[2],
                  "número de apoios " + integer_text(store.support_count) + " acima de " +
                      integer_text(max_supports),
                  "support count " + integer_text(store.support_count) + " above " +
                      integer_text(max_supports));
  }
  return true;
}

bool read_counts(DataReading& reading) {
  ModelStore& store = reading.store;
  if (!read_heading(reading, 300)) {
    return false;
  }
  begin_statement(reading, 301);
  ValueLines lines{};
  if (!read_noting_line(reading, read_integer_item, store.node_count, lines[0]) ||
      !read_noting_line(reading, read_integer_item, store.element_count, lines[1]) ||
      !read_noting_line(reading, read_integer_item, store.support_count, lines[2])) {
    return false;
  }
  return check_counts(reading, lines);
}

// Node n is the n-th node statement; the number written on it is not used.
bool read_node(DataReading& reading, int node) {
  start_statement(reading.input);
  int node_number = 0;
  return read_integer_item(reading.input, node_number) &&
         read_real_item(reading.input, reading.store.node_coord(node, 1)) &&
         read_real_item(reading.input, reading.store.node_coord(node, 2));
}

bool read_nodes(DataReading& reading) {
  if (!read_heading(reading, 310) || !read_heading(reading, 311)) {
    return false;
  }
  reading.store.data_error_code = 312;
  for (int node = 1; node <= reading.store.node_count; ++node) {
    if (!read_node(reading, node)) {
      return false;
    }
  }
  return true;
}

bool read_element(DataReading& reading, int element) {
  ModelStore& store = reading.store;
  start_statement(reading.input);
  int element_number = 0;
  if (!read_integer_item(reading.input, element_number) ||
      !read_integer_item(reading.input, store.element_type(element))) {
    return false;
  }
  std::array<long long, corners> lines{};
  for (int corner = 1; corner <= corners; ++corner) {
    if (!read_noting_line(reading, read_integer_item, store.element_nodes(element, corner),
                          lines[corner - 1])) {
      return false;
    }
  }
  for (int corner = 1; corner <= corners; ++corner) {
    const int node = store.element_nodes(element, corner);
    if (!is_node(store, node)) {
      return reject(
          reading, lines[corner - 1],
          "elemento " + integer_text(element) + ": nó " + integer_text(node) + " do canto " +
              integer_text(corner) + " fora de " + range_text(store.node_count),
          "element " + integer_text(element) + ": node " + integer_text(node) + " of corner " +
              integer_text(corner) + " outside " + range_text(store.node_count));
    }
  }
  return true;
}

bool read_elements(DataReading& reading) {
  if (!read_heading(reading, 320) || !read_heading(reading, 321)) {
    return false;
  }
  reading.store.data_error_code = 322;
  for (int element = 1; element <= reading.store.element_count; ++element) {
    if (!read_element(reading, element)) {
      return false;
    }
  }
  return true;
}

bool read_support(DataReading& reading, int support) {
  ModelStore& store = reading.store;
  start_statement(reading.input);
  int support_number = 0;
  int node = 0;
  long long node_line = 0;
  if (!read_integer_item(reading.input, support_number) ||
      !read_noting_line(reading, read_integer_item, node, node_line)) {
    return false;
  }
  for (int spring = 2; spring <= 4; ++spring) {
    if (!read_real_item(reading.input, store.support_data(support, spring))) {
      return false;
    }
  }
  store.support_data(support, 1) = static_cast<float>(node);
  if (!is_node(store, node)) {
    return reject(reading, node_line,
                  "apoio " + integer_text(support) + ": nó " + integer_text(node) + " fora de " +
                      range_text(store.node_count),
                  "support " + integer_text(support) + ": node " + integer_text(node) +
                      " outside " + range_text(store.node_count));
  }
  return true;
}

bool read_supports(DataReading& reading) {
  if (!read_heading(reading, 330) || !read_heading(reading, 331)) {
    return false;
  }
  reading.store.data_error_code = 332;
  for (int support = 1; support <= reading.store.support_count; ++support) {
    if (!read_support(reading, support)) {
      return false;
    }
  }
  return true;
}

// The number of load cases, then as many counts of loads, in one statement. Too many cases is
// rejected before their counts are read.
bool read_load_case_statement(DataReading& reading) {
  ModelStore& store = reading.store;
  begin_statement(reading, 402);
  if (!read_integer_item(reading.input, store.load_case_count)) {
    return false;
  }
  if (store.load_case_count > max_load_cases) {
    return reject(reading, item_line(reading),
                  "número de casos de carga " + integer_text(store.load_case_count) + " acima de " +
                      integer_text(max_load_cases),
                  "load case count " + integer_text(store.load_case_count) + " above " +
                      integer_text(max_load_cases));
  }
  std::array<long long, max_load_cases> lines{};
  for (int load_case = 1; load_case <= store.load_case_count; ++load_case) {
    if (!read_noting_line(reading, read_integer_item, store.loads_per_case(load_case),
                          lines[load_case - 1])) {
      return false;
    }
  }
  for (int load_case = 1; load_case <= store.load_case_count; ++load_case) {
    if (store.loads_per_case(load_case) > max_loads_per_case) {
      return reject(reading, lines[load_case - 1],
                    "caso de carga " + integer_text(load_case) + ": número de cargas " +
                        integer_text(store.loads_per_case(load_case)) + " acima de " +
                        integer_text(max_loads_per_case),
                    "load case " + integer_text(load_case) + ": load count " +
                        integer_text(store.loads_per_case(load_case)) + " above " +
                        integer_text(max_loads_per_case));
    }
  }
  return true;
}

// A load statement and its load-values statement. The load number chooses the slot; the type,
// the node and the values go straight into it.
bool read_load(DataReading& reading, int load_case) {
  ModelStore& store = reading.store;
  start_statement(reading.input);
  int load = 0;
  if (!read_integer_item(reading.input, load)) {
    return false;
  }
  if (load < 1 || load > max_loads_per_case) {
    return reject(reading, item_line(reading),
                  "caso de carga " + integer_text(load_case) + ": número de carga " +
                      integer_text(load) + " fora de " + range_text(max_loads_per_case),
                  "load case " + integer_text(load_case) + ": load number " + integer_text(load) +
                      " outside " + range_text(max_loads_per_case));
  }
  if (!read_integer_item(reading.input, store.load_info(load, 1, load_case)) ||
      !read_integer_item(reading.input, store.load_info(load, 2, load_case))) {
    return false;
  }
  const int node = store.load_info(load, 2, load_case);
  if (store.load_info(load, 1, load_case) == 1 && !is_node(store, node)) {
    return reject(reading, item_line(reading),
                  "caso de carga " + integer_text(load_case) + ", carga " + integer_text(load) +
                      ": nó " + integer_text(node) + " fora de " + range_text(store.node_count),
                  "load case " + integer_text(load_case) + ", load " + integer_text(load) +
                      ": node " + integer_text(node) + " outside " + range_text(store.node_count));
  }
  start_statement(reading.input);
  for (int value = 1; value <= values_per_load; ++value) {
    if (!read_real_item(reading.input, store.load_values(load, value, load_case))) {
      return false;
    }
  }
  return true;
}

// Case c runs under the codes 414 + 12(c - 1) (two headings) and 416 + 12(c - 1) (its loads).
bool read_load_cases(DataReading& reading) {
  ModelStore& store = reading.store;
  if (!read_heading(reading, 400) || !read_heading(reading, 401) ||
      !read_load_case_statement(reading) || !read_heading(reading, 403)) {
    return false;
  }
  store.data_error_code = 404;
  for (int load_case = 1; load_case <= store.load_case_count; ++load_case) {
    if (!read_heading(reading, store.data_error_code + 10) ||
        !read_heading(reading, store.data_error_code + 1)) {
      return false;
    }
    store.data_error_code += 1;
    for (int count = 1; count <= store.loads_per_case(load_case); ++count) {
      if (!read_load(reading, load_case)) {
        return false;
      }
    }
  }
  return true;
}

bool read_results_file_name(DataReading& reading) {
  ModelStore& store = reading.store;
  if (!read_heading(reading, 500)) {
    return false;
  }
  begin_statement(reading, 501);
  if (!read_text_item(reading.input, store.results_file_name)) {
    return false;
  }
  reading.fault.results_name_line = item_line(reading);
  if (store.results_file_name.find_first_not_of(' ') == std::string::npos) {
    return reject(reading, item_line(reading), "nome do ficheiro de resultados em branco",
                  "the results file name is blank");
  }
  if (store.results_file_name.find('\0') != std::string::npos) {
    // The system would take the name up to the NUL byte: another file than the one written.
    return reject(reading, item_line(reading), "nome do ficheiro de resultados contém um byte nulo",
                  "the results file name holds a NUL byte");
  }
  return true;
}

}  // namespace

void read_data_file(std::istream& data, ModelStore& store, DataFault& fault) {
  DataReading reading{FreeFormatInput(data), store, fault};
  if (read_title(reading) && read_material(reading) && read_counts(reading) &&
      read_nodes(reading) && read_elements(reading) && read_supports(reading) &&
      read_load_cases(reading) && read_results_file_name(reading)) {
    store.data_error_code = 600;
  } else if (fault.reason.empty()) {
    note_input_failure(reading);
  }
}

void read_file_name_answer(std::istream& console, std::string& name) {
  FreeFormatInput input(console);
  read_text_item(input, name);
}

}  // namespace lajefem
