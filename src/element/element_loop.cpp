#include "element/element_loop.hpp"

#include <cmath>
#include <ostream>
#include <string>

#include "element/plate_element.hpp"
#include "element/point_jacobian.hpp"
#include "files/buffered_write.hpp"
#include "model/run_stop.hpp"
#include "model/scratch_records.hpp"
#include "text/text_fields.hpp"

namespace lajefem {

namespace {

constexpr int plate_element_type = 1;

void check_element_type(const ModelStore& store, int e, std::ostream& console) {
  if (store.element_type(e) != plate_element_type) {
    console << "Erro: elemento desconhecido"_l1 << '\n';
    throw RunStop();
  }
}

// Corners listed clockwise, or a degenerate element, would enter the stiffness with a negative
// or non-finite determinant: the run stops before such an element is formed.
void check_element_geometry(const ModelStore& store, int e, const CornerValues& x,
                            const CornerValues& y, std::ostream& console) {
  for (int point = 1; point <= sampling_points; ++point) {
    const double determinant = form_point_jacobian(store, x, y, point).determinant;
    if (!(std::isfinite(determinant) && determinant > 0.0)) {
      console << "Erro: elemento"_l1 << format_integer(e, 4) << " com geometria inválida"_l1
              << '\n';
      throw RunStop();
    }
  }
}

// The stress-recovery matrix of element e, 20 rows of 12 values in 1P,G(10.3), written as one
// block.
void log_stress_matrix(const ModelStore& store, int e, std::ostream& log) {
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

// Adds element e's stiffness into the upper triangle (row ≤ column) of global_stiffness.
void assemble_element(ModelStore& store, int e) {
  const ElementEquations equations = element_equations(corner_nodes(store, e));
  for (int r = 1; r <= element_dofs; ++r) {
    const int i = equations[r - 1];
    for (int c = 1; c <= element_dofs; ++c) {
      const int j = equations[c - 1];
      if (i <= j)
        store.global_stiffness(i, j) += store.element_stiffness(r, c);
    }
  }
}

void mirror_lower_triangle(ModelStore& store) {
  for (int i = 2; i <= store.equation_count; ++i) {
    for (int j = 1; j <= i - 1; ++j)
      store.global_stiffness(i, j) = store.global_stiffness(j, i);
  }
}

}  // namespace

void assemble_global_stiffness(ModelStore& store, std::ostream& console, std::ostream& log,
                               std::ostream& scratch) {
  store.global_stiffness.fill(0.0);
  for (int e = 1; e <= store.element_count; ++e) {
    check_element_type(store, e, console);
    CornerValues x;
    CornerValues y;
    for (int a = 1; a <= corners; ++a) {
      x(a) = store.element_x(e, a);
      y(a) = store.element_y(e, a);
    }
    check_element_geometry(store, e, x, y, console);
    form_material_matrices(store);
    plate_element_matrices(store, x, y, log);
    write_scratch_record(scratch, store.element_stress_matrix.data(),
                         store.element_stress_matrix.size);
    log_stress_matrix(store, e, log);
    assemble_element(store, e);
  }
  mirror_lower_triangle(store);
}

}  // namespace lajefem
