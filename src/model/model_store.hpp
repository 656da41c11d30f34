// The model data store: the whole model and every shared intermediate result of one run, in
// fixed-size arrays allocated once (see make_model_store) and handed by reference to each step.
// Every number starts at zero; names are held as exactly 12 characters, padded with blanks.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "model/array.hpp"
#include "model/equation_numbering.hpp"
#include "model/limits.hpp"

namespace lajefem {

using limits::corners;
using limits::element_dofs;
using limits::freedoms_per_node;
using limits::max_band;
using limits::max_elements;
using limits::max_equations;
using limits::max_load_cases;
using limits::max_loads_per_case;
using limits::max_nodes;
using limits::max_supports;
using limits::sampling_points;
using limits::stress_rows;
using limits::values_per_load;

using CornerValues = Array<double, corners>;            // one value per element corner 1..4
using BlockMatrix = Array<double, max_band, max_band>;  // a solver work matrix
using BandMatrix = Array<double, max_equations, max_band>;
using LoadMatrix = Array<double, max_equations, max_load_cases>;
using StiffnessMatrix = Array<double, max_equations, max_equations>;

struct ModelStore {
  // --- Model items, filled by the data reader in the order of the data file ---
  std::string title = std::string(limits::name_length, ' ');  // before reading: the data-file name
  float elastic_modulus = 0;                        // modulus of elasticity, kN/m² (read in GPa)
  float poisson_ratio = 0;                          // Poisson's ratio
  float thickness = 0;                              // plate thickness, m
  int node_count = 0;                               // number of nodes, 1..300
  int element_count = 0;                            // number of elements, 0..400
  int support_count = 0;                            // number of support records, 0..60
  Array<float, max_nodes, 2> node_coord;            // (node, axis 1 = x / 2 = y), m
  Array<int, max_elements> element_type;            // (element) element type code, 1 is known
  Array<int, max_elements, corners> element_nodes;  // (element, corner) node number of the corner
  Array<float, max_supports, 4> support_data;       // (support, 1) node as a real;
                                                    // (support, 2..4) springs w, θx, θy in GN/m
  int load_case_count = 0;                          // number of load cases, 1..4
  Array<int, max_load_cases> loads_per_case;        // (case) number of loads of the case
  Array<int, max_loads_per_case, 2, max_load_cases> load_info;  // (load, 1 type / 2 node, case)
  Array<float, max_loads_per_case, values_per_load, max_load_cases> load_values;  // kN, kN·m
  std::string results_file_name = std::string(limits::name_length, ' ');

  // --- Set by the run driver ---
  int data_error_code = 0;           // reader progress and failure code; 600 = everything read
  int equation_count = 0;            // equation_count_of(node_count)
  int half_bandwidth = 0;            // stored diagonals of the global stiffness, diagonal included
  StiffnessMatrix global_stiffness;  // (equation, equation) full symmetric stiffness, kN, m
  BandMatrix band_stiffness;         // (row, m) = global_stiffness(row, row + m − 1)
  LoadMatrix load_vectors;           // (equation, case) loads, then displacements (m, rad)
  int singular_flag = 0;             // 1 when a block of the solver could not be inverted

  // --- Element geometry and sampling tables ---
  Array<double, max_elements, corners> element_x;      // (element, corner) x of the corner node, m
  Array<double, max_elements, corners> element_y;      // (element, corner) y of the corner node, m
  Array<double, sampling_points, corners> shape_n;     // (point, corner) Na
  Array<double, sampling_points, corners> shape_dxi;   // (point, corner) ∂Na/∂ξ
  Array<double, sampling_points, corners> shape_deta;  // (point, corner) ∂Na/∂η

  // --- Plate element matrices (values of the element last formed) ---
  Array<double, 3, 3> bending_rigidity;  // D matrix of (Mx, My, Mxy) against (κx, κy, κxy), kN·m
  Array<double, 2, 2> shear_rigidity;    // matrix of (Qx, Qy) against (γxz, γyz), kN/m
  Array<double, 4, corners> point_dndx;  // (Gauss point, corner) ∂Na/∂x
  Array<double, 4, corners> point_dndy;  // (Gauss point, corner) ∂Na/∂y
  Array<double, 4> point_jacobian;       // (Gauss point) Jacobian determinant
  double centre_jacobian = 0;            // Jacobian determinant at the element centre
  Array<double, element_dofs, element_dofs> element_stiffness;     // 12 × 12, corner by corner
  Array<double, stress_rows, element_dofs> element_stress_matrix;  // row 5(p − 1) + resultant

  // --- Results ---
  Array<float, max_elements, stress_rows, max_load_cases> element_results;         // kN·m/m, kN/m
  Array<float, max_elements, element_dofs, max_load_cases> element_displacements;  // mm, rad
  Array<float, max_supports, 4, max_load_cases> support_reactions;  // node; Rw kN, Mx, My kN·m
  int run_month = 0;                                                // date of the run, 1..12
  int run_day = 0;                                                  // 1..31
  int run_year_offset = 0;                                          // calendar year − 1900

  // The store is one block of about 7.6 MB, zeroed from end to end when it is made. It is placed
  // on 2 MiB boundaries and offered huge pages where the system has them, so that zeroing it
  // costs a handful of page faults instead of some two thousand.
  static void* operator new(std::size_t size);
  static void operator delete(void* block);
};

// The node numbers at the corners of element e.
inline CornerNodes corner_nodes(const ModelStore& store, int e) {
  return {store.element_nodes(e, 1), store.element_nodes(e, 2), store.element_nodes(e, 3),
          store.element_nodes(e, 4)};
}

// The store is several megabytes (the 900 × 900 stiffness): it lives on the heap, once per run.
inline std::unique_ptr<ModelStore> make_model_store() {
  return std::make_unique<ModelStore>();
}

}  // namespace lajefem
