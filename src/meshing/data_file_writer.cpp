#include "meshing/data_file_writer.hpp"

#include <charconv>
#include <istream>
#include <ostream>

#include "model/free_format.hpp"
#include "model/limits.hpp"

namespace lajefem::meshing {

DataFileHeadings standard_headings(const std::string& first_line, const std::string& second_line,
                                   std::size_t load_case_count) {
  DataFileHeadings headings;
  headings.top = {first_line, second_line};
  headings.material =
      "Material: modulo de elasticidade E (GPa), coeficiente de Poisson, espessura (m)";
  headings.counts = "Numero de nos, numero de elementos, numero de apoios";
  headings.nodes = {"COORDENADAS DOS NOS", "no  x (m)  y (m)"};
  headings.elements = {"ELEMENTOS (cantos no sentido anti-horario)",
                       "elemento tipo no1 no2 no3 no4"};
  headings.supports = {"APOIOS (molas em GN/m)", "apoio no  k_w  k_tetax  k_tetay"};
  headings.load_cases = {"CARGAS", "numero de casos de carga, numero de cargas de cada caso"};
  headings.load_types =
      "tipo 1 = carga nodal (F kN, Mx, My kN.m); tipo 2 = carga distribuida (q kN/m2)";
  for (std::size_t c = 1; c <= load_case_count; ++c) {
    headings.cases.push_back({"CASO " + std::to_string(c), "carga tipo no  /  oito valores"});
  }
  headings.results = "FICHEIRO DE RESULTADOS";
  return headings;
}

std::string real_text(float value) {
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  const std::string text(digits, end);
  const auto e = text.find('e');
  if (e == std::string::npos) {
    return text;
  }
  // "1e+06" -> "1E6": the exponent without its plus sign and leading zeros.
  return text.substr(0, e) + "E" + std::to_string(std::stoi(text.substr(e + 1)));
}

std::string name_fault(const std::string& name) {
  if (name.size() > static_cast<std::size_t>(limits::name_length)) {
    return "'" + name + "' has " + std::to_string(name.size()) + " characters, more than " +
           std::to_string(limits::name_length);
  }
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
      return "a name may not hold control characters";
    }
  }
  return {};
}

namespace {

// True when the reader would take the text bare as one whole value: not empty, no separator or
// quote, not beginning with a quote nor looking like a repeat count (digits and '*').
bool reads_bare(const std::string& name) {
  if (name.empty()) {
    return false;
  }
  for (const char c : name) {
    if (classify_char(c) != CharClass::other) {
      return false;
    }
  }
  const auto first_non_digit = name.find_first_not_of("0123456789");
  return first_non_digit == 0 || first_non_digit == std::string::npos ||
         name[first_non_digit] != '*';
}

}  // namespace

std::string name_item(const std::string& name) {
  if (reads_bare(name)) {
    return name;
  }
  std::string item = "'";
  for (const char c : name) {
    item += c;
    if (c == '\'') {
      item += c;
    }
  }
  return item + "'";
}

namespace {

void write_line(std::ostream& out, const std::string& text) {
  out << text << '\n';
}

void write_pair(std::ostream& out, const std::array<std::string, 2>& lines) {
  write_line(out, lines[0]);
  write_line(out, lines[1]);
}

void write_nodes(std::ostream& out, const PlateModel& model) {
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    out << n + 1 << ' ' << real_text(model.nodes[n].x) << ' ' << real_text(model.nodes[n].y)
        << '\n';
  }
}

void write_elements(std::ostream& out, const PlateModel& model) {
  for (std::size_t e = 0; e < model.elements.size(); ++e) {
    const PlateElement& element = model.elements[e];
    out << e + 1 << ' ' << element.type;
    for (const int node : element.nodes) {
      out << ' ' << node;
    }
    out << '\n';
  }
}

