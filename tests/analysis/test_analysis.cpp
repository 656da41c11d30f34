// The analysis without console: every stop it can return, as a value, and a complete analysis
// whose reactions balance the load.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "analysis/analysis.hpp"
#include "tests/common/plate_grid.hpp"

namespace lajefem {
namespace {

using Kind = AnalysisStop::Kind;

// A plate of 2 × 2 unit squares (nodes row by row from the origin), every edge node held
// against w, one uniform load of −10 kN/m².
PlateModel small_plate() {
  PlateModel model = test::grid_plate(2, 2, 2.0f, 2.0f);
  for (const int node : {1, 2, 3, 4, 6, 7, 8, 9}) {
    model.supports.push_back({node, 1.0e6f, 0.0f, 0.0f});
  }
  return model;
}

std::string example(const std::string& name) {
  std::ifstream in(std::string(LAJEFEM_SOURCE_DIR) + "/examples/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

PlateModel example_model(const std::string& name) {
  std::istringstream data(example(name));
  return std::get<PlateModel>(read_plate_model(data));
}

struct StopCase {
  const char* what;
  PlateModel model;
  AnalysisStop expected;  // kind and the members that belong to it
};

AnalysisStop expected_stop(Kind kind) {
  AnalysisStop stop;
  stop.kind = kind;
  return stop;
}

std::vector<StopCase> stop_cases() {
  std::vector<StopCase> cases;
  {
    PlateModel model = small_plate();
    model.nodes.resize(50, {9.0f, 9.0f});
    model.elements[3].nodes = {5, 6, 50, 8};  // spread 45 nodes: 3 · 45 + 3 diagonals
    AnalysisStop stop = expected_stop(Kind::band_limit);
    stop.half_bandwidth = 138;
    cases.push_back({"band above 120", model, stop});
  }
  {
    PlateModel model = small_plate();
    model.elements[2].type = 3;
    AnalysisStop stop = expected_stop(Kind::unknown_element_type);
    stop.element = 3;
    cases.push_back({"element type 3", model, stop});
  }
  {
    PlateModel model = small_plate();
    model.elements[1].nodes = {2, 5, 6, 3};  // clockwise
    AnalysisStop stop = expected_stop(Kind::invalid_geometry);
    stop.element = 2;
    cases.push_back({"clockwise corners", model, stop});
  }
  {
    PlateModel model = small_plate();
    model.nodes.push_back({5.0f, 5.0f});  // node 10 belongs to no element and no support
    AnalysisStop stop = expected_stop(Kind::local_mechanism);
    stop.equation = 28;
    cases.push_back({"node without stiffness", model, stop});
  }
  {
    PlateModel model = small_plate();
    PlateLoad unknown;
    unknown.type = 7;
    model.load_cases.push_back({{model.load_cases[0].loads[0], unknown}});
    AnalysisStop stop = expected_stop(Kind::unknown_load_type);
    stop.load_case = 2;
    stop.load = 2;
    cases.push_back({"load type 7", model, stop});
  }
  cases.push_back({"one element on two supports", example_model("placa1"),
                   expected_stop(Kind::global_mechanism)});
  return cases;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

// d01 with one group emptied and its count written as `count`.
std::string emptied_group(const std::string& group, int count) {
  std::string text = example("d01");
  const auto drop = [&](const std::string& from, const std::string& to) {
    text.erase(text.find(from), text.find(to) - text.find(from));
  };
  const std::string n = std::to_string(count);
  if (group == "elements") {
    text = replaced(text, "25 16 16", "25 " + n + " 16");
    drop("1 1 1 2 7 6", "APOIOS");
  } else if (group == "supports") {
    text = replaced(text, "25 16 16", "25 16 " + n);
    drop("1 1 1.0E6", "CARGAS");
  } else if (group == "load cases") {
    text = replaced(text, "\n1 1\n", "\n" + n + "\n");
    drop("CASO 1", "FICHEIRO DE RESULTADOS");
  } else {
    text = replaced(text, "\n1 1\n", "\n1 " + n + "\n");
    drop("1 2 0\n", "FICHEIRO DE RESULTADOS");
  }
  return text;
}

// A count of −1 reads as the same model as a count of 0: an empty group, which analyses as the
// run analyses it (the stops and the zero displacements of an unloaded plate).
TEST(Analysis, NegativeCountsReadAsEmptyGroups) {
  const struct {
    const char* group;
    bool stops;
  } rows[] = {{"elements", true}, {"supports", true}, {"load cases", false}, {"loads", false}};
  for (const auto& row : rows) {
    std::istringstream negative(emptied_group(row.group, -1));
    std::istringstream zero(emptied_group(row.group, 0));
    const PlateModel model = std::get<PlateModel>(read_plate_model(negative));
    const PlateModel expected = std::get<PlateModel>(read_plate_model(zero));
    EXPECT_EQ(model.elements.size(), expected.elements.size()) << row.group;
    EXPECT_EQ(model.supports.size(), expected.supports.size()) << row.group;
    EXPECT_EQ(model.load_cases.size(), expected.load_cases.size()) << row.group;
    for (std::size_t c = 0; c < model.load_cases.size(); ++c) {
      EXPECT_EQ(model.load_cases[c].loads.size(), expected.load_cases[c].loads.size()) << row.group;
    }
    const AnalysisOutcome outcome = analyse_plate_model(model);
    EXPECT_EQ(std::holds_alternative<AnalysisStop>(outcome), row.stops) << row.group;
    if (const auto* results = std::get_if<AnalysisResults>(&outcome)) {
      for (const LoadCaseResults& load_case : results->cases) {
        for (const NodeDisplacement& node : load_case.nodes) {
          EXPECT_EQ(node.w, 0.0) << row.group;
        }
      }
    }
  }
}

TEST(Analysis, EveryStopComesBackAsAValue) {
  for (const StopCase& row : stop_cases()) {
    const AnalysisOutcome outcome = analyse_plate_model(row.model);
    ASSERT_TRUE(std::holds_alternative<AnalysisStop>(outcome)) << row.what;
    const AnalysisStop& stop = std::get<AnalysisStop>(outcome);
    EXPECT_EQ(stop.kind, row.expected.kind) << row.what;
    EXPECT_EQ(stop.half_bandwidth, row.expected.half_bandwidth) << row.what;
    EXPECT_EQ(stop.element, row.expected.element) << row.what;
    EXPECT_EQ(stop.equation, row.expected.equation) << row.what;
    EXPECT_EQ(stop.load_case, row.expected.load_case) << row.what;
    EXPECT_EQ(stop.load, row.expected.load) << row.what;
    EXPECT_FALSE(describe_stop(stop).empty()) << row.what;
  }
}

// A data error reaches the companion program as one English sentence with its line.
TEST(Analysis, DataErrorsAreDescribedInEnglishWithTheirLine) {
  struct Row {
    std::string what;
    std::string example;      // the example file
    int line;                 // the line replaced in it
    std::string content;      // its new content
    std::string description;  // what describe_stop says
  };
  const std::vector<Row> rows = {
      {"unreadable coordinate", "d01", 16, "7 1.5O 3.0",
       "data error at line 16: value \"1.5O\" cannot be read (reading the node lines, "
       "statement 312)"},
      {"negative thickness", "d01", 5, "30 0.2 -0.15",
       "data error at line 5: the thickness must be positive (reading the material line, "
       "statement 201)"},
      {"load of the first case", "encastrada", 99, "1 1 9X",
       "data error at line 99: value \"9X\" cannot be read (reading the loads of load case 1, "
       "statement 416)"},
      {"heading of the second case", "encastrada", 103, "1 2 Z",
       "data error at line 103: value \"Z\" cannot be read (reading the loads of load case 2, "
       "statement 428)"},
  };
  for (const Row& row : rows) {
    std::istringstream lines(example(row.example));
    std::string text;
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
      text += (++number == row.line ? row.content : line) + "\n";
    }
    std::istringstream data(text);
    const ModelReading reading = read_plate_model(data);
    ASSERT_TRUE(std::holds_alternative<AnalysisStop>(reading)) << row.what;
    EXPECT_EQ(describe_stop(std::get<AnalysisStop>(reading)), row.description) << row.what;
  }
}

TEST(Analysis, StiffnessStopsAreThoseOfTheFullAnalysis) {
  for (const StopCase& row : stop_cases()) {
    const StiffnessOutcome outcome = assemble_model_stiffness(row.model);
    const bool stops_before_loads = row.expected.kind == Kind::band_limit ||
                                    row.expected.kind == Kind::unknown_element_type ||
                                    row.expected.kind == Kind::invalid_geometry;
    ASSERT_EQ(std::holds_alternative<AnalysisStop>(outcome), stops_before_loads) << row.what;
    if (stops_before_loads) {
      EXPECT_EQ(std::get<AnalysisStop>(outcome).kind, row.expected.kind) << row.what;
    }
  }
}

TEST(Analysis, DataErrorCarriesCodeAndLine) {
  std::string text = example("d01");
  text.replace(text.find("30.0 0.2 0.15"), 13, "30.0 0.2 x");
  std::istringstream data(text);
  const ModelReading reading = read_plate_model(data);
  ASSERT_TRUE(std::holds_alternative<AnalysisStop>(reading));
  const AnalysisStop& stop = std::get<AnalysisStop>(reading);
  EXPECT_EQ(stop.kind, Kind::data_error);
  EXPECT_EQ(stop.data_error_code, 201);
  EXPECT_EQ(stop.line, 5);
}

// The supports carry the whole load: Σ R_w = −Σ F_w, here 36 m² · 10 kN/m² = 360 kN.
TEST(Analysis, ReactionsOfTheDefaultExampleCarryTheLoad) {
  const PlateModel model = example_model("d01");
  const AnalysisOutcome outcome = analyse_plate_model(model);
  ASSERT_TRUE(std::holds_alternative<AnalysisResults>(outcome));
  const AnalysisResults& results = std::get<AnalysisResults>(outcome);
  ASSERT_EQ(results.cases.size(), 1u);
  const LoadCaseResults& first = results.cases[0];
  EXPECT_EQ(first.nodes.size(), model.nodes.size());
  EXPECT_EQ(first.elements.size(), model.elements.size());
  ASSERT_EQ(first.supports.size(), model.supports.size());
  double carried = 0.0;
  for (std::size_t s = 0; s < first.supports.size(); ++s) {
    EXPECT_EQ(first.supports[s].node, model.supports[s].node);
    carried += first.supports[s].force_w;
  }
  EXPECT_NEAR(carried, 360.0, 360.0 * 1e-4);
  EXPECT_LT(first.nodes[12].w, 0.0);  // the centre goes down
  EXPECT_EQ(results.half_bandwidth, model_half_bandwidth(model));
}

}  // namespace
}  // namespace lajefem
