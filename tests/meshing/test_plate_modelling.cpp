// The plate's walls, openings, column heads and lines of symmetry: which nodes are held and how,
// where the grid lines pass, and models of a half or a quarter that must agree with the whole.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <variant>

#include "analysis/analysis.hpp"
#include "meshing/meshing_error.hpp"
#include "meshing/plate_generator.hpp"

namespace lajefem::meshing {
namespace {

std::array<EdgeKind, 4> edges_of(const std::string& letters) {
  std::array<EdgeKind, 4> edges{};
  for (std::size_t k = 0; k < 4; ++k) {
    edges[k] = static_cast<EdgeKind>(std::string("FSHCY").find(letters[k]));
  }
  return edges;
}

// A 4 m square on a 4 × 4 mesh with the given edges.
PlateRequest square_of(const std::string& letters) {
  PlateRequest request;
  request.length_x = request.length_y = 4.0;
  request.least_nx = request.least_ny = 4;
  request.edges = edges_of(letters);
  return request;
}

// Rows of the grid from y = 0 up, one "|"-separated row each: for every grid point "w", "x",
// "y" or "-" for w, θx, θy, or "   " where there is no node.
std::string held_grid(const PlateModel& model) {
  std::map<std::pair<float, float>, std::string> held;
  for (const PlateNode& node : model.nodes) {
    held[{node.y, node.x}] = "---";
  }
  for (const PlateSupport& support : model.supports) {
    const PlateNode& node = model.nodes[static_cast<std::size_t>(support.node) - 1];
    held[{node.y, node.x}] = {support.spring_w > 0 ? 'w' : '-',
                              support.spring_theta_x > 0 ? 'x' : '-',
                              support.spring_theta_y > 0 ? 'y' : '-'};
  }
  std::string text;
  for (int j = 0; j <= 4; ++j) {
    text += j == 0 ? "" : "|";
    for (int i = 0; i <= 4; ++i) {
      const auto found = held.find({static_cast<float>(j), static_cast<float>(i)});
      text += (i == 0 ? "" : " ") + (found == held.end() ? std::string("   ") : found->second);
    }
  }
  return text;
}

TEST(PlateModelling, HeldFreedomsOfWallsOpeningsColumnHeadsAndSymmetryEdges) {
  struct Row {
    const char* what;
    const char* edges;
    std::vector<Wall> walls;
    std::vector<PlanRectangle> openings;
    std::vector<PlanRectangle> heads;
    const char* held;
  };
  const Row rows[] = {
      {"Y on the bottom and left edges",
       "YFFY",
       {},
       {},
       {},
       "-xy --y --y --y --y|-x- --- --- --- ---|"
       "-x- --- --- --- ---|-x- --- --- --- ---|-x- --- --- --- ---"},
      {"Y on the right and top edges",
       "FYYF",
       {},
       {},
       {},
       "--- --- --- --- -x-|--- --- --- --- -x-|"
       "--- --- --- --- -x-|--- --- --- --- -x-|--y --y --y --y -xy"},
      {"wall S along y at x = 2",
       "FFFF",
       {{{2, 0, 2, 4}, EdgeKind::simple}},
       {},
       {},
       "--- --- w-- --- ---|--- --- w-- --- ---|--- --- w-- --- ---|--- --- w-- --- ---|"
       "--- --- w-- --- ---"},
      {"wall H along x at y = 1, half across",
       "FFFF",
       {{{0, 1, 2, 1}, EdgeKind::hard}},
       {},
       {},
       "--- --- --- --- ---|wx- wx- wx- --- ---|--- --- --- --- ---|--- --- --- --- ---|"
       "--- --- --- --- ---"},
      {"wall C on the top edge of a free plate",
       "SFFF",
       {{{1, 4, 3, 4}, EdgeKind::clamped}},
       {},
       {},
       "w-- w-- w-- w-- w--|--- --- --- --- ---|--- --- --- --- ---|--- --- --- --- ---|"
       "--- wxy wxy wxy ---"},
      {"opening in the middle: its sides free",
       "SSSS",
       {},
       {{1, 1, 3, 3}},
       {},
       "w-- w-- w-- w-- w--|w-- --- --- --- w--|w-- ---     --- w--|w-- --- --- --- w--|"
       "w-- w-- w-- w-- w--"},
      {"opening at a corner: the edges stop at it",
       "CCCC",
       {},
       {{2, 2, 4, 4}},
       {},
       "wxy wxy wxy wxy wxy|wxy --- --- --- wxy|wxy --- --- --- wxy|wxy --- ---        |"
       "wxy wxy wxy        "},
      {"column head of 2 m x 2 m at the centre",
       "FFFF",
       {},
       {},
       {{1, 1, 3, 3}},
       "--- --- --- --- ---|--- w-- w-- w-- ---|--- w-- w-- w-- ---|--- w-- w-- w-- ---|"
       "--- --- --- --- ---"},
      {"column head at an edge, cut to the plate",
       "FFFF",
       {},
       {},
       {{-1, 1, 1, 2}},
       "--- --- --- --- ---|w-- w-- --- --- ---|w-- w-- --- --- ---|--- --- --- --- ---|"
       "--- --- --- --- ---"},
  };
  for (const Row& row : rows) {
    PlateRequest request = square_of(row.edges);
    request.walls = row.walls;
    request.openings = row.openings;
    request.column_heads = row.heads;
    EXPECT_EQ(held_grid(generate_plate(request).model), row.held) << row.what;
  }
}

// Grid lines pass through the sides of openings and column heads and the ends of walls, which
// are no parity stops: the count between the columns at 0 and 6 m stays odd.
TEST(PlateModelling, GridLinesPassThroughEveryFeature) {
  PlateRequest request;
  request.length_x = 6;
  request.length_y = 4;
  request.least_nx = 6;
  request.least_ny = 4;
  request.columns = {{0, 0}, {6, 0}, {0, 4}, {6, 4}};
  request.openings = {{1.3, 1.1, 2.7, 2.2}};
  request.walls = {{{4.4, 0.5, 4.4, 3.5}, EdgeKind::simple}};
  request.column_heads = {{5.1, 1.7, 5.5, 2.5}};
  const GeneratedPlate plate = generate_plate(request);
  const auto has_line = [&](double at, float PlateNode::*axis) {
    return std::any_of(plate.model.nodes.begin(), plate.model.nodes.end(),
                       [&](const PlateNode& node) { return node.*axis == static_cast<float>(at); });
  };
  for (const double x : {1.3, 2.7, 4.4, 5.1, 5.5}) {
    EXPECT_TRUE(has_line(x, &PlateNode::x)) << "x = " << x;
  }
  for (const double y : {1.1, 2.2, 0.5, 3.5, 1.7, 2.5}) {
    EXPECT_TRUE(has_line(y, &PlateNode::y)) << "y = " << y;
  }
  EXPECT_EQ(plate.mesh.nx % 2, 1);
  EXPECT_EQ(plate.mesh.ny % 2, 1);
  EXPECT_TRUE(holds_free_patterns(plate));
}

TEST(PlateModelling, OpeningsThatCutThePlateInTwoAreRefused) {
  PlateRequest request = square_of("SSSS");
  request.openings = {{1, 0, 2, 4}};
  EXPECT_THROW(generate_plate(request), MeshingError);
  request.openings = {{0, 0, 2, 2}, {2, 2, 4, 4}};  // pieces meeting at a node only
  EXPECT_THROW(generate_plate(request), MeshingError);
  request.openings = {{1, 0, 2, 3}};
  EXPECT_NO_THROW(generate_plate(request));
}

// A line of symmetry with point columns must run through a column line.
TEST(PlateModelling, SymmetryLinesBetweenColumnsAreFaults) {
  const struct {
    const char* edges;
    std::vector<PlanPoint> columns;
    bool fault;
  } rows[] = {
      {"FYYF", {{0, 0}, {6, 0}, {0, 6}, {6, 6}}, true},  // quarter of 3 x 3 bays of 6 m
      {"FYYF", {{0, 0}, {6, 0}, {0, 6}, {6, 6}, {9, 9}}, false},
      {"FYYF", {{0, 0}, {9, 0}, {0, 9}, {9, 9}}, false},  // quarter of 2 x 2 bays of 9 m
      {"FFYF", {{0, 0}, {6, 0}, {0, 9}, {6, 9}}, false},
      {"YFFF", {{0, 3}, {6, 3}, {0, 9}}, true},
      {"YFFS", {{0, 0}, {9, 0}, {9, 9}}, false},
      {"SYSS", {}, false},  // edge supports alone: no odd rule to break
  };
  for (const auto& row : rows) {
    PlateRequest request;
    request.length_x = request.length_y = 9;
    request.least_nx = request.least_ny = 9;
    request.edges = edges_of(row.edges);
    request.columns = row.columns;
    EXPECT_EQ(!symmetry_fault(request).empty(), row.fault) << row.edges << row.columns.size();
  }
}

TEST(GradedGridLines, GrowFromTheSupportsTowardsTheSpans) {
  const struct {
    double length;
    int least;
    std::vector<double> columns;
    std::vector<double> supports;
    double ratio;
    std::vector<double> lines;
  } rows[] = {
      {6, 3, {}, {0, 6}, 2, {0, 1.5, 4.5, 6}},
      {7, 3, {}, {0}, 2, {0, 1, 3, 7}},  // from the one held edge
      {7, 3, {}, {7}, 2, {0, 4, 6, 7}},
      {6, 3, {}, {}, 2, {0, 2, 4, 6}},             // no support: equal
      {8, 4, {}, {0, 8}, 1, {0, 2, 4, 6, 8}},      // ratio 1: equal
      {6, 4, {}, {0, 6}, 2, {0, 1, 3, 5, 6}},      // an even count: the middle two alike
      {8, 2, {}, {3}, 2, {0, 3, 3 + 5.0 / 3, 8}},  // one element to the support, then growing
      {12, 6, {0, 6, 12}, {0, 6, 12}, 2, {0, 1.5, 4.5, 6, 7.5, 10.5, 12}},
  };
  for (const auto& row : rows) {
    const std::vector<double> lines =
        grid_lines(row.length, row.least, row.columns, {}, std::numeric_limits<double>::infinity(),
                   {}, {row.ratio, row.supports});
    ASSERT_EQ(lines.size(), row.lines.size()) << row.length << " " << row.least;
    for (std::size_t k = 0; k < lines.size(); ++k) {
      EXPECT_NEAR(lines[k], row.lines[k], 1e-12) << row.length << " " << row.least << " line " << k;
    }
  }
}

// On a whole plate the grading keeps the counts of the equal mesh, so the odd rule between
// columns holds, and no element is more than R times its neighbour (every stop here is a
// support, so the elements on either side of one are the small ones).
TEST(GradedGridLines, KeepTheCountsAndTheRatio) {
  PlateRequest request;
  request.length_x = 12;
  request.length_y = 9;
  request.least_nx = 10;
  request.least_ny = 8;
  request.edges = edges_of("CFSF");
  request.columns = {{0, 4.5}, {6, 4.5}, {12, 4.5}};
  const GeneratedPlate equal = generate_plate(request);
  request.grade = 1.3;
  const GeneratedPlate graded = generate_plate(request);
  EXPECT_EQ(graded.mesh.nx, equal.mesh.nx);
  EXPECT_EQ(graded.mesh.ny, equal.mesh.ny);
  EXPECT_TRUE(holds_free_patterns(graded));
  std::set<float> xs;
  std::set<float> ys;
  for (const PlateNode& node : graded.model.nodes) {
    xs.insert(node.x);
    ys.insert(node.y);
  }
  for (const std::set<float>* lines : {&xs, &ys}) {
    const std::vector<double> at(lines->begin(), lines->end());
    for (std::size_t k = 2; k < at.size(); ++k) {
      const double ratio = (at[k] - at[k - 1]) / (at[k - 1] - at[k - 2]);
      EXPECT_LE(std::max(ratio, 1 / ratio), 1.3 * (1 + 1e-5)) << "at " << at[k - 1];
    }
  }
  const std::vector<double> x_lines(xs.begin(), xs.end());
  EXPECT_LT(x_lines[1] - x_lines[0], 12.0 / equal.mesh.nx);  // finer at the clamped edge
}

PlateModel loaded(PlateModel model) {
  model.elastic_modulus_gpa = 30;
  model.poisson_ratio = 0.2f;
  model.thickness = 0.2f;
  model.load_cases = {{{{2, 0, {-10}}}}};
  return model;
}

std::map<std::pair<float, float>, double> deflections(const PlateModel& model) {
  const auto outcome = analyse_plate_model(loaded(model));
  EXPECT_TRUE(std::holds_alternative<AnalysisResults>(outcome));
  std::map<std::pair<float, float>, double> w;
  if (const auto* results = std::get_if<AnalysisResults>(&outcome)) {
    for (std::size_t n = 0; n < model.nodes.size(); ++n) {
      w[{model.nodes[n].x, model.nodes[n].y}] = results->cases[0].nodes[n].w;
    }
  }
  return w;
}

// The part cut at its lines of symmetry deflects as the whole does at every node it holds: a
// simply supported plate (half and quarter), one with a wall across it, and a quarter of a
// flat slab of 2 × 2 bays, whose symmetry lines run through the middle column lines.
TEST(PlateModelling, PartsCutAtLinesOfSymmetryDeflectAsTheWhole) {
  struct Row {
    const char* what;
    PlateRequest whole;
    PlateRequest part;
  };
  const auto plate = [](double a, double b, int nx, int ny, const char* edges) {
    PlateRequest request;
    request.length_x = a;
    request.length_y = b;
    request.least_nx = nx;
    request.least_ny = ny;
    request.edges = edges_of(edges);
    return request;
  };
  std::vector<Row> rows = {
      {"half of SSSS", plate(8, 6, 8, 6, "SSSS"), plate(4, 6, 4, 6, "SYSS")},
      {"quarter of CCCC", plate(8, 6, 8, 6, "CCCC"), plate(4, 3, 4, 3, "CYYC")},
      {"half of a wall-supported plate", plate(8, 6, 8, 6, "SFSF"), plate(8, 3, 8, 3, "SFYF")},
      {"quarter of a flat slab", plate(12, 12, 12, 12, "FFFF"), plate(6, 6, 6, 6, "FYYF")},
  };
  rows[2].whole.walls = {{{4, 0, 4, 6}, EdgeKind::hard}};
  rows[2].part.walls = {{{4, 0, 4, 3}, EdgeKind::hard}};
  for (const double x : {0.0, 6.0, 12.0}) {
    for (const double y : {0.0, 6.0, 12.0}) {
      rows[3].whole.columns.push_back({x, y});
      if (x < 12 && y < 12) {
        rows[3].part.columns.push_back({x, y});
      }
    }
  }
  for (const Row& row : rows) {
    ASSERT_TRUE(symmetry_fault(row.part).empty()) << row.what;
    const auto whole = deflections(generate_plate(row.whole).model);
    const auto part = deflections(generate_plate(row.part).model);
    double largest = 0;
    for (const auto& [at, w] : whole) {
      largest = std::max(largest, std::abs(w));
    }
    ASSERT_GT(largest, 0) << row.what;
    for (const auto& [at, w] : part) {
      ASSERT_EQ(whole.count(at), 1u) << row.what << " at " << at.first << ", " << at.second;
      EXPECT_NEAR(w, whole.at(at), 1e-5 * largest)
          << row.what << " at " << at.first << ", " << at.second;
    }
  }
}

}  // namespace
}  // namespace lajefem::meshing
