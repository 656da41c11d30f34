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

std::vector<double> grid_lines(double length, int least_count, std::vector<double> columns,
                               std::vector<double> points, double largest_size,
                               const std::vector<int>& even_runs) {
  const std::vector<LineStop> stops = line_stops(length, columns, points);
  const std::vector<int> counts =
      segment_counts(stops, length, least_count, largest_size, even_runs);
  std::vector<double> lines;
  for (std::size_t s = 0; s < counts.size(); ++s) {
    const double start = stops[s].at;
    const double span = stops[s + 1].at - start;
    for (int k = 0; k < counts[s]; ++k) {
      lines.push_back(start + span * k / counts[s]);
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

HeldFreedoms edge_held(EdgeKind kind, Edge edge) {
  const bool along_x = edge == bottom || edge == top;
  switch (kind) {
    case EdgeKind::free:
      return {false, false, false};
    case EdgeKind::simple:
      return {true, false, false};
    case EdgeKind::hard:
      return {true, along_x, !along_x};
    case EdgeKind::clamped:
      return {true, true, true};
  }
  return {false, false, false};
}

void hold(HeldFreedoms& held, const HeldFreedoms& more) {
  for (int f = 0; f < 3; ++f) {
    held[f] = held[f] || more[f];
  }
}

// Grid point (i, j) of an (nx + 1) × (ny + 1) grid and its node number, counted across the
// shorter side.
struct GridNumbering {
  int nx = 0;
  int ny = 0;
  int node(int i, int j) const { return nx <= ny ? j * (nx + 1) + i + 1 : i * (ny + 1) + j + 1; }
  // +1 or -1: the checkerboard pattern of w at a node.
  double checkerboard(int node) const {
    const int across = nx <= ny ? nx + 1 : ny + 1;
    return ((node - 1) / across + (node - 1) % across) % 2 == 0 ? 1.0 : -1.0;
  }
};

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

void add_nodes_and_elements(PlateModel& model, const std::vector<double>& xs,
                            const std::vector<double>& ys, const GridNumbering& grid) {
  model.nodes.resize(xs.size() * ys.size());
  for (int j = 0; j <= grid.ny; ++j) {
    for (int i = 0; i <= grid.nx; ++i) {
      model.nodes[grid.node(i, j) - 1] = {static_cast<float>(xs[i]), static_cast<float>(ys[j])};
    }
  }
  const int outer = grid.nx <= grid.ny ? grid.ny : grid.nx;
  const int inner = grid.nx <= grid.ny ? grid.nx : grid.ny;
  for (int a = 0; a < outer; ++a) {
    for (int b = 0; b < inner; ++b) {
      const int i = grid.nx <= grid.ny ? b : a;
      const int j = grid.nx <= grid.ny ? a : b;
      model.elements.push_back(
          {1,
           {grid.node(i, j), grid.node(i + 1, j), grid.node(i + 1, j + 1), grid.node(i, j + 1)}});
    }
  }
}

void add_supports(PlateModel& model, const PlateRequest& request, const std::vector<double>& xs,
                  const std::vector<double>& ys, const GridNumbering& grid) {
  std::vector<HeldFreedoms> held(model.nodes.size(), HeldFreedoms{false, false, false});
  for (int j = 0; j <= grid.ny; ++j) {
    for (int i = 0; i <= grid.nx; ++i) {
      HeldFreedoms& node = held[grid.node(i, j) - 1];
      const std::array<bool, 4> on_edge{j == 0, i == grid.nx, j == grid.ny, i == 0};
      for (int edge = bottom; edge <= left; ++edge) {
        if (on_edge[edge]) {
          hold(node, edge_held(request.edges[edge], static_cast<Edge>(edge)));
        }
      }
    }
  }
  for (const PlanPoint& column : request.columns) {
    const int node = grid.node(static_cast<int>(line_index(xs, column.x)),
                               static_cast<int>(line_index(ys, column.y)));
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

}  // namespace

bool holds_rigid_motions(const PlateRequest& request) {
  std::vector<MotionRow> basis;
  for (int edge = bottom; edge <= left; ++edge) {
    const HeldFreedoms held = edge_held(request.edges[edge], static_cast<Edge>(edge));
    if (held[0]) {
      for (const PlanPoint& end : edge_ends(static_cast<Edge>(edge))) {
        add_independent(basis, {1, end.x, end.y, 0});
      }
    }
    if (held[1]) {
      add_independent(basis, {0, 1, 0, 0});
    }
    if (held[2]) {
      add_independent(basis, {0, 0, 1, 0});
    }
  }
  for (const PlanPoint& column : request.columns) {
    add_independent(basis, {1, column.x / request.length_x, column.y / request.length_y, 0});
  }
  return basis.size() == 3;
}

bool holds_free_patterns(const GeneratedPlate& plate) {
  const GridNumbering grid{plate.mesh.nx, plate.mesh.ny};
  const PlateNode& far = plate.model.nodes.back();
  std::vector<MotionRow> basis;
  for (const PlateSupport& support : plate.model.supports) {
    const PlateNode& node = plate.model.nodes[support.node - 1];
    if (support.spring_w > 0) {
      add_independent(basis, {1, node.x / far.x, node.y / far.y, grid.checkerboard(support.node)});
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
  const auto lines_along = [&](double length, int least_count, double PlanPoint::*axis,
                               double largest_size) {
    return grid_lines(length, least_count, coordinates_of(request.columns, axis),
                      coordinates_of(request.points, axis), largest_size,
                      axis == &PlanPoint::x ? request.even_runs_x : request.even_runs_y);
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
  const GridNumbering grid{static_cast<int>(xs.size()) - 1, static_cast<int>(ys.size()) - 1};
  PlateModel model;
  add_nodes_and_elements(model, xs, ys, grid);
  add_supports(model, request, xs, ys, grid);
  return {model, {grid.nx, grid.ny}};
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
