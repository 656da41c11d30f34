#include "meshing/plate_generator.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "meshing/meshing_error.hpp"
#include "model/limits.hpp"
#include "model/store_limits.hpp"

namespace lajefem::meshing {

namespace {

// A stop of the grid along one side: an edge, a column or a point.
struct LineStop {
  double at = 0;
  bool parity_end = false;  // an odd count of elements must lie between two such stops
};

// The stops in order, those nearer than the round-off of the side's length merged.
std::vector<LineStop> line_stops(double length, const std::vector<double>& columns,
                                 const std::vector<double>& points) {
  const bool columns_given = !columns.empty();
  std::vector<LineStop> stops{{0.0, columns_given}, {length, columns_given}};
  for (const double at : columns) {
    stops.push_back({at, true});
  }
  for (const double at : points) {
    stops.push_back({at, false});
  }
  std::sort(stops.begin(), stops.end(),
            [](const LineStop& a, const LineStop& b) { return a.at < b.at; });
  const double tolerance = 1e-9 * length;
  std::vector<LineStop> merged;
  for (const LineStop& stop : stops) {
    if (!merged.empty() && stop.at - merged.back().at <= tolerance) {
      merged.back().parity_end = merged.back().parity_end || stop.parity_end;
    } else {
      merged.push_back(stop);
    }
  }
  merged.back().at = length;
  return merged;
}

// Elements in each segment between stops: no longer than length / least_count, and an odd sum
// over each run of segments between parity ends, even for the runs in even_runs (one more element
// in the run's coarsest segment where the sum is not so).
std::vector<int> segment_counts(const std::vector<LineStop>& stops, double length, int least_count,
                                double largest_size, const std::vector<int>& even_runs) {
  const double size = std::min(length / least_count, largest_size);
  std::vector<int> counts;
  for (std::size_t s = 0; s + 1 < stops.size(); ++s) {
    const double ratio = (stops[s + 1].at - stops[s].at) / size;
    counts.push_back(std::max(1, static_cast<int>(std::ceil(ratio - 1e-9))));
  }
  const auto element_size = [&](std::size_t i) {
    return (stops[i + 1].at - stops[i].at) / counts[i];
  };
  std::size_t first = 0;
  int run = 0;
  for (std::size_t s = 0; s < counts.size(); ++s) {
    if (!stops[s + 1].parity_end) {
      continue;
    }
    int sum = 0;
    std::size_t coarsest = first;
    for (std::size_t k = first; k <= s; ++k) {
      sum += counts[k];
      if (element_size(k) > element_size(coarsest)) {
        coarsest = k;
      }
    }
    const bool even = std::find(even_runs.begin(), even_runs.end(), run) != even_runs.end();
    if ((sum % 2 == 0) != even) {
      ++counts[coarsest];
    }
    first = s + 1;
    ++run;
  }
  return counts;
}

}  // namespace

namespace {

// The sizes of a segment's n elements, in proportion: growing by `ratio` from each end that is a
// support, towards the middle of the segment (equal when neither end is one, or ratio is 1).
std::vector<double> graded_sizes(int n, bool from_start, bool from_end, double ratio) {
  std::vector<double> sizes;
  for (int k = 0; k < n; ++k) {
    int steps = n;  // from the nearest support end
    if (from_start) {
      steps = k;
    }
    if (from_end) {
      steps = std::min(steps, n - 1 - k);
    }
    sizes.push_back(steps == n ? 1.0 : std::pow(ratio, steps));
  }
  return sizes;
}

}  // namespace

std::vector<double> grid_lines(double length, int least_count, std::vector<double> columns,
                               std::vector<double> points, double largest_size,
                               const std::vector<int>& even_runs, const LineGrading& grading) {
  points.insert(points.end(), grading.supports.begin(), grading.supports.end());
  const std::vector<LineStop> stops = line_stops(length, columns, points);
  const std::vector<int> counts =
      segment_counts(stops, length, least_count, largest_size, even_runs);
  const auto is_support = [&](double at) {
    return std::any_of(grading.supports.begin(), grading.supports.end(),
                       [&](double support) { return std::abs(support - at) <= 1e-9 * length; });
  };
  std::vector<double> lines;
  for (std::size_t s = 0; s < counts.size(); ++s) {
    const double start = stops[s].at;
    const double span = stops[s + 1].at - start;
    const std::vector<double> sizes =
        graded_sizes(counts[s], is_support(start), is_support(stops[s + 1].at), grading.ratio);
    double total = 0;
    for (const double size : sizes) {
      total += size;
    }
    double passed = 0;
    for (int k = 0; k < counts[s]; ++k) {
      lines.push_back(start + span * passed / total);
      passed += sizes[static_cast<std::size_t>(k)];
    }
  }
  lines.push_back(length);
  return lines;
}

int parity_run_count(double length, const std::vector<double>& columns) {
  const std::vector<LineStop> stops = line_stops(length, columns, {});
  return static_cast<int>(std::count_if(stops.begin() + 1, stops.end(),
                                        [](const LineStop& stop) { return stop.parity_end; }));
}

namespace {

enum Edge { bottom, right, top, left };

// Held freedoms of a node: w, θx, θy.
using HeldFreedoms = std::array<bool, 3>;

// The freedoms a line support of that kind holds, the line along x or along y.
HeldFreedoms line_held(EdgeKind kind, bool along_x) {
  switch (kind) {
    case EdgeKind::free:
      return {false, false, false};
    case EdgeKind::simple:
      return {true, false, false};
    case EdgeKind::hard:
      return {true, along_x, !along_x};
    case EdgeKind::clamped:
      return {true, true, true};
    case EdgeKind::symmetry:
      return {false, !along_x, along_x};
  }
  return {false, false, false};
}

HeldFreedoms edge_held(EdgeKind kind, Edge edge) {
  return line_held(kind, edge == bottom || edge == top);
}

void hold(HeldFreedoms& held, const HeldFreedoms& more) {
  for (int f = 0; f < 3; ++f) {
    held[f] = held[f] || more[f];
  }
}

// The part of a rectangle that lies on the plate.
PlanRectangle on_plate(const PlanRectangle& r, const PlateRequest& request) {
  return {std::clamp(r.x0, 0.0, request.length_x), std::clamp(r.y0, 0.0, request.length_y),
          std::clamp(r.x1, 0.0, request.length_x), std::clamp(r.y1, 0.0, request.length_y)};
}

// Every point a grid line must pass through that is not a column: the loads' points, the corners
// of the openings and column heads, the ends of the walls.
std::vector<PlanPoint> stop_points(const PlateRequest& request) {
  std::vector<PlanPoint> points = request.points;
  const auto add_corners = [&](const PlanRectangle& r) {
    const PlanRectangle clipped = on_plate(r, request);
    points.push_back({clipped.x0, clipped.y0});
    points.push_back({clipped.x1, clipped.y1});
  };
  for (const PlanRectangle& opening : request.openings) {
    add_corners(opening);
  }
  for (const PlanRectangle& head : request.column_heads) {
    add_corners(head);
  }
  for (const Wall& wall : request.walls) {
    add_corners(wall.line);
  }
  return points;
}

std::vector<double> coordinates_of(const std::vector<PlanPoint>& points, double PlanPoint::*axis) {
  std::vector<double> values;
  for (const PlanPoint& point : points) {
    values.push_back(point.*axis);
  }
  return values;
}

std::size_t line_index(const std::vector<double>& lines, double at) {
  const auto nearest = std::min_element(lines.begin(), lines.end(), [at](double a, double b) {
    return std::abs(a - at) < std::abs(b - at);
  });
  return static_cast<std::size_t>(nearest - lines.begin());
}

// The grid of a plate: its lines, the cells that hold an element, and the node number of each
// grid point (0 where no element uses it), counted across the shorter side.
struct PlateGrid {
  std::vector<double> xs;
  std::vector<double> ys;
  std::vector<bool> cells;  // cell (i, j) at i + j·nx: an element there
  std::vector<int> nodes;   // grid point (i, j) at i + j·(nx + 1): its node number, or 0

