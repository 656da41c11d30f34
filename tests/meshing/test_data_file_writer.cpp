// The writer against the program's own reader: what is written reads back to the same values.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "analysis/analysis.hpp"
#include "meshing/data_file_writer.hpp"

namespace lajefem::meshing {
namespace {

TEST(RealText, ShortestRoundTripDigits) {
  const std::pair<float, const char*> rows[] = {
      {0.85714287f, "0.85714287"},
      {1.0e6f, "1E6"},
      {-0.0f, "-0"},
      {1.5e-7f, "1.5E-7"},
      {6.0f, "6"},
      {-8.0f, "-8"},
      {0.1f, "0.1"},
      {3.4028235e38f, "3.4028235E38"},
  };
  for (const auto& [value, text] : rows) {
    EXPECT_EQ(real_text(value), text);
  }
}

TEST(NameItem, QuotedOnlyWhenTheReaderNeedsIt) {
  const std::pair<const char*, const char*> rows[] = {
      {"placa.res", "placa.res"}, {"LAJE 1", "'LAJE 1'"}, {"", "''"},       {"3*A", "'3*A'"},
      {"O'NEIL", "'O''NEIL'"},    {"a,b", "'a,b'"},       {"x/y", "'x/y'"}, {"12", "12"},
      {"\"Q\"", "'\"Q\"'"},       {"A*3", "A*3"},
  };
  for (const auto& [name, item] : rows) {
    EXPECT_EQ(name_item(name), item);
  }
  EXPECT_EQ(name_fault("ABCDEFGHIJKL"), "");
  EXPECT_NE(name_fault("ABCDEFGHIJKLM"), "");
  EXPECT_NE(name_fault("A\tB"), "");
}

// A model of random values over many magnitudes, with names that need quoting.
PlateModel random_model(std::mt19937& random) {
  std::uniform_real_distribution<float> mantissa(-10.0f, 10.0f);
  std::uniform_int_distribution<int> exponent(-30, 30);
  const auto value = [&] { return std::ldexp(mantissa(random), exponent(random)); };
  const char* names[] = {"LAJE 1", "", "O'NEIL", "3*A", "a,b/c", "PLACA", "'"};
  PlateModel model;
  model.title = names[random() % 7];
  model.results_name = names[random() % 7];
  if (model.results_name.empty()) {
    model.results_name = "x y.res";  // the reader refuses a blank results name
  }
  model.elastic_modulus_gpa = std::abs(value()) + 1.0f;
  model.poisson_ratio = 0.3f * mantissa(random) / 10.0f;
  model.thickness = std::abs(value()) + 1e-3f;
  const int nodes = 4 + static_cast<int>(random() % 30);
  for (int n = 0; n < nodes; ++n) {
    model.nodes.push_back({value(), value()});
  }
  std::uniform_int_distribution<int> node(1, nodes);
  for (int e = static_cast<int>(random() % 20); e > 0; --e) {
    model.elements.push_back({1, {node(random), node(random), node(random), node(random)}});
  }
  for (int s = static_cast<int>(random() % 10); s > 0; --s) {
    model.supports.push_back({node(random), value(), value(), value()});
  }
  for (int c = 1 + static_cast<int>(random() % 4); c > 0; --c) {
    LoadCase load_case;
    for (int k = 1 + static_cast<int>(random() % 5); k > 0; --k) {
      PlateLoad load{1 + static_cast<int>(random() % 2), node(random), {}};
      for (float& v : load.values) {
        v = value();
      }
      load_case.loads.push_back(load);
    }
    model.load_cases.push_back(load_case);
  }
  return model;
}

void expect_same_model(const PlateModel& read, const PlateModel& written) {
  EXPECT_EQ(read.title, written.title);
  EXPECT_EQ(read.results_name, written.results_name);
  EXPECT_EQ(read.elastic_modulus_gpa * 1e6f, written.elastic_modulus_gpa * 1e6f);
  EXPECT_EQ(read.poisson_ratio, written.poisson_ratio);
  EXPECT_EQ(read.thickness, written.thickness);
  ASSERT_EQ(read.nodes.size(), written.nodes.size());
  for (std::size_t n = 0; n < read.nodes.size(); ++n) {
    EXPECT_EQ(read.nodes[n].x, written.nodes[n].x);
    EXPECT_EQ(read.nodes[n].y, written.nodes[n].y);
  }
  ASSERT_EQ(read.elements.size(), written.elements.size());
  for (std::size_t e = 0; e < read.elements.size(); ++e) {
    EXPECT_EQ(read.elements[e].nodes, written.elements[e].nodes);
  }
  ASSERT_EQ(read.supports.size(), written.supports.size());
  for (std::size_t s = 0; s < read.supports.size(); ++s) {
    const PlateSupport& a = read.supports[s];
    const PlateSupport& b = written.supports[s];
    EXPECT_EQ(std::tie(a.node, a.spring_w, a.spring_theta_x, a.spring_theta_y),
              std::tie(b.node, b.spring_w, b.spring_theta_x, b.spring_theta_y));
  }
  ASSERT_EQ(read.load_cases.size(), written.load_cases.size());
  for (std::size_t c = 0; c < read.load_cases.size(); ++c) {
    ASSERT_EQ(read.load_cases[c].loads.size(), written.load_cases[c].loads.size());
    for (std::size_t k = 0; k < read.load_cases[c].loads.size(); ++k) {
      const PlateLoad& a = read.load_cases[c].loads[k];
      const PlateLoad& b = written.load_cases[c].loads[k];
      EXPECT_EQ(std::tie(a.type, a.node, a.values), std::tie(b.type, b.node, b.values));
    }
  }
}

TEST(DataFileWriter, RandomModelsReadBackBitForBit) {
  std::mt19937 random(12);
  for (int trial = 0; trial < 200; ++trial) {
    const PlateModel model = random_model(random);
    std::stringstream text;
    write_data_file(text, model, standard_headings("ensaio", "", model.load_cases.size()));
    const ModelReading reading = read_plate_model(text);
    ASSERT_TRUE(std::holds_alternative<PlateModel>(reading)) << text.str();
    expect_same_model(std::get<PlateModel>(reading), model);
    text.clear();
    text.seekg(0);
    const DataFileHeadings headings = read_data_file_headings(text, model);
    EXPECT_EQ(headings.results, "FICHEIRO DE RESULTADOS");
    ASSERT_EQ(headings.cases.size(), model.load_cases.size());
  }
}

// Headings found in a file written by hand: statements spread over lines, a slash, repeats.
TEST(DataFileHeadings, FoundWhereverTheStatementsEnd) {
  std::istringstream text(
      "h1\nh2\n'T'\nhm\n30,\n0.2 0.2\nhc\n2 1 1\nn1\nn2\n1 0 0\n2 1 /\ne1\ne2\n"
      "1 1 1 2\n2 1\nsa\nsb\n1 1 3*1E6\nla\nlb\n1\n1\nlt\nc1a\nc1b\n1 2 0\n-5 7*0\nres\nr.res\n");
  PlateModel model;
  model.nodes.resize(2);
  model.elements.resize(1);
  model.supports.resize(1);
  model.load_cases.resize(1);
  model.load_cases[0].loads.resize(1);
  const DataFileHeadings headings = read_data_file_headings(text, model);
  EXPECT_EQ(headings.top, (std::array<std::string, 2>{"h1", "h2"}));
  EXPECT_EQ(headings.material, "hm");
  EXPECT_EQ(headings.counts, "hc");
  EXPECT_EQ(headings.elements, (std::array<std::string, 2>{"e1", "e2"}));
  EXPECT_EQ(headings.supports, (std::array<std::string, 2>{"sa", "sb"}));
  EXPECT_EQ(headings.load_types, "lt");
  EXPECT_EQ(headings.cases.at(0), (std::array<std::string, 2>{"c1a", "c1b"}));
  EXPECT_EQ(headings.results, "res");
}

}  // namespace
}  // namespace lajefem::meshing
