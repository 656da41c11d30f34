// The rectangular plate: held freedoms of every node for each edge letter, the odd rule between
// columns, and the limits with the finest mesh that fits.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>

#include "analysis/analysis.hpp"
#include "meshing/plate_generator.hpp"
#include "model/store_limits.hpp"

namespace lajefem::meshing {
namespace {

std::array<EdgeKind, 4> edges_of(const std::string& letters) {
  std::array<EdgeKind, 4> edges{};
  for (std::size_t k = 0; k < 4; ++k) {
    edges[k] = static_cast<EdgeKind>(std::string("FSHC").find(letters[k]));
  }
  return edges;
}

// Held freedoms of the nodes of a 2 × 2 plate of 2 m × 2 m, as "w", "x", "y" or "-" for each of
// w, θx, θy, rows from y = 0 up, x increasing along each row.
std::string held_pattern(const PlateModel& model) {
  std::map<std::pair<float, float>, std::string> held;
  for (const PlateNode& node : model.nodes) {
    held[{node.y, node.x}] = "---";
  }
  for (const PlateSupport& support : model.supports) {
    const PlateNode& node = model.nodes[static_cast<std::size_t>(support.node) - 1];
    std::string& text = held[{node.y, node.x}];
    text = {support.spring_w > 0 ? 'w' : '-', support.spring_theta_x > 0 ? 'x' : '-',
            support.spring_theta_y > 0 ? 'y' : '-'};
  }
  std::string pattern;
  for (const auto& [at, text] : held) {
    pattern += (pattern.empty() ? "" : " ") + text;
  }
  return pattern;
}

TEST(PlateGenerator, HeldFreedomsOfEveryNodeForEachEdgeLetter) {
  const std::pair<const char*, const char*> rows[] = {
      {"SFFF", "w-- w-- w-- --- --- --- --- --- ---"},
      {"FHFF", "--- --- w-y --- --- w-y --- --- w-y"},
      {"FFHF", "--- --- --- --- --- --- wx- wx- wx-"},
      {"FFFC", "wxy --- --- wxy --- --- wxy --- ---"},
      {"HFFH", "wxy wx- wx- w-y --- --- w-y --- ---"},
      {"CSHF", "wxy wxy wxy --- --- w-- wx- wx- wx-"},
      {"SSSS", "w-- w-- w-- w-- --- w-- w-- w-- w--"},
  };
  for (const auto& [letters, pattern] : rows) {
    PlateRequest request;
    request.length_x = request.length_y = 2.0;
    request.least_nx = request.least_ny = 2;
    request.edges = edges_of(letters);
    EXPECT_EQ(held_pattern(generate_plate(request).model), pattern) << letters;
  }
}

TEST(PlateGenerator, ColumnOnAnEdgeNodeAddsToItsSupport) {
  PlateRequest request;
  request.length_x = request.length_y = 2.0;
  request.least_nx = request.least_ny = 2;
  request.edges = edges_of("FHFF");
  request.columns = {{1.0, 1.0}, {2.0, 0.0}};
  // The columns make each side odd: 3 × 3 elements, the centre column on a grid line too.
  const GeneratedPlate plate = generate_plate(request);
  EXPECT_EQ(plate.model.supports.size(), 4u);
}

struct LineCase {
  double length;
  int least;
  std::vector<double> columns;
  std::vector<double> points;
  std::vector<double> lines;
  double largest_size = std::numeric_limits<double>::infinity();
};

TEST(GridLines, ThroughColumnsAndPointsWithAnOddCountBetweenColumns) {
  const LineCase rows[] = {
      {6, 4, {}, {}, {0, 1.5, 3, 4.5, 6}},
      {6, 4, {0, 6}, {}, {0, 1.2, 2.4, 3.6, 4.8, 6}},
      {6, 3, {0, 6}, {}, {0, 2, 4, 6}},
      {6, 2, {}, {1}, {0, 1, 3.5, 6}},
      {12, 6, {4}, {}, {0, 4.0 / 3, 8.0 / 3, 4, 5.6, 7.2, 8.8, 10.4, 12}},
      {4, 2, {0, 4}, {1}, {0, 1, 2.5, 4}},
      {6, 2, {}, {}, {0, 2, 4, 6}, 2},                      // no element above the largest size
      {6, 2, {0, 6}, {}, {0, 1.2, 2.4, 3.6, 4.8, 6}, 1.5},  // still odd between columns
  };
  for (const LineCase& row : rows) {
    const std::vector<double> lines =
        grid_lines(row.length, row.least, row.columns, row.points, row.largest_size);
    ASSERT_EQ(lines.size(), row.lines.size()) << row.length << " " << row.least;
    for (std::size_t k = 0; k < lines.size(); ++k) {
      EXPECT_NEAR(lines[k], row.lines[k], 1e-12);
    }
  }
}

// A stretch between parity stops asked to be even gets one element more in its coarsest segment
// when its count is odd; the others keep their odd counts.
TEST(GridLines, EvenCountsInTheStretchesAskedFor) {
  struct EvenCase {
    double length;
    int least;
    std::vector<double> columns;
    std::vector<int> even_runs;
    std::vector<int> counts;  // elements between neighbouring parity stops
    int runs;                 // parity_run_count
  };
  const EvenCase rows[] = {
      {12, 12, {0, 6, 12}, {}, {7, 7}, 2},
      {12, 12, {0, 6, 12}, {1}, {7, 6}, 2},
      {12, 12, {0, 6, 12}, {0, 1}, {6, 6}, 2},
      {10, 5, {3, 7}, {1}, {3, 2, 3}, 3},  // 4 m at 2 m: 2 elements, already even
      {10, 5, {3, 7}, {0, 2}, {2, 3, 2}, 3},
      {10, 5, {}, {0}, {5}, 0},  // no columns: no parity stops, nothing to change
  };
  for (const EvenCase& row : rows) {
    const std::vector<double> lines =
        grid_lines(row.length, row.least, row.columns, {}, std::numeric_limits<double>::infinity(),
                   row.even_runs);
    std::vector<double> stops = row.columns;
    stops.insert(stops.begin(), 0.0);
    stops.push_back(row.length);
    std::vector<int> counts;
    for (std::size_t s = 0; s + 1 < stops.size(); ++s) {
      if (stops[s + 1] > stops[s]) {
        counts.push_back(static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](double at) {
          return at > stops[s] + 1e-9 && at <= stops[s + 1] + 1e-9;
        })));
      }
    }
    EXPECT_EQ(counts, row.counts) << row.length << " with " << row.columns.size() << " columns";
    EXPECT_EQ(parity_run_count(row.length, row.columns), row.runs) << row.length;
  }
}

