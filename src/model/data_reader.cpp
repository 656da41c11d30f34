#include "model/data_reader.hpp"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "model/free_format.hpp"
#include "model/material_rule.hpp"
#include "model/store_destination.hpp"
#include "text/text_fields.hpp"

namespace lajefem {

namespace {

// Load cases in a row that have the same count of loads, given on the same line (a repeat such as
// 3*10, or the cases after a slash, which keep a count of zero): many cases cost one run.
struct LoadCountRun {
  int loads = 0;
  long long line = 0;  // line of the count
  long long cases = 0;
};

struct DataReading {
  DataReading(std::istream& data, DataDestination& into, DataFault& fault_noted)
      : input(data), destination(into), capacity(into.capacity()), fault(fault_noted) {}

  FreeFormatInput input;
  DataDestination& destination;
  DataCapacity capacity;
  DataFault& fault;
  int data_error_code = 0;  // the statement being read
  int node_count = 0;       // the counts as read, zero or negative for an empty group
  int element_count = 0;
  int support_count = 0;
  std::vector<LoadCountRun> load_counts;  // the load cases in runs, in file order
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

void set_code(DataReading& reading, int code) {
  reading.data_error_code = code;
  reading.destination.set_data_error_code(code);
}

bool read_heading(DataReading& reading, int code) {
  set_code(reading, code);
  return skip_line(reading.input);
}

void begin_statement(DataReading& reading, int code) {
  set_code(reading, code);
  start_statement(reading.input);
}

bool is_node(const DataReading& reading, int node) {
  return node >= 1 && node <= reading.node_count;
}

bool read_title(DataReading& reading) {
  if (!read_heading(reading, 101) || !read_heading(reading, 102)) {
    return false;
  }
  begin_statement(reading, 103);
  return read_text_item(reading.input, reading.destination.title());
}

// Lines of the three values of a statement.
using ValueLines = std::array<long long, 3>;

// Values that would give non-positive or infinite plate rigidities (the modulus in kN/m² as held).
bool check_material(DataReading& reading, float elastic_modulus, float poisson_ratio,
                    float thickness, const ValueLines& lines) {
  const auto fault = material_fault(elastic_modulus, poisson_ratio, thickness);
  if (fault) {
    return reject(reading, lines[static_cast<std::size_t>(fault->value)], fault->reason,
                  fault->explanation);
  }
  return true;
}

bool read_material(DataReading& reading) {
  if (!read_heading(reading, 200)) {
    return false;
  }
  begin_statement(reading, 201);
  ValueLines lines{};
  float modulus_gpa = 0;
  float poisson_ratio = 0;
  float thickness = 0;
  if (!read_noting_line(reading, read_real_item, modulus_gpa, lines[0]) ||
      !read_noting_line(reading, read_real_item, poisson_ratio, lines[1]) ||
      !read_noting_line(reading, read_real_item, thickness, lines[2])) {
    return false;
  }
  reading.destination.take_material(modulus_gpa, poisson_ratio, thickness);
  return check_material(reading, held_modulus(modulus_gpa), poisson_ratio, thickness, lines);
}

// A node count below 1, or above the destination's capacity.
bool check_node_count(DataReading& reading, long long line) {
  const int count = reading.node_count;
  const int capacity = reading.capacity.nodes;
  if (count >= 1 && count <= capacity) {
    return true;
  }
  if (capacity == no_capacity_limit) {
    return reject(reading, line, "número de nós " + integer_text(count) + " abaixo de 1",
                  "node count " + integer_text(count) + " below 1");
  }
  return reject(reading, line,
                "número de nós " + integer_text(count) + " fora de " + range_text(capacity),
                "node count " + integer_text(count) + " outside " + range_text(capacity));
}

bool check_counts(DataReading& reading, const ValueLines& lines) {
  const DataCapacity& capacity = reading.capacity;
  if (!check_node_count(reading, lines[0])) {
    return false;
  }
  if (reading.element_count > capacity.elements) {
    return reject(reading, lines[1],
                  "número de elementos " + integer_text(reading.element_count) + " acima de " +
                      integer_text(capacity.elements),
                  "element count " + integer_text(reading.element_count) + " above " +
                      integer_text(capacity.elements));
  }
  if (reading.support_count > capacity.supports) {
    return reject(reading, lines[2],
                  "número de apoios " + integer_text(reading.support_count) + " acima de " +
                      integer_text(capacity.supports),
                  "support count " + integer_text(reading.support_count) + " above " +
                      integer_text(capacity.supports));
  }
  return true;
}

bool read_counts(DataReading& reading) {
  if (!read_heading(reading, 300)) {
    return false;
  }
  begin_statement(reading, 301);
  ValueLines lines{};
  if (!read_noting_line(reading, read_integer_item, reading.node_count, lines[0]) ||
      !read_noting_line(reading, read_integer_item, reading.element_count, lines[1]) ||
      !read_noting_line(reading, read_integer_item, reading.support_count, lines[2])) {
    return false;
  }
  reading.destination.take_counts(reading.node_count, reading.element_count, reading.support_count);
  return check_counts(reading, lines);
}

// Node n is the n-th node statement; the number written on it is not used.
bool read_node(DataReading& reading, int node) {
  start_statement(reading.input);
  int node_number = 0;
  PlateNode values;
  if (!read_integer_item(reading.input, node_number) || !read_real_item(reading.input, values.x) ||
      !read_real_item(reading.input, values.y)) {
    return false;
  }
  reading.destination.take_node(node, values);
  return true;
}

bool read_nodes(DataReading& reading) {
  if (!read_heading(reading, 310) || !read_heading(reading, 311)) {
    return false;
  }
  set_code(reading, 312);
  for (int node = 1; node <= reading.node_count; ++node) {
    if (!read_node(reading, node)) {
      return false;
    }
  }
  return true;
}

// An element's type and corners, zero until the statement gives them.
bool read_element(DataReading& reading, int element) {
  start_statement(reading.input);
  int element_number = 0;
  PlateElement values;
  values.type = 0;
  if (!read_integer_item(reading.input, element_number) ||
      !read_integer_item(reading.input, values.type)) {
    return false;
  }
  std::array<long long, corners> lines{};
  for (int corner = 1; corner <= corners; ++corner) {
    if (!read_noting_line(reading, read_integer_item, values.nodes[corner - 1],
                          lines[corner - 1])) {
      return false;
    }
  }
  for (int corner = 1; corner <= corners; ++corner) {
    const int node = values.nodes[corner - 1];
    if (!is_node(reading, node)) {
      return reject(
          reading, lines[corner - 1],
          "elemento " + integer_text(element) + ": nó " + integer_text(node) + " do canto " +
              integer_text(corner) + " fora de " + range_text(reading.node_count),
          "element " + integer_text(element) + ": node " + integer_text(node) + " of corner " +
              integer_text(corner) + " outside " + range_text(reading.node_count));
    }
  }
  reading.destination.take_element(element, values);
  return true;
}

bool read_elements(DataReading& reading) {
  if (!read_heading(reading, 320) || !read_heading(reading, 321)) {
    return false;
  }
  set_code(reading, 322);
  for (int element = 1; element <= reading.element_count; ++element) {
    if (!read_element(reading, element)) {
      return false;
    }
  }
  return true;
}

bool read_support(DataReading& reading, int support) {
  start_statement(reading.input);
  int support_number = 0;
  PlateSupport values;
  long long node_line = 0;
  if (!read_integer_item(reading.input, support_number) ||
      !read_noting_line(reading, read_integer_item, values.node, node_line) ||
      !read_real_item(reading.input, values.spring_w) ||
      !read_real_item(reading.input, values.spring_theta_x) ||
      !read_real_item(reading.input, values.spring_theta_y)) {
    return false;
  }
  if (!is_node(reading, values.node)) {
    return reject(reading, node_line,
                  "apoio " + integer_text(support) + ": nó " + integer_text(values.node) +
                      " fora de " + range_text(reading.node_count),
                  "support " + integer_text(support) + ": node " + integer_text(values.node) +
                      " outside " + range_text(reading.node_count));
  }
  reading.destination.take_support(support, values);
  return true;
}

bool read_supports(DataReading& reading) {
  if (!read_heading(reading, 330) || !read_heading(reading, 331)) {
    return false;
  }
  set_code(reading, 332);
  for (int support = 1; support <= reading.support_count; ++support) {
    if (!read_support(reading, support)) {
      return false;
    }
  }
  return true;
}

// The load counts of the cases, each with its line. Copies of a count (a repeat, the cases after a
// slash) are taken as one run, so that the list grows with the values written, whatever the count
// of cases says.
bool read_load_counts(DataReading& reading, int load_cases) {
  for (long long taken = 0; taken < load_cases;) {
    LoadCountRun run;
    if (!read_noting_line(reading, read_integer_item, run.loads, run.line)) {
      return false;
    }
    run.cases = 1 + take_copies(reading.input, load_cases - taken - 1);
    taken += run.cases;
    reading.load_counts.push_back(run);
  }
  return true;
}

// The number of load cases, then as many counts of loads, in one statement. Too many cases is
// rejected before their counts are read.
bool read_load_case_statement(DataReading& reading) {
  const DataCapacity& capacity = reading.capacity;
  begin_statement(reading, 402);
  int load_cases = 0;
  if (!read_integer_item(reading.input, load_cases)) {
    return false;
  }
  reading.destination.take_load_case_count(load_cases);
  if (load_cases > capacity.load_cases) {
    return reject(reading, item_line(reading),
                  "número de casos de carga " + integer_text(load_cases) + " acima de " +
                      integer_text(capacity.load_cases),
                  "load case count " + integer_text(load_cases) + " above " +
                      integer_text(capacity.load_cases));
  }
  if (!read_load_counts(reading, load_cases)) {
    return false;
  }
  long long first_case = 1;
  for (const LoadCountRun& run : reading.load_counts) {
    if (run.loads > capacity.loads_per_case) {
      const std::string load_case = integer_text(first_case);
      return reject(reading, run.line,
                    "caso de carga " + load_case + ": número de cargas " + integer_text(run.loads) +
                        " acima de " + integer_text(capacity.loads_per_case),
                    "load case " + load_case + ": load count " + integer_text(run.loads) +
                        " above " + integer_text(capacity.loads_per_case));
    }
    first_case += run.cases;
  }
  return true;
}

// The highest load number of a case of `loads` loads: the store's slots, 1..80, whatever the
// count; a destination of more slots gives a case of more loads a number for each.
int highest_load_number(const DataCapacity& capacity, int loads) {
  return std::min(capacity.loads_per_case, std::max(max_loads_per_case, loads));
}

// A load statement and its load-values statement. The load number chooses the slot; the type,
// the node and the values go into it over what it holds.
bool read_load(DataReading& reading, int load_case, int loads) {
  start_statement(reading.input);
  int load = 0;
  if (!read_integer_item(reading.input, load)) {
    return false;
  }
  const int highest = highest_load_number(reading.capacity, loads);
  if (load < 1 || load > highest) {
    return reject(reading, item_line(reading),
                  "caso de carga " + integer_text(load_case) + ": número de carga " +
                      integer_text(load) + " fora de " + range_text(highest),
                  "load case " + integer_text(load_case) + ": load number " + integer_text(load) +
                      " outside " + range_text(highest));
  }
  PlateLoad slot = reading.destination.load_slot(load_case, load);
  if (!read_integer_item(reading.input, slot.type) ||
      !read_integer_item(reading.input, slot.node)) {
    return false;
  }
  if (slot.type == 1 && !is_node(reading, slot.node)) {
    return reject(
        reading, item_line(reading),
        "caso de carga " + integer_text(load_case) + ", carga " + integer_text(load) + ": nó " +
            integer_text(slot.node) + " fora de " + range_text(reading.node_count),
        "load case " + integer_text(load_case) + ", load " + integer_text(load) + ": node " +
            integer_text(slot.node) + " outside " + range_text(reading.node_count));
  }
  start_statement(reading.input);
  for (float& value : slot.values) {
    if (!read_real_item(reading.input, value)) {
      return false;
    }
  }
  reading.destination.take_load(load_case, load, slot);
  return true;
}

// The first code of load case c: 414 + 12(c - 1) for its two headings, 416 + 12(c - 1) for its
// loads. The program has four cases; a case beyond them runs under the codes of the fourth, and
// the fault names the case.
int load_case_code(long long load_case) {
  return 414 + 12 * (static_cast<int>(std::min<long long>(load_case, max_load_cases)) - 1);
}

// A case's two headings, then its loads.
bool read_load_case(DataReading& reading, int load_case, int loads) {
  reading.fault.load_case = load_case;
  const int code = load_case_code(load_case);
  if (!read_heading(reading, code) || !read_heading(reading, code + 1)) {
    return false;
  }
  set_code(reading, code + 2);
  reading.destination.take_load_case(load_case, loads);
  for (int count = 1; count <= loads; ++count) {
    if (!read_load(reading, load_case, loads)) {
      return false;
    }
  }
  return true;
}

bool read_load_cases(DataReading& reading) {
  if (!read_heading(reading, 400) || !read_heading(reading, 401) ||
      !read_load_case_statement(reading) || !read_heading(reading, 403)) {
    return false;
  }
  int load_case = 0;
  for (const LoadCountRun& run : reading.load_counts) {
    for (long long k = 0; k < run.cases; ++k) {
      if (!read_load_case(reading, ++load_case, run.loads)) {
        return false;
      }
    }
  }
  reading.fault.load_case = 0;
  return true;
}

bool read_results_file_name(DataReading& reading) {
  if (!read_heading(reading, 500)) {
    return false;
  }
  begin_statement(reading, 501);
  std::string& results_name = reading.destination.results_name();
  if (!read_text_item(reading.input, results_name)) {
    return false;
  }
  reading.fault.results_name_line = item_line(reading);
  if (results_name.find_first_not_of(' ') == std::string::npos) {
    return reject(reading, item_line(reading), "nome do ficheiro de resultados em branco",
                  "the results file name is blank");
  }
  if (results_name.find('\0') != std::string::npos) {
    // The system would take the name up to the NUL byte: another file than the one written.
    return reject(reading, item_line(reading), "nome do ficheiro de resultados contém um byte nulo",
                  "the results file name holds a NUL byte");
  }
  return true;
}

}  // namespace

void read_data_statements(std::istream& data, DataDestination& destination, DataFault& fault) {
  DataReading reading(data, destination, fault);
  if (read_title(reading) && read_material(reading) && read_counts(reading) &&
      read_nodes(reading) && read_elements(reading) && read_supports(reading) &&
      read_load_cases(reading) && read_results_file_name(reading)) {
    set_code(reading, 600);
  } else if (fault.reason.empty()) {
    note_input_failure(reading);
  }
}

void read_data_file(std::istream& data, ModelStore& store, DataFault& fault) {
  StoreDestination destination(store);
  read_data_statements(data, destination, fault);
}

void read_file_name_answer(std::istream& console, std::string& name) {
  FreeFormatInput input(console);
  read_text_item(input, name);
}

}  // namespace lajefem
