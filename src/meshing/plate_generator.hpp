// The rectangular plate: A × B metres with its corner at the origin and x along A, a grid of
// quadrilaterals whose lines pass through every column, wall, opening and load, supports from the
// edge letters, the walls and the columns, and no elements in the openings. Material, loads and
// names are the caller's.
#pragma once

#include <array>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "model/plate_model.hpp"

namespace lajefem::meshing {

// How an edge is held: F free, S w (the soft simple support), H w and the slope along the edge
// (the hard simple support), C clamped, Y a line of symmetry (the slope across the edge, w free).
// A wall takes the same letters, its line standing for the edge.
enum class EdgeKind { free, simple, hard, clamped, symmetry };

struct PlanPoint {
  double x = 0;  // m
  double y = 0;  // m
};

// An axis-parallel rectangle, x0 <= x1 and y0 <= y1; a line along x or y when one side is 0.
struct PlanRectangle {
  double x0 = 0;  // m
  double y0 = 0;
  double x1 = 0;
  double y1 = 0;
};

// A line support inside the plate or on its edge, along x or along y: S, H or C.
struct Wall {
  PlanRectangle line;
  EdgeKind kind = EdgeKind::simple;
};

struct PlateRequest {
  double length_x = 0;  // A, m
  double length_y = 0;  // B, m
  int least_nx = 1;     // elements along x asked for (the grid may hold more)
  int least_ny = 1;
  std::array<EdgeKind, 4> edges{};  // bottom (y = 0), right (x = A), top (y = B), left (x = 0)
  std::vector<PlanPoint> columns;   // point supports (w held)
  std::vector<PlanRectangle> column_heads;  // columns of a size: every node in them w held
  std::vector<Wall> walls;
  std::vector<PlanRectangle> openings;  // no elements inside; their sides are free
  std::vector<PlanPoint> points;  // other points a grid line must pass through (loads' corners)
  float spring = 1.0e6f;          // GN/m on every held freedom
  // The stretches between neighbouring parity stops along x and along y (counted from the
  // origin, see grid_lines) whose element count is made even instead of odd.
  std::vector<int> even_runs_x;
  std::vector<int> even_runs_y;
  // The most by which an element may be larger than its neighbour nearer a support; 1: the
  // elements between grid lines through features are equal.
  double grade = 1;
};

// The grading of one side's elements: between two stops, the elements grow by `ratio` from each
// stop that is one of the supports, towards the middle; the counts, and so the odd rule, stay.
struct LineGrading {
  double ratio = 1;
  std::vector<double> supports;  // coordinates of the supports across the side
};

// The coordinates of the grid lines along one side: 0 and length, every column and point in
// between, at least least_count elements of length / least_count or less, and an odd number of
// elements between neighbouring columns and between a column and the edges; no element longer
// than largest_size. The stretches between parity stops (the columns, and the edges when there
// are columns) are numbered from 0 at the origin; those in even_runs get an even count instead.
// The supports of `grading` are stops as the points are; between stops the elements grow from
// the supports (see LineGrading).
// 6 m, 4, no column -> 0 1.5 3 4.5 6; 12 m, 12, columns 0 6 12 -> seven elements a bay;
// 6 m, 3, supports 0 and 6 graded 2 -> 0 1.5 4.5 6.
std::vector<double> grid_lines(double length, int least_count, std::vector<double> columns,
                               std::vector<double> points,
                               double largest_size = std::numeric_limits<double>::infinity(),
                               const std::vector<int>& even_runs = {},
                               const LineGrading& grading = {});

// The number of stretches between parity stops along a side of that length with columns at
// those coordinates: 0 without columns.
int parity_run_count(double length, const std::vector<double>& columns);

struct MeshCounts {
  int nx = 0;
  int ny = 0;
};

struct GeneratedPlate {
  PlateModel model;                  // nodes, elements and supports; no material, loads or names
  MeshCounts mesh;                   // elements along x and y (the grid's, openings included)
  std::vector<double> checkerboard;  // per node, +1 or -1: the element's pattern of w
};

// The plate numbered across the shorter side, so that the half-bandwidth is the least a grid
// allows; the nodes of the grid that no element uses (inside openings) are left out. MeshingError
// when two grid lines fall on the same single-precision coordinate, and when the openings cut the
// plate into pieces that no element side joins.
GeneratedPlate generate_plate(const PlateRequest& request);

// Why a line of symmetry of the request (a Y edge) cannot stand for the whole slab, or nothing.
// Mirrored about a Y edge that no column lies on, the stretch from the last column to the edge
// doubles into an even count between a column and its image: the odd rule is broken in the whole
// slab and the checkerboard that it stops survives in the part modelled.
std::string symmetry_fault(const PlateRequest& request);

// holds_rigid_motions and holds_free_patterns restate, for a grid and its support layout, what the
// model check finds from the stiffness itself (the null space of the stiffness with springs, in
// checking/mechanisms): here the held freedoms are set against the free patterns directly, before
// any stiffness is formed, so that generate refuses the layout with advice instead of writing a
// model that stops. The checking tests hold the two to each other: every layout refused here is a
// mechanism for the check, and every layout accepted here checks without one.

// Whether the edges, walls and columns hold every rigid motion of the plate (w = a + b·x + c·y,
// with the slopes b and c): false for a single column, for supports all on one line with no slope
// held across it (one simply supported edge, columns in a row), and the like.
bool holds_rigid_motions(const PlateRequest& request);

// Whether the supports of a generated plate hold its rigid motions and the element's
// checkerboard pattern of w (+1, -1 at neighbouring nodes) together: three columns alone, for
// one, leave a mix of them free.
bool holds_free_patterns(const GeneratedPlate& plate);

// The finest --mesh of the request's proportions whose plate fits the program's limits, when
// there is one.
std::optional<MeshCounts> finest_fitting_mesh(const PlateRequest& request);

}  // namespace lajefem::meshing