PlateModel loaded(PlateModel model) {
  model.elastic_modulus_gpa = 30;
  model.poisson_ratio = 0.2f;
  model.thickness = 0.2f;
  model.load_cases = {{{{2, 0, {-10}}}}};
  return model;
}

// Even counts between columns would leave the checkerboard free: every layout must analyse.
TEST(PlateGenerator, FlatSlabsOnColumnsAnalyse) {
  const std::vector<std::vector<double>> column_lines = {{0, 6}, {0, 6, 12}, {0, 3, 12}};
  for (const auto& at : column_lines) {
    for (const int least : {4, 6, 8, 12}) {
      PlateRequest request;
      request.length_x = request.length_y = at.back();
      request.least_nx = request.least_ny = least;
      request.edges = edges_of("FFFF");
      for (const double x : at) {
        for (const double y : at) {
          request.columns.push_back({x, y});
        }
      }
      const GeneratedPlate plate = generate_plate(request);
      EXPECT_TRUE(std::holds_alternative<AnalysisResults>(analyse_plate_model(loaded(plate.model))))
          << at.size() << " columns a side, --mesh " << least;
    }
  }
}

// Support layouts that leave a free pattern (a rigid motion, or the checkerboard with a tilt) are
// told apart from those that analyse; the program's own analysis is the judge of every row.
TEST(PlateGenerator, SupportLayoutsThatLeaveAFreePattern) {
  const struct {
    const char* edges;
    std::vector<PlanPoint> columns;
    bool rigid_held;
    bool patterns_held;
  } rows[] = {
      {"SFFF", {}, false, false},
      {"FFHF", {}, false, false},
      {"SFFF", {{3, 0}}, false, false},
      {"FFFF", {{3, 3}}, false, false},
      {"FFFF", {{0, 3}, {6, 3}}, false, false},
      {"FFFF", {{0, 0}, {3, 3}, {6, 6}}, false, false},
      {"FFFF", {{0, 0}, {6, 6}, {3, 2}}, true, false},
      {"FFFF", {{0, 0}, {6, 0}, {6, 6}, {0, 6}}, true, true},
      {"SFFF", {{3, 3}}, true, true},
      {"CFFF", {}, true, true},
      {"SSFF", {}, true, true},
      {"FSFS", {}, true, true},
  };
  for (const auto& row : rows) {
    PlateRequest request;
    request.length_x = request.length_y = 6.0;
    request.least_nx = request.least_ny = 4;
    request.edges = edges_of(row.edges);
    request.columns = row.columns;
    EXPECT_EQ(holds_rigid_motions(request), row.rigid_held) << row.edges << row.columns.size();
    const GeneratedPlate plate = generate_plate(request);
    EXPECT_EQ(holds_free_patterns(plate), row.patterns_held) << row.edges << row.columns.size();
    EXPECT_EQ(std::holds_alternative<AnalysisResults>(analyse_plate_model(loaded(plate.model))),
              row.patterns_held)
        << row.edges << row.columns.size();
  }
}

