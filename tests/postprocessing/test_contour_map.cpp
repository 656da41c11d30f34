#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "postprocessing/contour_map.hpp"
#include "tests/common/plate_grid.hpp"

namespace lajefem {
namespace {

struct ScaleRow {
  double lowest;
  double highest;
  bool diverging;
  std::vector<double> levels;
};

TEST(ContourScale, RoundLevelsSymmetricForMomentsFromZeroOtherwise) {
  const ScaleRow rows[] = {
      {-7.3, 12.1, true, {-14, -12, -10, -8, -6, -4, -2, 0, 2, 4, 6, 8, 10, 12, 14}},
      {-30.97, -7.4, true, {-35, -30, -25, -20, -15, -10, -5, 0, 5, 10, 15, 20, 25, 30, 35}},
      {0.3, 9.3, false, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      // A supported node's tiny positive deflection adds no band above zero.
      {-8.6, 1e-9, false, {-9, -8, -7, -6, -5, -4, -3, -2, -1, 0}},
      {-4.7, 0, false, {-5, -4.5, -4, -3.5, -3, -2.5, -2, -1.5, -1, -0.5, 0}},
      {0, 0, false, {0, 0}},
  };
  for (const ScaleRow& row : rows) {
    const ContourScale scale = contour_scale(row.lowest, row.highest, row.diverging);
    ASSERT_EQ(scale.levels.size(), row.levels.size()) << row.lowest << " " << row.highest;
    for (std::size_t k = 0; k < row.levels.size(); ++k) {
      EXPECT_NEAR(scale.levels[k], row.levels[k], 1e-12) << row.lowest << " " << row.highest;
    }
  }
}

int channel(const std::string& colour, int k) {
  return std::stoi(colour.substr(1 + 2 * k, 2), nullptr, 16);
}

// Bands below zero blue, above zero red, whatever the field's own range.
TEST(ContourScale, DivergingColoursCentredOnZero) {
  const ContourScale scale = contour_scale(-1, 3, true);
  for (std::size_t k = 0; k + 1 < scale.levels.size(); ++k) {
    const std::string colour = band_colour(scale, k);
    const bool below_zero = scale.levels[k + 1] <= 0;
    EXPECT_EQ(channel(colour, 2) > channel(colour, 0), below_zero) << "band " << k << colour;
  }
  EXPECT_EQ(band_colour(contour_scale(0, 0, false), 0), "#dddcdc");
}

struct PieceCase {
  const char* what;
  std::array<FieldPoint, 4> corners;
  double element_area;
};

// The pieces cover the element without overlap and each lies within its own band.
TEST(BandPieces, CoverTheElementWithinTheirBands) {
  const PieceCase cases[] = {
      {"saddle", {{{0, 0, -3}, {2, 0, 5}, {2, 1, -4}, {0, 1, 6}}}, 2},
      {"distorted", {{{0, 0, 0.5}, {3, 0.5, 9.5}, {2.5, 2, 2}, {0.5, 3, -9}}}, 5.625},
      {"one band", {{{0, 0, 1.1}, {1, 0, 1.2}, {1, 1, 1.3}, {0, 1, 1.9}}}, 1},
  };
  const ContourScale scale = contour_scale(-10, 10, true);
  for (const PieceCase& c : cases) {
    const std::vector<BandPiece> pieces = element_band_pieces(c.corners, scale);
    double covered = 0;
    for (const BandPiece& piece : pieces) {
      EXPECT_GT(polygon_area(piece.corners), 0) << c.what;
      covered += polygon_area(piece.corners);
      for (const FieldPoint& p : piece.corners) {
        EXPECT_GE(p.value, scale.levels[piece.band] - 1e-12) << c.what;
        EXPECT_LE(p.value, scale.levels[piece.band + 1] + 1e-12) << c.what;
      }
    }
    EXPECT_NEAR(covered, c.element_area, 1e-12 * c.element_area) << c.what;
  }
  EXPECT_EQ(element_band_pieces(cases[2].corners, scale).size(), 1u);
}

// v = x over [0, 10]: band k covers exactly the strip k ≤ x ≤ k + 1.
TEST(BandPieces, LinearFieldPutsEachBandOverItsStrip) {
  const ContourScale scale = contour_scale(0, 10, false);
  ASSERT_EQ(scale.levels.size(), 11u);
  const std::array<FieldPoint, 4> corners{{{0, 0, 0}, {10, 0, 10}, {10, 2, 10}, {0, 2, 0}}};
  std::map<std::size_t, double> band_area;
  for (const BandPiece& piece : element_band_pieces(corners, scale)) {
    band_area[piece.band] += polygon_area(piece.corners);
    for (const FieldPoint& p : piece.corners) {
      EXPECT_NEAR(p.x, p.value, 1e-12);
    }
  }
  ASSERT_EQ(band_area.size(), 10u);
  for (const auto& [band, area] : band_area) {
    EXPECT_NEAR(area, 2.0, 1e-12) << "band " << band;
  }
}

// A zero field is drawn in one colour; the picture holds the heading text escaped.
TEST(ContourMapPicture, ZeroFieldOneColourAndEscapedHeading) {
  const PlateModel model = test::grid_model({0, 1, 2}, {0, 1});
  const Field field{"Mx_top", "Mx_top", "kN·m/m", false, std::vector<double>(6, 0.0)};
  std::ostringstream out;
  write_contour_map(out, model, field, {"A<B", "top face", ""}, false);
  const std::string svg = out.str();
  EXPECT_NE(svg.find("A&lt;B"), std::string::npos);
  std::size_t polygons = 0;
  for (std::size_t at = svg.find("<polygon"); at != std::string::npos;
       at = svg.find("<polygon", at + 1)) {
    ++polygons;
    EXPECT_NE(svg.find("fill=\"#dddcdc\"", at), std::string::npos);
  }
  EXPECT_EQ(polygons, 2u);
}

// The legend names each kind of support present: a row of w-only supports is a simple support, a
// lone one a column, w with one slope a hard simple support.
TEST(ContourMapPicture, SupportLegendNamesColumnsAndHardSupports) {
  const struct {
    std::vector<PlateSupport> supports;
    std::vector<std::string> named;
    std::vector<std::string> absent;
  } rows[] = {
      {{{1, 1, 0, 0}, {2, 1, 0, 0}}, {"simply supported (w held)"}, {"column"}},
      {{{5, 1, 0, 0}}, {"column or point support (w held)"}, {"simply supported"}},
      {{{1, 1, 1, 0}, {2, 1, 1, 0}},
       {"hard simple support (w and one slope held)"},
       {"other springs", "simply supported"}},
      {{{1, 1, 1, 1}, {5, 1, 0, 0}, {9, 0, 1, 0}},
       {"clamped", "column or point support", "symmetry line"},
       {"hard simple", "other springs"}},
      {{{1, 1, 0, 0}, {9, 0, 1, 0}}, {"column", "symmetry line"}, {"other"}},
  };
  for (const auto& row : rows) {
    PlateModel model = test::grid_model({0, 1, 2}, {0, 1, 2});
    model.supports = row.supports;
    const Field field{"w", "w", "mm", false, std::vector<double>(9, 0.0)};
    std::ostringstream out;
    write_contour_map(out, model, field, {"T", "w", ""}, false);
    for (const std::string& name : row.named) {
      EXPECT_NE(out.str().find(name), std::string::npos) << name;
    }
    for (const std::string& name : row.absent) {
      EXPECT_EQ(out.str().find(name), std::string::npos) << name;
    }
  }
}

}  // namespace
}  // namespace lajefem

namespace lajefem {
namespace {

// A square plate of n × n elements carrying the field value = x + y / 10 (m), simply supported
// along its bottom edge.
struct FineMap {
  std::string svg;
  std::size_t elements = 0;
};

FineMap fine_map(int n) {
  std::vector<float> lines;
  for (int k = 0; k <= n; ++k) {
    lines.push_back(10.0f * static_cast<float>(k) / static_cast<float>(n));
  }
  PlateModel model = test::grid_model(lines, lines);
  for (int k = 1; k <= n + 1; ++k) {
    model.supports.push_back({k, 1e6f, 0, 0});
  }
  Field field{"w", "w_mm", "mm", true, {}};
  for (const PlateNode& node : model.nodes) {
    field.values.push_back(node.x + node.y / 10);
  }
  std::ostringstream out;
  write_contour_map(out, model, field, {"T", "w", ""}, false);
  return {out.str(), model.elements.size()};
}

std::size_t occurrences(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

// Past most_drawn_elements a map draws each band as one path of pixel runs and no element
// edges: its size follows the picture (and the outline's sides), not the elements, while below
// it every element is drawn.
TEST(ContourMapPicture, FineMeshSizeFollowsThePictureNotTheMesh) {
  const FineMap coarse = fine_map(60);
  const FineMap fine = fine_map(110);
  const FineMap finer = fine_map(300);
  ASSERT_LE(coarse.elements, most_drawn_elements);
  ASSERT_GT(fine.elements, most_drawn_elements);
  EXPECT_GE(occurrences(coarse.svg, "<polygon"), coarse.elements);
  for (const FineMap* map : {&fine, &finer}) {
    EXPECT_EQ(occurrences(map->svg, "stroke-linejoin"), 0u);  // no group of element pieces
    // Eleven bands between the levels 0, 1, ..., 11 of 0 <= x + y / 10 <= 11: one path each.
    EXPECT_EQ(occurrences(map->svg, "z\" fill=\"#"), 11u);
    EXPECT_LT(map->svg.size(), 200000u) << map->elements;
  }
  // 7.4 times the elements, 2.7 times the outline's sides.
  EXPECT_LT(finer.svg.size(), fine.svg.size() * 5 / 4);
  // The band boundaries lie where the field crosses its levels: in the top row (y = 10 m) band
  // k starts at x = k − 1 m, 56 + 52 (k − 1) px (the plot 520 px for 10 m, 56 px from the left).
  const std::string& svg = finer.svg;
  const auto colour_of = [](int band) { return band_colour(contour_scale(0, 11, false), band); };
  for (int band = 2; band <= 9; ++band) {
    const auto path = svg.find("fill=\"" + colour_of(band) + "\"");
    const auto start = svg.rfind("<path d=\"M", path);
    ASSERT_NE(start, std::string::npos) << band;
    const double x = std::stod(svg.substr(start + 10));
    EXPECT_NEAR(x, 56 + 52.0 * (band - 1), 1.0) << band;
  }
}

}  // namespace
}  // namespace lajefem