  int nx() const { return static_cast<int>(xs.size()) - 1; }
  int ny() const { return static_cast<int>(ys.size()) - 1; }
  bool across_x() const { return nx() <= ny(); }  // numbered row by row along x
  bool cell(int i, int j) const {
    return i >= 0 && j >= 0 && i < nx() && j < ny() && cells[i + j * nx()];
  }
  int node(int i, int j) const { return nodes[i + j * (nx() + 1)]; }
  // The index ranges of the grid lines of a rectangle on the plate: i0, j0, i1, j1.
  std::array<int, 4> span_of(const PlanRectangle& r) const {
    return {static_cast<int>(line_index(xs, r.x0)), static_cast<int>(line_index(ys, r.y0)),
            static_cast<int>(line_index(xs, r.x1)), static_cast<int>(line_index(ys, r.y1))};
  }
};

bool inside(const PlanRectangle& r, double x, double y) {
  return x > r.x0 && x < r.x1 && y > r.y0 && y < r.y1;
}

// Calls visit(i, j) for every (i, j) of an (n_i) × (n_j) table, across the shorter side first.
template <typename Visit>
void visit_across(bool across_x, int n_i, int n_j, const Visit& visit) {
  const int outer = across_x ? n_j : n_i;
  const int inner = across_x ? n_i : n_j;
  for (int a = 0; a < outer; ++a) {
    for (int b = 0; b < inner; ++b) {
      visit(across_x ? b : a, across_x ? a : b);
    }
  }
}

PlateGrid plate_grid(std::vector<double> xs, std::vector<double> ys,
                     const std::vector<PlanRectangle>& openings) {
  PlateGrid grid{std::move(xs), std::move(ys), {}, {}};
  const int nx = grid.nx();
  const int ny = grid.ny();
  grid.cells.assign(static_cast<std::size_t>(nx * ny), true);
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i) {
      const double x = (grid.xs[i] + grid.xs[i + 1]) / 2;
      const double y = (grid.ys[j] + grid.ys[j + 1]) / 2;
      grid.cells[i + j * nx] =
          std::none_of(openings.begin(), openings.end(),
                       [&](const PlanRectangle& r) { return inside(r, x, y); });
    }
  }
  grid.nodes.assign(static_cast<std::size_t>((nx + 1) * (ny + 1)), 0);
  int next = 0;
  visit_across(grid.across_x(), nx + 1, ny + 1, [&](int i, int j) {
    if (grid.cell(i - 1, j - 1) || grid.cell(i, j - 1) || grid.cell(i - 1, j) || grid.cell(i, j)) {
      grid.nodes[i + j * (nx + 1)] = ++next;
    }
  });
  return grid;
}