// A 10 m square, 0.1 m thick, under 10 kN/m² on a 14 × 14 mesh: the centre deflection against the
// thin-plate values 0.00406 q a⁴ / D (simply supported) and 0.00126 q a⁴ / D (clamped).
TEST(PlateGenerator, SquarePlatesMatchThinPlateTheory) {
  const struct {
    const char* edges;
    double coefficient;
    double tolerance;
  } rows[] = {{"SSSS", 0.00406, 0.015}, {"HHHH", 0.00406, 0.015}, {"CCCC", 0.00126, 0.01}};
  const double rigidity = 30.0e6 * 0.1 * 0.1 * 0.1 / (12.0 * (1.0 - 0.3 * 0.3));
  for (const auto& row : rows) {
    PlateRequest request;
    request.length_x = request.length_y = 10.0;
    request.least_nx = request.least_ny = 14;
    request.edges = edges_of(row.edges);
    PlateModel model = generate_plate(request).model;
    model.elastic_modulus_gpa = 30;
    model.poisson_ratio = 0.3f;
    model.thickness = 0.1f;
    model.load_cases = {{{{2, 0, {-10}}}}};
    const auto outcome = analyse_plate_model(model);
    ASSERT_TRUE(std::holds_alternative<AnalysisResults>(outcome)) << row.edges;
    const int centre = 7 * 15 + 7;  // grid point (7, 7), 0-based
    const double w = std::get<AnalysisResults>(outcome).cases[0].nodes[centre].w;
    const double thin_plate = row.coefficient * 10.0 * 1.0e4 / rigidity;
    EXPECT_NEAR(std::abs(w) / thin_plate, 1.0, row.tolerance) << row.edges << ": " << w << " m";
  }
}

TEST(PlateGenerator, NumberedAcrossTheShorterSide) {
  for (const auto& [nx, ny] : {std::pair{37, 6}, {6, 37}, {10, 20}, {20, 10}}) {
    PlateRequest request;
    request.length_x = nx;
    request.length_y = ny;
    request.least_nx = nx;
    request.least_ny = ny;
    request.edges = edges_of("SFSF");
    EXPECT_EQ(model_half_bandwidth(generate_plate(request).model), 3 * std::min(nx, ny) + 9);
  }
}

TEST(FinestFittingMesh, KeepsTheProportionsWithinEveryLimit) {
  struct Row {
    const char* edges;
    int nx, ny;
    MeshCounts fits;
  };
  const Row rows[] = {
      {"SSSS", 20, 20, {15, 15}},  // 60 edge nodes: the support records bind
      {"SFSF", 30, 30, {16, 16}},  // 289 nodes
      {"CFFF", 40, 20, {22, 11}},  // 12 × 23 = 276 nodes
  };
  for (const Row& row : rows) {
    PlateRequest request;
    request.length_x = request.length_y = 5.0;
    request.least_nx = row.nx;
    request.least_ny = row.ny;
    request.edges = edges_of(row.edges);
    const auto fits = finest_fitting_mesh(request);
    ASSERT_TRUE(fits.has_value());
    EXPECT_EQ(std::pair(fits->nx, fits->ny), std::pair(row.fits.nx, row.fits.ny)) << row.edges;
  }
}

TEST(ModelLimits, NamesTheFirstLimitBeyond) {
  const auto model_with = [](int nodes, int elements, int supports, int cases, int loads) {
    PlateModel model;
    model.nodes.resize(static_cast<std::size_t>(nodes));
    model.elements.assign(static_cast<std::size_t>(elements), {1, {1, 2, 3, 4}});
    model.supports.resize(static_cast<std::size_t>(supports));
    model.load_cases.resize(static_cast<std::size_t>(cases));
    model.load_cases.back().loads.resize(static_cast<std::size_t>(loads));
    return model;
  };
  const std::pair<PlateModel, const char*> rows[] = {
      {model_with(301, 1, 1, 1, 1), "301 nodes, above the limit of 300"},
      {model_with(300, 401, 1, 1, 1), "401 elements, above the limit of 400"},
      {model_with(300, 400, 61, 1, 1), "61 support records, above the limit of 60"},
      {model_with(300, 400, 60, 5, 1), "5 load cases, above the limit of 4"},
      {model_with(300, 400, 60, 2, 81), "81 loads in load case 2, above the limit of 80"},
  };
  for (const auto& [model, text] : rows) {
    const auto breach = store_limit_breach(model);
    ASSERT_TRUE(breach.has_value()) << text;
    EXPECT_EQ(describe_breach(*breach), text);
  }
  PlateModel wide = model_with(300, 1, 1, 1, 1);
  wide.elements[0].nodes = {1, 2, 41, 40};
  EXPECT_EQ(describe_breach(*store_limit_breach(wide)),
            "half-bandwidth 123, above the limit of 120");
  wide.elements[0].nodes = {1, 2, 40, 39};
  EXPECT_FALSE(store_limit_breach(wide).has_value());
}

}  // namespace
}  // namespace lajefem::meshing
