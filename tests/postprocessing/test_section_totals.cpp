#include <gtest/gtest.h>

#include <cmath>

#include "meshing/plate_generator.hpp"
#include "postprocessing/section_totals.hpp"

namespace lajefem {
namespace {

using meshing::EdgeKind;

// A generated slab of E 30 GPa, ν 0.2 under a uniform load q (kN/m², +w up), analysed.
struct AnalysedSlab {
  PlateModel model;
  AnalysisResults results;
};

AnalysedSlab analysed_slab(const meshing::PlateRequest& request, float thickness, float q) {
  AnalysedSlab slab{meshing::generate_plate(request).model, {}};
  slab.model.elastic_modulus_gpa = 30;
  slab.model.poisson_ratio = 0.2f;
  slab.model.thickness = thickness;
  PlateLoad uniform;
  uniform.type = 2;
  uniform.values[0] = q;
  slab.model.load_cases.push_back({{uniform}});
  slab.results = std::get<AnalysisResults>(analyse_plate_model(slab.model));
  return slab;
}

SectionTotal total_of(const AnalysedSlab& slab, SectionCut cut) {
  return section_totals(slab.model, slab.results, {cut}).at(0);
}

// A one-way strip, 6 m spanning along x between simply supported edges x = 0 and x = 6, 2 m wide
// with free long edges, 10 kN/m² down, 15 × 5 elements (grid lines every 0.4 m). Statics: the
// moment across x is −q·B·x·(L − x)/2 (sagging negative with +w up) and the shear −q·B·(L/2 − x),
// on grid lines (nodal forces, exact) and through elements alike.
TEST(SectionTotals, OneWayStripAgainstStatics) {
  meshing::PlateRequest request;
  request.length_x = 6;
  request.length_y = 2;
  request.least_nx = 15;
  request.least_ny = 5;
  request.edges = {EdgeKind::free, EdgeKind::simple, EdgeKind::free, EdgeKind::simple};
  const AnalysedSlab strip = analysed_slab(request, 0.2f, -10);
  struct CutCase {
    double x;
    bool grid_line;
  };
  const CutCase cuts[] = {{0, true},    {1.2, true},  {2.4, true},  {4.8, true},
                          {3.0, false}, {1.0, false}, {1.1, false}, {5.3, false}};
  for (const CutCase& c : cuts) {
    const SectionTotal total = total_of(strip, {CutAxis::x, c.x, {}});
    const double moment = -10 * 2 * c.x * (6 - c.x) / 2;
    const double shear = -10 * 2 * (3 - c.x);
    EXPECT_EQ(total.grid_line, c.grid_line) << "x = " << c.x;
    EXPECT_NEAR(total.moment, moment, 1e-4 * 90) << "x = " << c.x;
    EXPECT_NEAR(total.shear, shear, 1e-4 * 60) << "x = " << c.x;
    EXPECT_NEAR(total.twisting, 0, 1e-4 * 90) << "x = " << c.x;
    EXPECT_DOUBLE_EQ(total.strip.from, 0) << "x = " << c.x;
    EXPECT_DOUBLE_EQ(total.strip.to, 2) << "x = " << c.x;
  }
}

// The flat slab of 3 × 3 bays of 6 m on 16 point columns, 0.25 m, 12 kN/m², 15 × 15 elements.
// Between the interior column line x = 6 and the middle bay's midspan x = 9 (an element centre
// line; the shear there is zero by symmetry) the load's moment is q·18·3²/2 = 972 kN·m: the
// support total less the span total. Strips that tile the cut add up to its whole-length total.
TEST(SectionTotals, FlatSlabBayAgainstStatics) {
  meshing::PlateRequest request;
  request.length_x = 18;
  request.length_y = 18;
  request.least_nx = 15;
  request.least_ny = 15;
  request.edges = {EdgeKind::free, EdgeKind::free, EdgeKind::free, EdgeKind::free};
  for (const double x : {0, 6, 12, 18}) {
    for (const double y : {0, 6, 12, 18}) {
      request.columns.push_back({x, y});
    }
  }
  const AnalysedSlab slab = analysed_slab(request, 0.25f, -12);
  struct PairCase {
    const char* what;
    SectionCut support;
    SectionCut span;
  };
  const PairCase pairs[] = {
      {"along x", {CutAxis::x, 6, {}}, {CutAxis::x, 9, {}}},
      {"along y", {CutAxis::y, 12, {}}, {CutAxis::y, 9, {}}},
  };
  for (const PairCase& pair : pairs) {
    const SectionTotal support = total_of(slab, pair.support);
    const SectionTotal span = total_of(slab, pair.span);
    EXPECT_TRUE(support.grid_line) << pair.what;
    EXPECT_FALSE(span.grid_line) << pair.what;
    EXPECT_GT(support.moment, 0) << pair.what;
    EXPECT_NEAR((support.moment - span.moment) / 972, 1, 0.005) << pair.what;
    EXPECT_NEAR(span.shear, 0, 1e-3) << pair.what;
  }
  // By the middle bay's symmetry the shear just before the column line x = 12 carries the load of
  // its half between x = 9 and 12: 12 · 18 · 3 = 648 kN.
  EXPECT_NEAR(total_of(slab, {CutAxis::x, 12, {}}).shear, 12 * 18 * 3, 1e-3);
  const SectionTotal whole = total_of(slab, {CutAxis::x, 6, {}});
  const std::vector<SectionTotal> strips = section_totals(
      slab.model, slab.results, {{CutAxis::x, 6, {{0, 3}, {3, 9}, {9, 15}, {15, 18}}}});
  double moment = 0;
  double shear = 0;
  for (const SectionTotal& strip : strips) {
    moment += strip.moment;
    shear += strip.shear;
  }
  EXPECT_NEAR(moment, whole.moment, 1e-6 * whole.moment);
  EXPECT_NEAR(shear, whole.shear, 1e-6 * whole.shear);
  // Elements of 1.2 m: the strip 0:3 holds those with centres 0.6 and 1.8, 3:9 those from 3 to 7.8.
  EXPECT_NEAR(strips[0].strip.to, 2.4, 1e-6);
  EXPECT_NEAR(strips[1].strip.from, 2.4, 1e-6);
  EXPECT_NEAR(strips[1].strip.to, 8.4, 1e-6);
}

// Cuts that cannot give a total say why.
TEST(SectionTotals, RefusesCutsOffThePlateAndEmptyStrips) {
  meshing::PlateRequest request;
  request.length_x = 4;
  request.length_y = 2;
  request.least_nx = 4;
  request.least_ny = 2;
  request.edges = {EdgeKind::free, EdgeKind::simple, EdgeKind::free, EdgeKind::simple};
  const AnalysedSlab slab = analysed_slab(request, 0.2f, -10);
  const SectionCut refused[] = {
      {CutAxis::x, 5, {}}, {CutAxis::y, -1, {}}, {CutAxis::x, 2, {{2.5, 3}}}};
  for (const SectionCut& cut : refused) {
    EXPECT_THROW(section_totals(slab.model, slab.results, {cut}), SectionError) << cut.at;
  }
}

}  // namespace
}  // namespace lajefem