// MeshingError when some cells cannot be reached from the others across element sides.
void check_in_one_piece(const PlateGrid& grid) {
  const int nx = grid.nx();
  std::vector<bool> reached(grid.cells.size(), false);
  std::vector<int> stack;
  const auto cells = static_cast<int>(grid.cells.size());
  for (int c = 0; c < cells && stack.empty(); ++c) {
    if (grid.cells[c]) {
      stack.push_back(c);
      reached[c] = true;
    }
  }
  std::size_t count = 0;
  while (!stack.empty()) {
    const int c = stack.back();
    stack.pop_back();
    ++count;
    const int i = c % nx;
    const int j = c / nx;
    for (const auto& [di, dj] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
      if (grid.cell(i + di, j + dj) && !reached[(i + di) + (j + dj) * nx]) {
        reached[(i + di) + (j + dj) * nx] = true;
        stack.push_back((i + di) + (j + dj) * nx);
      }
    }
  }
  if (count != static_cast<std::size_t>(std::count(grid.cells.begin(), grid.cells.end(), true))) {
    throw MeshingError(
        "the openings cut the plate into pieces that no element side joins: model each piece "
        "on its own, or make the openings smaller");
  }
}

void add_nodes_and_elements(GeneratedPlate& plate, const PlateGrid& grid) {
  PlateModel& model = plate.model;
  const int nx = grid.nx();
  const int ny = grid.ny();
  const auto node_count =
      static_cast<std::size_t>(*std::max_element(grid.nodes.begin(), grid.nodes.end()));
  model.nodes.resize(node_count);
  plate.checkerboard.resize(node_count);
  for (int j = 0; j <= ny; ++j) {
    for (int i = 0; i <= nx; ++i) {
      if (const int n = grid.node(i, j)) {
        model.nodes[n - 1] = {static_cast<float>(grid.xs[i]), static_cast<float>(grid.ys[j])};
        plate.checkerboard[n - 1] = (i + j) % 2 == 0 ? 1.0 : -1.0;
      }
    }
  }
  visit_across(grid.across_x(), nx, ny, [&](int i, int j) {
    if (grid.cell(i, j)) {
      model.elements.push_back(
          {1,
           {grid.node(i, j), grid.node(i + 1, j), grid.node(i + 1, j + 1), grid.node(i, j + 1)}});
    }
  });
}

