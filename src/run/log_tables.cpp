#include "run/log_tables.hpp"

#include <ostream>
#include <string>

#include "files/buffered_write.hpp"
#include "run/messages.hpp"
#include "text/latin1.hpp"
#include "text/text_fields.hpp"

namespace lajefem {

namespace {

void write_stiffness_lines(std::ostream& log, const ModelStore& store) {
  std::string lines;
  lines.reserve(element_dofs * element_dofs * 32);
  for (int i = 1; i <= element_dofs; ++i) {
    for (int j = 1; j <= element_dofs; ++j) {
      append_free_integer(lines, i);
      lines += ' ';
      append_free_integer(lines, j);
      lines += ' ';
      append_free_real(lines, store.element_stiffness(i, j));
      lines += '\n';
    }
  }
  write_through_buffer(log, lines);
}

void write_stress_matrix(std::ostream& log, const ModelStore& store, int e) {
  std::string block = "\n\n      " + " Elemento nº"_l1;
  block.reserve(24 * 130);
  append_integer(block, e, 4);
  block += "\n   ";
  for (int j = 1; j <= element_dofs; ++j)
    block += "        j=";
  block += "\n i=";
  for (int j = 1; j <= element_dofs; ++j)
    append_integer(block, j, 10);
  block += '\n';
  for (int r = 1; r <= stress_rows; ++r) {
    append_integer(block, r, 3);
    block += "   ";
    for (int c = 1; c <= element_dofs; ++c)
      append_general_1p(block, store.element_stress_matrix(r, c), 10, 3);
    block += '\n';
  }
  write_through_buffer(log, block);
}

}  // namespace

void write_element_log(std::ostream& log, const ModelStore& store, int e) {
  write_stiffness_lines(log, store);
  write_stress_matrix(log, store, e);
}

void write_displacement_table(std::ostream& log, const ModelStore& store) {
  log << "\n";
  for (int i = 1; i <= store.equation_count; ++i) {
    log << displacement_table_line(i, store.load_vectors(i, 1), store.load_vectors(i, 2));
  }
}

}  // namespace lajefem
