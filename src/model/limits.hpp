// The size limits of the model store: every array of the program is dimensioned from these.
#pragma once

namespace lajefem::limits {

constexpr int freedoms_per_node = 3;  // w, θx, θy
constexpr int max_nodes = 300;
constexpr int max_equations = freedoms_per_node * max_nodes;
constexpr int max_elements = 400;
constexpr int corners = 4;
constexpr int max_supports = 60;
constexpr int max_load_cases = 4;
constexpr int max_loads_per_case = 80;
constexpr int values_per_load = 8;
constexpr int max_band = 120;    // stored diagonals of the band, the main diagonal included
constexpr int name_length = 12;  // title and file names

constexpr int element_dofs = freedoms_per_node * corners;  // (w, θx, θy) at each corner
constexpr int stress_rows = 20;     // (Mx, My, Mxy, Qx, Qy) at each of the four Gauss points
constexpr int sampling_points = 5;  // four Gauss points and the element centre

}  // namespace lajefem::limits