// Holds `more` on every node of the grid points in span (i0, j0, i1, j1).
void hold_span(std::vector<HeldFreedoms>& held, const PlateGrid& grid,
               const std::array<int, 4>& span, const HeldFreedoms& more) {
  for (int j = span[1]; j <= span[3]; ++j) {
    for (int i = span[0]; i <= span[2]; ++i) {
      if (const int n = grid.node(i, j)) {
        hold(held[n - 1], more);
      }
    }
  }
}

void add_supports(PlateModel& model, const PlateRequest& request, const PlateGrid& grid) {
  std::vector<HeldFreedoms> held(model.nodes.size(), HeldFreedoms{false, false, false});
  const int nx = grid.nx();
  const int ny = grid.ny();
  const std::array<std::array<int, 4>, 4> edge_spans{
      {{0, 0, nx, 0}, {nx, 0, nx, ny}, {0, ny, nx, ny}, {0, 0, 0, ny}}};
  for (int edge = bottom; edge <= left; ++edge) {
    hold_span(held, grid, edge_spans[edge],
              edge_held(request.edges[edge], static_cast<Edge>(edge)));
  }
  for (const Wall& wall : request.walls) {
    const std::array<int, 4> span = grid.span_of(on_plate(wall.line, request));
    hold_span(held, grid, span, line_held(wall.kind, span[1] == span[3]));
  }
  for (const PlanRectangle& head : request.column_heads) {
    hold_span(held, grid, grid.span_of(on_plate(head, request)), {true, false, false});
  }
  for (const PlanPoint& column : request.columns) {
    const int node = grid.node(static_cast<int>(line_index(grid.xs, column.x)),
                               static_cast<int>(line_index(grid.ys, column.y)));
    if (node == 0) {
      throw MeshingError("a column lies inside an opening: move it or the opening");
    }
    held[node - 1][0] = true;
  }
  const auto spring = [&](bool is_held) { return is_held ? request.spring : 0.0f; };
  for (std::size_t n = 0; n < held.size(); ++n) {
    if (held[n][0] || held[n][1] || held[n][2]) {
      model.supports.push_back(
          {static_cast<int>(n) + 1, spring(held[n][0]), spring(held[n][1]), spring(held[n][2])});
    }
  }
}

// The program holds coordinates in single precision: neighbouring grid lines must stay apart there.
void check_lines_apart(const std::vector<double>& lines, const char* axis) {
  for (std::size_t k = 1; k < lines.size(); ++k) {
    if (static_cast<float>(lines[k - 1]) >= static_cast<float>(lines[k])) {
      throw MeshingError(std::string("grid lines at ") + axis + " = " +
                         std::to_string(lines[k - 1]) + " and " + std::to_string(lines[k]) +
                         " are the same in single precision: move the columns or points apart, "
                         "or use a coarser mesh");
    }
  }
}

// A held freedom's part in the free patterns of the grid, (a, b, c, d): the rigid motion
// w = a + b·x + c·y and d times the checkerboard pattern of w.
using MotionRow = std::array<double, 4>;

// Adds row to the orthonormal rows of basis when it is independent of them.
void add_independent(std::vector<MotionRow>& basis, MotionRow row) {
  const auto dot = [](const MotionRow& u, const MotionRow& v) {
    return u[0] * v[0] + u[1] * v[1] + u[2] * v[2] + u[3] * v[3];
  };
  for (const MotionRow& unit : basis) {
    const double along = dot(row, unit);
    for (int k = 0; k < 4; ++k) {
      row[k] -= along * unit[k];
    }
  }
  const double norm = std::sqrt(dot(row, row));
  if (norm > 1e-9) {
    basis.push_back({row[0] / norm, row[1] / norm, row[2] / norm, row[3] / norm});
  }
}

// The corners of an edge in the plate's own units (x / A, y / B).
std::array<PlanPoint, 2> edge_ends(Edge edge) {
  switch (edge) {
    case bottom:
      return {PlanPoint{0, 0}, PlanPoint{1, 0}};
    case right:
      return {PlanPoint{1, 0}, PlanPoint{1, 1}};
    case top:
      return {PlanPoint{0, 1}, PlanPoint{1, 1}};
    case left:
      break;
  }
  return {PlanPoint{0, 0}, PlanPoint{0, 1}};
}