void write_supports(std::ostream& out, const PlateModel& model) {
  for (std::size_t s = 0; s < model.supports.size(); ++s) {
    const PlateSupport& support = model.supports[s];
    out << s + 1 << ' ' << support.node << ' ' << real_text(support.spring_w) << ' '
        << real_text(support.spring_theta_x) << ' ' << real_text(support.spring_theta_y) << '\n';
  }
}

void write_load_cases(std::ostream& out, const PlateModel& model,
                      const DataFileHeadings& headings) {
  out << model.load_cases.size();
  for (const LoadCase& load_case : model.load_cases) {
    out << ' ' << load_case.loads.size();
  }
  out << '\n';
  write_line(out, headings.load_types);
  for (std::size_t c = 0; c < model.load_cases.size(); ++c) {
    write_pair(out, headings.cases.at(c));
    const auto& loads = model.load_cases[c].loads;
    for (std::size_t k = 0; k < loads.size(); ++k) {
      out << k + 1 << ' ' << loads[k].type << ' ' << loads[k].node << '\n';
      for (std::size_t v = 0; v < loads[k].values.size(); ++v) {
        out << (v == 0 ? "" : " ") << real_text(loads[k].values[v]);
      }
      out << '\n';
    }
  }
}

}  // namespace

void write_data_file(std::ostream& out, const PlateModel& model, const DataFileHeadings& headings) {
  write_pair(out, headings.top);
  write_line(out, name_item(model.title));
  write_line(out, headings.material);
  out << real_text(model.elastic_modulus_gpa) << ' ' << real_text(model.poisson_ratio) << ' '
      << real_text(model.thickness) << '\n';
  write_line(out, headings.counts);
  out << model.nodes.size() << ' ' << model.elements.size() << ' ' << model.supports.size() << '\n';
  write_pair(out, headings.nodes);
  write_nodes(out, model);
  write_pair(out, headings.elements);
  write_elements(out, model);
  write_pair(out, headings.supports);
  write_supports(out, model);
  write_pair(out, headings.load_cases);
  write_load_cases(out, model, headings);
  write_line(out, headings.results);
  write_line(out, name_item(model.results_name));
}

namespace {

std::string heading_line(FreeFormatInput& input) {
  skip_line(input);
  return input.line;
}

std::array<std::string, 2> heading_pair(FreeFormatInput& input) {
  std::string first = heading_line(input);
  return {first, heading_line(input)};
}

// Passes over one statement of `count` values, as the reader takes it (a slash ends it early).
void pass_statement(FreeFormatInput& input, std::size_t count) {
  start_statement(input);
  for (std::size_t k = 0; k < count; ++k) {
    const ItemKind kind = next_item(input).kind;
    if (kind != ItemKind::value && kind != ItemKind::null_value) {
      return;
    }
  }
}

void pass_statements(FreeFormatInput& input, std::size_t statements, std::size_t count) {
  for (std::size_t s = 0; s < statements; ++s) {
    pass_statement(input, count);
  }
}

}  // namespace

DataFileHeadings read_data_file_headings(std::istream& data, const PlateModel& model) {
  FreeFormatInput input(data);
  DataFileHeadings headings;
  headings.top = heading_pair(input);
  pass_statement(input, 1);
  headings.material = heading_line(input);
  pass_statement(input, 3);
  headings.counts = heading_line(input);
  pass_statement(input, 3);
  headings.nodes = heading_pair(input);
  pass_statements(input, model.nodes.size(), 3);
  headings.elements = heading_pair(input);
  pass_statements(input, model.elements.size(), 6);
  headings.supports = heading_pair(input);
  pass_statements(input, model.supports.size(), 5);
  headings.load_cases = heading_pair(input);
  pass_statement(input, 1 + model.load_cases.size());
  headings.load_types = heading_line(input);
  for (const LoadCase& load_case : model.load_cases) {
    headings.cases.push_back(heading_pair(input));
    for (std::size_t k = 0; k < load_case.loads.size(); ++k) {
      pass_statement(input, 3);
      pass_statement(input, limits::values_per_load);
    }
  }
  headings.results = heading_line(input);
  return headings;
}

}  // namespace lajefem::meshing
