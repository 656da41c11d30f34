// Bar areas against hand calculations for a slab 0.20 m thick, cover 0.030 m, 12 mm bars,
// γc 1.5, γs 1.15, αcc 1.0: d_x = 0.164 m, d_y = 0.152 m, f_cd = 20 MPa, f_yd = 434.78 MPa.
#include <gtest/gtest.h>

#include <cmath>

#include "postprocessing/reinforcement.hpp"
#include "postprocessing/reinforcement_fields.hpp"

namespace lajefem {
namespace {

constexpr double slab = 0.20;

ReinforcementParameters concrete(double fck) {
  ReinforcementParameters p;
  p.fck = fck;
  p.fyk = 500;
  p.cover = 0.030;
  return p;
}

TEST(EffectiveDepths, XBarsOutsideYBars) {
  const EffectiveDepths d = effective_depths(concrete(30), slab);
  EXPECT_NEAR(d.x, 0.164, 1e-12);
  EXPECT_NEAR(d.y, 0.152, 1e-12);
}

struct LayerCase {
  const char* what;
  double fck;
  double moment;  // kN·m/m
  double depth;   // m
  double mu;
  double lever_arm;  // m, 0 when too thin
  double required;   // cm²/m
  double minimum;    // cm²/m
  double provide;    // cm²/m
  bool too_thin;
};

// By hand: μ = m/(d²·20000); z = d(1 + √(1 − 2μ))/2 ≤ 0.95d; A = m/(z·434783)·1e4;
// f_ctm = 0.3·30^(2/3) = 2.8965 MPa, 0.26·2.8965/500 = 0.0015062 > 0.0013, min = 0.0015062·d;
// with fck 20: f_ctm = 2.2104, 0.26·2.2104/500 = 0.0011494 < 0.0013, min = 0.0013·d.
class LayerDesignTable : public ::testing::TestWithParam<LayerCase> {};

TEST_P(LayerDesignTable, MatchesHandCalculation) {
  const LayerCase& c = GetParam();
  const LayerDesign design = layer_design(c.moment, c.depth, concrete(c.fck));
  EXPECT_NEAR(design.mu, c.mu, 5e-6) << c.what;
  EXPECT_NEAR(design.lever_arm, c.lever_arm, 5e-6) << c.what;
  EXPECT_NEAR(design.required, c.required, 5e-4) << c.what;
  EXPECT_NEAR(design.minimum, c.minimum, 5e-4) << c.what;
  EXPECT_NEAR(design.provide, c.provide, 5e-4) << c.what;
  EXPECT_EQ(design.too_thin, c.too_thin) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Slab200, LayerDesignTable,
    ::testing::Values(LayerCase{"40 on x bars: z capped at 0.95d", 30, 40, 0.164, 0.07436, 0.1558,
                                5.905, 2.470, 5.905, false},
                      LayerCase{"40 on y bars: z capped", 30, 40, 0.152, 0.08657, 0.1444, 6.371,
                                2.289, 6.371, false},
                      LayerCase{"80: z below the cap", 30, 80, 0.164, 0.14872, 0.150731, 12.207,
                                2.470, 12.207, false},
                      LayerCase{"no moment: the minimum", 30, 0, 0.164, 0, 0.1558, 0, 2.470, 2.470,
                                false},
                      LayerCase{"small moment: the minimum governs", 30, 10, 0.164, 0.018590,
                                0.1558, 1.476, 2.470, 2.470, false},
                      LayerCase{"fck 20: 0.0013 d governs the minimum", 20, 0, 0.164, 0, 0.1558, 0,
                                2.132, 2.132, false},
                      LayerCase{"150: deep but within 0.295", 30, 150, 0.164, 0.27885, 0.136534,
                                25.268, 2.470, 25.268, false},
                      LayerCase{"160: neutral axis beyond 0.45d", 30, 160, 0.164, 0.29744, 0, 0,
                                2.470, 0, true}));

struct FaultCase {
  const char* what;
  ReinforcementParameters parameters;
  const char* named;  // text the message must hold; empty: no fault
};

class ParameterFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ParameterFaults, NameTheValue) {
  const FaultCase& c = GetParam();
  const std::string fault = reinforcement_parameter_fault(c.parameters, slab);
  if (std::string(c.named).empty()) {
    EXPECT_EQ(fault, "") << c.what;
  } else {
    EXPECT_NE(fault.find(c.named), std::string::npos) << c.what << ": " << fault;
  }
}

ReinforcementParameters changed(double ReinforcementParameters::*member, double value) {
  ReinforcementParameters p = concrete(30);
  p.*member = value;
  return p;
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, ParameterFaults,
    ::testing::Values(
        FaultCase{"the worked parameters", concrete(30), ""},
        FaultCase{"fck 50 is the last", concrete(50), ""},
        FaultCase{"fck above 50", concrete(55), "fck=55"},
        FaultCase{"negative fyk", changed(&ReinforcementParameters::fyk, -500), "fyk=-500"},
        FaultCase{"zero bar", changed(&ReinforcementParameters::bar, 0), "bar=0"},
        FaultCase{"negative cover", changed(&ReinforcementParameters::cover, -0.01), "cover=-0.01"},
        FaultCase{"cover leaving no depth", changed(&ReinforcementParameters::cover, 0.19),
                  "cover=0.19"},
        FaultCase{"cover leaving 1 mm", changed(&ReinforcementParameters::cover, 0.181), ""},
        FaultCase{"gamma_s below 1", changed(&ReinforcementParameters::gamma_s, 0.9),
                  "gamma_s=0.9"},
        FaultCase{"alpha_cc above 1", changed(&ReinforcementParameters::alpha_cc, 1.2),
                  "alpha_cc=1.2"}));

Field node_field(const char* name, std::vector<double> values) {
  return {name, name, "kN·m/m", false, std::move(values)};
}

// Three nodes: the worked moment on every layer, nothing, and a moment too large on the bottom
// x bars and the top y bars.
TEST(ReinforcementFields, AreasOfEachLayerAndTheLayersTooThin) {
  FieldTable nodes{node_field("w", {0, 0, 0}), node_field("Mx_bottom", {40, 0, 160}),
                   node_field("My_bottom", {40, 0, 10}), node_field("Mx_top", {-40, 0, -10}),
                   node_field("My_top", {-40, 0, -200})};
  append_reinforcement_fields(nodes, concrete(30), slab);
  for (const char* face : {"bottom", "top"}) {
    const std::string x = std::string("As_x_") + face;
    const std::string y = std::string("As_y_") + face;
    EXPECT_NEAR(field_named(nodes, x).values[0], 5.905, 5e-4) << face;
    EXPECT_NEAR(field_named(nodes, y).values[0], 6.371, 5e-4) << face;
    EXPECT_NEAR(field_named(nodes, x + "_req").values[0], 5.905, 5e-4) << face;
    EXPECT_NEAR(field_named(nodes, x).values[1], 2.470, 5e-4) << face;
    EXPECT_EQ(field_named(nodes, x + "_req").values[1], 0) << face;
    EXPECT_EQ(field_named(nodes, x).unit, "cm²/m");
  }
  EXPECT_TRUE(std::isnan(field_named(nodes, "As_x_bottom").values[2]));
  EXPECT_TRUE(std::isnan(field_named(nodes, "As_x_bottom_req").values[2]));
  EXPECT_TRUE(std::isnan(field_named(nodes, "As_y_top").values[2]));
  EXPECT_NEAR(field_named(nodes, "As_y_bottom").values[2], 2.289, 5e-4);
  EXPECT_NEAR(field_named(nodes, "As_y_min").values[2], 2.289, 5e-4);
  EXPECT_EQ(field_named(nodes, "too_thin").values, (std::vector<double>{0, 0, 2}));
}

}  // namespace
}  // namespace lajefem