// Adds the rows of a line support of held freedoms from a to b (in the plate's own units).
void add_line_rows(std::vector<MotionRow>& basis, const HeldFreedoms& held, const PlanPoint& a,
                   const PlanPoint& b) {
  if (held[0]) {
    add_independent(basis, {1, a.x, a.y, 0});
    add_independent(basis, {1, b.x, b.y, 0});
  }
  if (held[1]) {
    add_independent(basis, {0, 1, 0, 0});
  }
  if (held[2]) {
    add_independent(basis, {0, 0, 1, 0});
  }
}

}  // namespace

bool holds_rigid_motions(const PlateRequest& request) {
  std::vector<MotionRow> basis;
  for (int edge = bottom; edge <= left; ++edge) {
    const auto ends = edge_ends(static_cast<Edge>(edge));
    add_line_rows(basis, edge_held(request.edges[edge], static_cast<Edge>(edge)), ends[0], ends[1]);
  }
  const auto unit = [&](double x, double y) {
    return PlanPoint{x / request.length_x, y / request.length_y};
  };
  for (const Wall& wall : request.walls) {
    const PlanRectangle& r = wall.line;
    add_line_rows(basis, line_held(wall.kind, r.y0 == r.y1), unit(r.x0, r.y0), unit(r.x1, r.y1));
  }
  for (const PlanRectangle& r : request.column_heads) {
    add_line_rows(basis, {true, false, false}, unit(r.x0, r.y0), unit(r.x1, r.y1));
    add_line_rows(basis, {true, false, false}, unit(r.x0, r.y1), unit(r.x1, r.y0));
  }
  for (const PlanPoint& column : request.columns) {
    add_independent(basis, {1, column.x / request.length_x, column.y / request.length_y, 0});
  }
  return basis.size() == 3;
}

bool holds_free_patterns(const GeneratedPlate& plate) {
  PlateNode far{0, 0};
  for (const PlateNode& node : plate.model.nodes) {
    far = {std::max(far.x, node.x), std::max(far.y, node.y)};
  }
  std::vector<MotionRow> basis;
  for (const PlateSupport& support : plate.model.supports) {
    const PlateNode& node = plate.model.nodes[support.node - 1];
    if (support.spring_w > 0) {
      add_independent(basis, {1, node.x / far.x, node.y / far.y,
                              plate.checkerboard[static_cast<std::size_t>(support.node) - 1]});
    }
    if (support.spring_theta_x > 0) {
      add_independent(basis, {0, 1, 0, 0});
    }
    if (support.spring_theta_y > 0) {
      add_independent(basis, {0, 0, 1, 0});
    }
  }
  return basis.size() == 4;
}

std::string symmetry_fault(const PlateRequest& request) {
  if (request.columns.empty()) {
    return {};
  }
  const char* names[] = {"bottom edge (y = 0)", "right edge (x = A)", "top edge (y = B)",
                         "left edge (x = 0)"};
  for (int edge = bottom; edge <= left; ++edge) {
    if (request.edges[edge] != EdgeKind::symmetry) {
      continue;
    }
    const bool along_x = edge == bottom || edge == top;
    const double length = along_x ? request.length_y : request.length_x;
    const double at = edge == top ? request.length_y : edge == right ? request.length_x : 0.0;
    const bool column_on_line = std::any_of(
        request.columns.begin(), request.columns.end(),
        [&](const PlanPoint& c) { return std::abs((along_x ? c.y : c.x) - at) <= 1e-9 * length; });
    if (!column_on_line) {
      return std::string("the line of symmetry on the ") + names[edge] +
             " runs between columns, not through a column line: mirrored, the n elements from "
             "the last column to it become 2n between that column and its image, an even count "
             "that leaves the element's checkerboard pattern free in the whole slab and soft in "
             "the part modelled; put the lines of symmetry through column lines (as for a "
             "quarter of a 2 x 2- or 4 x 4-bay slab), or model the whole slab";
    }
  }
  return {};
}

namespace {

// The coordinates along x (along_x) or y of the supports that the elements grow from: the held
// edges across that side (S, H, C), the walls across it, the columns and the faces of column
// heads.
std::vector<double> support_lines(const PlateRequest& request, bool along_x) {
  const auto held = [](EdgeKind kind) {
    return kind != EdgeKind::free && kind != EdgeKind::symmetry;
  };
  std::vector<double> lines;
  if (held(request.edges[along_x ? left : bottom])) {
    lines.push_back(0.0);
  }
  if (held(request.edges[along_x ? right : top])) {
    lines.push_back(along_x ? request.length_x : request.length_y);
  }
  for (const Wall& wall : request.walls) {
    const PlanRectangle& r = wall.line;
    if (along_x ? r.x0 == r.x1 : r.y0 == r.y1) {
      lines.push_back(along_x ? r.x0 : r.y0);
    }
  }
  for (const PlanPoint& column : request.columns) {
    lines.push_back(along_x ? column.x : column.y);
  }
  for (const PlanRectangle& head : request.column_heads) {
    const PlanRectangle r = on_plate(head, request);
    lines.push_back(along_x ? r.x0 : r.y0);
    lines.push_back(along_x ? r.x1 : r.y1);
  }
  return lines;
}

}  // namespace

