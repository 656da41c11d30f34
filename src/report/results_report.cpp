// The results report, written top to bottom in one pass: date, input echo, nodal
// displacements, element resultants and corner displacements per load case, support reactions.
// Every line is a fixed sequence of fields; nothing follows a line's last field.
#include "report/results_report.hpp"

#include <ostream>
#include <string>

#include "text/latin1.hpp"
#include "text/text_fields.hpp"

namespace lajefem {
namespace {

// The heading lines are built in a 48-character label buffer; the numbered kinds show its
// leftmost 34 characters followed by the number.
constexpr std::size_t label_buffer_length = 48;
constexpr std::size_t label_shown_length = 34;
constexpr std::size_t title_shown_length = 11;

enum class LabelKind {
  heading = 1,        // empty line, the whole buffer, empty line
  integer_value = 2,  // label and I(5)
  real_value = 3,     // label and F(9.3)
};

std::string blanks(int count) {
  return std::string(static_cast<std::size_t>(count), ' ');
}

void write_line(std::ostream& out, const std::string& line) {
  out.write(line.data(), static_cast<std::streamsize>(line.size()));
  out.put('\n');
}

std::string make_label_buffer(std::string label) {
  label.resize(label_buffer_length, ' ');
  return label;
}

void write_label_line(std::ostream& out, LabelKind kind, const std::string& label_buffer,
                      int integer, float real) {
  const std::string shown = label_buffer.substr(0, label_shown_length);
  switch (kind) {
    case LabelKind::heading:
      write_line(out, "");
      write_line(out, blanks(5) + label_buffer);
      write_line(out, "");
      break;
    case LabelKind::integer_value:
      write_line(out, blanks(5) + shown + format_integer(integer, 5));
      break;
    case LabelKind::real_value:
      write_line(out, blanks(5) + shown + format_fixed(real, 9, 3));
      break;
  }
}

void write_heading(std::ostream& out, const std::string& label) {
  write_label_line(out, LabelKind::heading, make_label_buffer(label), 0, 0.0f);
}

void write_integer_line(std::ostream& out, const std::string& label, int value) {
  write_label_line(out, LabelKind::integer_value, make_label_buffer(label), value, 0.0f);
}

void write_real_line(std::ostream& out, const std::string& label, float value) {
  write_label_line(out, LabelKind::real_value, make_label_buffer(label), 0, value);
}

// A node number held as a real (support records) shows its integer part.
int node_number(float value) {
  return static_cast<int>(value);
}

void write_date_heading(const ModelStore& store, std::ostream& out) {
  write_heading(out, "TESTE EXECUTADO EM:"_l1);
  write_integer_line(out, "DIA    -------------------------"_l1, store.run_day);
  write_integer_line(out, "MÊS    -------------------------"_l1, store.run_month);
  write_integer_line(out, "ANO    -------------------------"_l1, store.run_year_offset + 1900);
}

void write_title_and_material(const ModelStore& store, std::ostream& out) {
  write_heading(out, "TÍTULO    ----------------------"_l1 + blanks(5) +
                         store.title.substr(0, title_shown_length));
  write_real_line(out, "MODULO DE ELASTICIDADE (GPA) ---"_l1, store.elastic_modulus / 1000000.0f);
  write_real_line(out, "Coeficiente de Poisson ---------"_l1, store.poisson_ratio);
  write_real_line(out, "Espessura ----------------------"_l1, store.thickness);
  write_integer_line(out, "NUMERO DE NOS  -----------------"_l1, store.node_count);
  write_integer_line(out, "NUMERO DE Elementos  -----------"_l1, store.element_count);
  write_integer_line(out, "NUMERO DE APOIOS  --------------"_l1, store.support_count);
}

void write_node_coordinates(const ModelStore& store, std::ostream& out) {
  write_line(out, "");
  write_line(out, blanks(5) + "**** COORDENADAS DOS NOS ****"_l1);
  write_line(out,
             blanks(10) + "NOS"_l1 + blanks(5) + "COORDXX(m)"_l1 + blanks(5) + "COORDYY(m)"_l1);
  std::string line;
  for (int n = 1; n <= store.node_count; ++n) {
    line.assign(8, ' ');
    append_integer(line, n, 4);
    line.append(7, ' ');
    append_fixed(line, store.node_coord(n, 1), 8, 2);
    line.append(7, ' ');
    append_fixed(line, store.node_coord(n, 2), 8, 2);
    write_line(out, line);
  }
}

void write_elements(const ModelStore& store, std::ostream& out) {
  write_line(out, "");
  write_line(out, blanks(5) + "**** CARACTERISTICAS DAS BARRAS ****"_l1);
  write_line(out, " NUM."_l1 + blanks(2) + "ETP-1//EDP-2"_l1 + blanks(4) + "No 1"_l1 + blanks(5) +
                      "No 2"_l1 + blanks(5) + "No 3"_l1 + blanks(5) + "No 4"_l1);
  for (int e = 1; e <= store.element_count; ++e) {
    std::string line = format_integer(e, 3) + blanks(5);
    line += blanks(5) + format_integer(store.element_type(e), 4);
    for (int k = 1; k <= corners; ++k) {
      line += blanks(5) + format_integer(store.element_nodes(e, k), 4);
    }
    write_line(out, line);
  }
}

void write_supports(const ModelStore& store, std::ostream& out) {
  write_line(out, "");
  write_line(out, blanks(5) + "**** CONDICOES FRONTEIRA ****"_l1);
  write_line(out, blanks(5) + "NUMERO DE APOIOS COM DESLOCAMENTOS NULOS ---"_l1 +
                      format_integer(store.support_count, 3));
  write_line(out, blanks(5) + "RIGIDEZ EM GN/m"_l1 + blanks(1));
  write_line(out, "");
  write_line(out, blanks(2) + "NO"_l1 + blanks(2) + blanks(8) + "RIGID ww"_l1 + blanks(9) +
                      "RIGID Tetax"_l1 + blanks(9) + "RIGID Tetay"_l1);
  for (int s = 1; s <= store.support_count; ++s) {
    std::string line = format_integer(node_number(store.support_data(s, 1)), 4);
    for (int j = 2; j <= 4; ++j) {
      line += blanks(7) + format_general_1p(store.support_data(s, j), 12, 4);
    }
    write_line(out, line);
  }
}

void write_case_loads(const ModelStore& store, int c, std::ostream& out) {
  write_line(out, "");
  write_line(out, "Caso carga"_l1 + blanks(2) + "Nº carga"_l1 + blanks(2) + "Tipo carga"_l1 +
                      blanks(2) + "Nº nó/elemento"_l1);
  write_line(out, blanks(4) + "Valores (KN,m)"_l1);
  for (int i = 1; i <= store.loads_per_case(c); ++i) {
    write_line(out, format_integer(c, 8) + format_integer(i, 10) +
                        format_integer(store.load_info(i, 1, c), 10) +
                        format_integer(store.load_info(i, 2, c), 10));
    // Only the first six values of a load are shown.
    std::string values = blanks(2);
    for (int j = 1; j <= 6; ++j) {
      values += blanks(3) + format_general(store.load_values(i, j, c), 12, 4);
    }
    write_line(out, values);
  }
}

void write_loads(const ModelStore& store, std::ostream& out) {
  write_heading(out, "**** CARREGAMENTO ****"_l1);
  write_integer_line(out, "Nº de casos de carga -------------"_l1, store.load_case_count);
  write_line(out, "");
  write_line(out, " Caso de carga"_l1 + blanks(4) + "Nº de cargas em cada caso de carga"_l1);
  for (int c = 1; c <= store.load_case_count; ++c) {
    write_line(out, blanks(8) + format_integer(c, 2) + blanks(10) +
                        format_integer(store.loads_per_case(c), 5));
  }
  for (int c = 1; c <= store.load_case_count; ++c) {
    write_case_loads(store, c, out);
  }
}

// w is shown in mm, the rotations in rad, all from the single-precision copies.
void write_nodal_displacements(const ModelStore& store, std::ostream& out) {
  write_line(out, "");
  write_line(out, "");
  write_line(out, blanks(5) + "**** DESLOCAMENTOS NODAIS GLOBAIS ****"_l1);
  write_line(out, "");
  write_line(out, " Caso carga"_l1 + blanks(2) + "Ponto"_l1 + blanks(5) + "Desloc ww (mm)"_l1 +
                      blanks(2) + "Desl tetax (rad)"_l1 + blanks(2) + "Desl tetay (rad)"_l1);
  std::string line;
  for (int c = 1; c <= store.load_case_count; ++c) {
    for (int n = 1; n <= store.node_count; ++n) {
      const float w =
          static_cast<float>(store.load_vectors(node_equation(n, freedom_w), c)) * 1000.0f;
      const float theta_x =
          static_cast<float>(store.load_vectors(node_equation(n, freedom_theta_x), c));
      const float theta_y =
          static_cast<float>(store.load_vectors(node_equation(n, freedom_theta_y), c));
      line.clear();
      append_integer(line, c, 8);
      append_integer(line, n, 8);
      line.append(2, ' ');
      append_fixed(line, w, 16, 5);
      line.append(3, ' ');
      append_fixed(line, theta_x, 16, 9);
      line.append(3, ' ');
      append_fixed(line, theta_y, 16, 9);
      write_line(out, line);
    }
  }
}

// Five lines per element (Mx, My, Mxy, Qx, Qy), each across the four Gauss points.
void write_case_resultants(const ModelStore& store, int c, std::ostream& out) {
  write_line(out, "");
  write_line(out, blanks(5) + "*** CASO DE CARGA Nº "_l1 + format_integer(c, 2) + " ***"_l1);
  write_line(out, "");
  write_line(out, " Elemento "_l1 + " Tipo"_l1 + blanks(8) + "Ponto 1"_l1 + blanks(5) +
                      "Ponto 2"_l1 + blanks(5) + "Ponto 3"_l1 + blanks(5) + "Ponto 4"_l1);
  std::string line;
  for (int e = 1; e <= store.element_count; ++e) {
    for (int t = 1; t <= 5; ++t) {
      line.clear();
      append_integer(line, e, 6);
      line.append(6, ' ');
      append_integer(line, t, 2);
      line.append(4, ' ');
      for (int p = 1; p <= 4; ++p) {
        append_fixed(line, store.element_results(e, 5 * (p - 1) + t, c), 12, 4);
      }
      write_line(out, line);
    }
  }
}

void write_case_corner_displacements(const ModelStore& store, int c, std::ostream& out) {
  write_line(out, "");
  write_line(out, " Elemento"_l1 + blanks(6) + "Nó 1"_l1 + blanks(26) + "Nó 2"_l1 + blanks(26) +
                      "Nó 3"_l1 + blanks(26) + "Nó 4"_l1);
  std::string columns = blanks(5) + "ww (mm) Tetax(rad) Tetay(rad)"_l1;
  for (int k = 2; k <= corners; ++k) {
    columns += " ww (mm) Tetax(rad) Tetay(rad)"_l1;
  }
  write_line(out, columns);
  std::string line;
  for (int e = 1; e <= store.element_count; ++e) {
    line.clear();
    append_integer(line, e, 4);
    for (int k = 1; k <= corners; ++k) {
      append_fixed(line, store.element_displacements(e, element_freedom(k, freedom_w), c), 8, 3);
      append_fixed(line, store.element_displacements(e, element_freedom(k, freedom_theta_x), c), 11,
                   6);
      append_fixed(line, store.element_displacements(e, element_freedom(k, freedom_theta_y), c), 11,
                   6);
    }
    write_line(out, line);
  }
}

void write_element_results(const ModelStore& store, std::ostream& out) {
  write_line(out, "");
  write_line(out, "");
  write_line(out, blanks(5) + "* RESULTADOS ELEMENTARES, ESFORÇOS(KN,m)/DESLOC(mm)"_l1);
  write_line(out, blanks(2) + "Tipo 1-> Mx / Tipo 2-> My / Tipo 3-> Mxy / "_l1 +
                      "Tipo 4-> Qx / Tipo 5-> Qy"_l1);
  for (int c = 1; c <= store.load_case_count; ++c) {
    write_case_resultants(store, c, out);
    write_case_corner_displacements(store, c, out);
  }
}

void write_support_reactions(const ModelStore& store, std::ostream& out) {
  write_line(out, "");
  write_line(out, blanks(5) + "**** REAÇÕES DE APOIO ****"_l1);
  write_line(out, " Caso carga"_l1 + blanks(5) + "Nó"_l1 + blanks(10) + "Rw (KN)"_l1 + blanks(8) +
                      "Mx (KN.m)"_l1 + blanks(8) + "My (KN.m)"_l1);
  std::string line;
  for (int c = 1; c <= store.load_case_count; ++c) {
    for (int s = 1; s <= store.support_count; ++s) {
      line.assign(3, ' ');
      append_integer(line, c, 3);
      line.append(8, ' ');
      append_integer(line, node_number(store.support_reactions(s, 1, c)), 4);
      for (int j = 2; j <= 4; ++j) {
        append_fixed(line, store.support_reactions(s, j, c), 17, 4);
      }
      write_line(out, line);
    }
  }
}

}  // namespace

void write_results_report(ModelStore& store, const CalendarDate& today, std::ostream& out) {
  store.run_day = today.day;
  store.run_month = today.month;
  store.run_year_offset = today.year - 1900;
  write_date_heading(store, out);
  write_title_and_material(store, out);
  write_node_coordinates(store, out);
  write_elements(store, out);
  write_supports(store, out);
  write_loads(store, out);
  write_nodal_displacements(store, out);
  write_element_results(store, out);
  write_support_reactions(store, out);
}

}  // namespace lajefem