double narrowest_spacing(const std::vector<double>& lines) {
  double narrowest = lines.back() - lines.front();
  for (std::size_t k = 0; k + 1 < lines.size(); ++k) {
    narrowest = std::min(narrowest, lines[k + 1] - lines[k]);
  }
  return narrowest;
}

// The grid lines of both sides. Columns and points close together make narrow strips; the
// elements across such a strip are made short enough that no element's sides are in a ratio
// above 10 (with a margin for the coordinates' single precision). Each side's narrowest spacing
// bounds the other side's element size, until neither changes; never below the size at which a
// side would have more lines than the program has nodes (such a plate is refused for its size),
// and for a few rounds at most.
std::pair<std::vector<double>, std::vector<double>> plate_grid_lines(const PlateRequest& request) {
  constexpr double largest_side_ratio = 9.99;
  const std::vector<PlanPoint> points = stop_points(request);
  const LineGrading grading_x{request.grade, support_lines(request, true)};
  const LineGrading grading_y{request.grade, support_lines(request, false)};
  const auto lines_along = [&](double length, int least_count, double PlanPoint::*axis,
                               double largest_size) {
    const bool x = axis == &PlanPoint::x;
    return grid_lines(length, least_count, coordinates_of(request.columns, axis),
                      coordinates_of(points, axis), largest_size,
                      x ? request.even_runs_x : request.even_runs_y, x ? grading_x : grading_y);
  };
  std::vector<double> xs = lines_along(request.length_x, request.least_nx, &PlanPoint::x,
                                       std::numeric_limits<double>::infinity());
  std::vector<double> ys = lines_along(request.length_y, request.least_ny, &PlanPoint::y,
                                       std::numeric_limits<double>::infinity());
  const auto largest_size = [&](double length, const std::vector<double>& across) {
    return std::max(largest_side_ratio * narrowest_spacing(across), length / limits::max_nodes);
  };
  constexpr int rounds = 8;
  bool changed = true;
  for (int round = 0; changed && round < rounds; ++round) {
    std::vector<double> new_xs = lines_along(request.length_x, request.least_nx, &PlanPoint::x,
                                             largest_size(request.length_x, ys));
    std::vector<double> new_ys = lines_along(request.length_y, request.least_ny, &PlanPoint::y,
                                             largest_size(request.length_y, xs));
    changed = new_xs != xs || new_ys != ys;
    xs = std::move(new_xs);
    ys = std::move(new_ys);
  }
  return {xs, ys};
}

GeneratedPlate generate_plate(const PlateRequest& request) {
  const auto [xs, ys] = plate_grid_lines(request);
  check_lines_apart(xs, "x");
  check_lines_apart(ys, "y");
  const PlateGrid grid = plate_grid(xs, ys, request.openings);
  check_in_one_piece(grid);
  GeneratedPlate plate;
  plate.mesh = {grid.nx(), grid.ny()};
  add_nodes_and_elements(plate, grid);
  add_supports(plate.model, request, grid);
  return plate;
}

std::optional<MeshCounts> finest_fitting_mesh(const PlateRequest& request) {
  const int largest = std::max(request.least_nx, request.least_ny);
  for (int m = largest; m >= 1; --m) {
    PlateRequest smaller = request;
    smaller.least_nx =
        std::max(2, static_cast<int>(std::lround(1.0 * request.least_nx * m / largest)));
    smaller.least_ny =
        std::max(2, static_cast<int>(std::lround(1.0 * request.least_ny * m / largest)));
    if (1LL * smaller.least_nx * smaller.least_ny > limits::max_elements) {
      continue;  // more elements than the limit whatever the grid: not worth building
    }
    if (!store_limit_breach(generate_plate(smaller).model)) {
      return MeshCounts{smaller.least_nx, smaller.least_ny};
    }
  }
  return std::nullopt;
}

}  // namespace lajefem::meshing
