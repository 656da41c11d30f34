// The reader without the store's limits against the program's reader: on every example and
// corpus file, and on the example cut at every byte, the same data error (code, line, reasons)
// or an equal model, except where the program refuses a count for its store alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "analysis/analysis.hpp"
#include "model/material_rule.hpp"
#include "tests/common/data_files.hpp"
#include "tests/common/temp_folder.hpp"
#include "tests/model/example_data.hpp"

namespace lajefem {
namespace {

namespace fs = std::filesystem;

bool starts_with(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

// A count above the store's limits, as the program words its refusal: only these may read past.
bool is_store_limit_fault(const AnalysisStop& stop) {
  const std::string& why = stop.explanation;
  const bool too_many_nodes =
      starts_with(why, "node count ") && why.find("outside 1..300") != std::string::npos &&
      !starts_with(why, "node count 0 ") && !starts_with(why, "node count -");
  return too_many_nodes || starts_with(why, "element count ") ||
         starts_with(why, "support count ") || starts_with(why, "load case count ") ||
         why.find(": load count ") != std::string::npos;
}

// The program's "node count 0 outside 1..300" names a range of its store; sized by the file, the
// count is below 1.
std::string without_store_range(const std::string& explanation) {
  const std::string range = " outside 1..300";
  if (starts_with(explanation, "node count ") && explanation.size() > range.size() &&
      explanation.compare(explanation.size() - range.size(), range.size(), range) == 0) {
    return explanation.substr(0, explanation.size() - range.size()) + " below 1";
  }
  return explanation;
}

void expect_equal_models(const PlateModel& a, const PlateModel& b, const std::string& name) {
  EXPECT_EQ(a.title, b.title) << name;
  // The model of the store gives back one of the values that the store holds alike.
  EXPECT_EQ(held_modulus(a.elastic_modulus_gpa), held_modulus(b.elastic_modulus_gpa)) << name;
  EXPECT_EQ(a.poisson_ratio, b.poisson_ratio) << name;
  EXPECT_EQ(a.thickness, b.thickness) << name;
  ASSERT_EQ(a.nodes.size(), b.nodes.size()) << name;
  for (std::size_t n = 0; n < a.nodes.size(); ++n) {
    EXPECT_TRUE(a.nodes[n].x == b.nodes[n].x && a.nodes[n].y == b.nodes[n].y) << name << n;
  }
  ASSERT_EQ(a.elements.size(), b.elements.size()) << name;
  for (std::size_t e = 0; e < a.elements.size(); ++e) {
    EXPECT_TRUE(a.elements[e].type == b.elements[e].type &&
                a.elements[e].nodes == b.elements[e].nodes)
        << name << " element " << e + 1;
  }
  ASSERT_EQ(a.supports.size(), b.supports.size()) << name;
  for (std::size_t s = 0; s < a.supports.size(); ++s) {
    const PlateSupport& p = a.supports[s];
    const PlateSupport& q = b.supports[s];
    EXPECT_TRUE(p.node == q.node && p.spring_w == q.spring_w &&
                p.spring_theta_x == q.spring_theta_x && p.spring_theta_y == q.spring_theta_y)
        << name << " support " << s + 1;
  }
  ASSERT_EQ(a.load_cases.size(), b.load_cases.size()) << name;
  for (std::size_t c = 0; c < a.load_cases.size(); ++c) {
    const auto& p = a.load_cases[c].loads;
    const auto& q = b.load_cases[c].loads;
    ASSERT_EQ(p.size(), q.size()) << name;
    for (std::size_t i = 0; i < p.size(); ++i) {
      EXPECT_TRUE(p[i].type == q[i].type && p[i].node == q[i].node && p[i].values == q[i].values)
          << name << " case " << c + 1 << " load " << i + 1;
    }
  }
  EXPECT_EQ(a.results_name, b.results_name) << name;
}

enum class Outcome { same_model, same_error, past_store_limit };

// Reads `text` with both readers and compares; says which way they agreed.
Outcome compare_readers(const std::string& text, const std::string& name) {
  std::istringstream program_data(text);
  std::istringstream any_size_data(text);
  const ModelReading program = read_plate_model(program_data);
  const ModelReading any_size = read_plate_model_any_size(any_size_data);
  if (const auto* model = std::get_if<PlateModel>(&program)) {
    const auto* read = std::get_if<PlateModel>(&any_size);
    EXPECT_NE(read, nullptr) << name << ": " << describe_stop(std::get<AnalysisStop>(any_size));
    if (read != nullptr) {
      expect_equal_models(*model, *read, name);
    }
    return Outcome::same_model;
  }
  const AnalysisStop& stop = std::get<AnalysisStop>(program);
  if (is_store_limit_fault(stop)) {
    // Sized by the file, the count is taken: any later fault lies further on.
    if (const auto* later = std::get_if<AnalysisStop>(&any_size)) {
      EXPECT_GE(later->line, stop.line) << name;
      EXPECT_FALSE(is_store_limit_fault(*later)) << name << ": " << describe_stop(*later);
    }
    return Outcome::past_store_limit;
  }
  const auto* same = std::get_if<AnalysisStop>(&any_size);
  EXPECT_NE(same, nullptr) << name;
  if (same != nullptr) {
    EXPECT_EQ(same->kind, AnalysisStop::Kind::data_error) << name;
    EXPECT_EQ(same->data_error_code, stop.data_error_code) << name;
    EXPECT_EQ(same->line, stop.line) << name;
    EXPECT_EQ(same->explanation, without_store_range(stop.explanation)) << name;
    if (same->explanation == stop.explanation) {
      EXPECT_EQ(same->reason, stop.reason) << name;
      EXPECT_EQ(describe_stop(*same), describe_stop(stop)) << name;
    }
  }
  return Outcome::same_error;
}

TEST(AnySizeReading, AgreesWithTheProgramOnEveryDataFile) {
  int models = 0;
  int errors = 0;
  int past_limits = 0;
  for (const fs::path& file : test::example_and_corpus_files()) {
    switch (compare_readers(testing::read_file(file), file.filename().string())) {
      case Outcome::same_model:
        ++models;
        break;
      case Outcome::same_error:
        ++errors;
        break;
      case Outcome::past_store_limit:
        ++past_limits;
        break;
    }
  }
  EXPECT_GT(models, 0);
  EXPECT_GT(errors, 0);
  RecordProperty("past_store_limits", past_limits);
}

TEST(AnySizeReading, AgreesWithTheProgramOnEveryCut) {
  for (const std::string& text :
       {testing::joined(testing::example_lines()), testing::joined(testing::four_case_lines())}) {
    for (std::size_t size = 0; size <= text.size(); ++size) {
      compare_readers(text.substr(0, size), "cut at " + std::to_string(size));
    }
  }
}

// Counts beyond the store's: five load cases, 100 loads in a case and load number 90 in it.
TEST(AnySizeReading, TakesCountsBeyondTheStore) {
  std::vector<std::string> lines = testing::example_lines();
  std::vector<std::string> loads = {"5  1 1 1 1 100", "Cargas"};
  for (int c = 1; c <= 5; ++c) {
    loads.insert(loads.end(), {"Caso " + std::to_string(c), "Num Tipo No"});
    for (int i = 1; i <= (c == 5 ? 100 : 1); ++i) {
      const int number = c == 5 && i == 1 ? 90 : i;
      loads.insert(loads.end(),
                   {std::to_string(number) + " 1 3", std::to_string(-c) + ".0 0 0 0 0 0 0 0"});
    }
  }
  lines.erase(lines.begin() + 22, lines.begin() + 28);
  lines.insert(lines.begin() + 22, loads.begin(), loads.end());
  std::istringstream data(testing::joined(lines));
  const ModelReading reading = read_plate_model_any_size(data);
  ASSERT_TRUE(std::holds_alternative<PlateModel>(reading))
      << describe_stop(std::get<AnalysisStop>(reading));
  const PlateModel& model = std::get<PlateModel>(reading);
  ASSERT_EQ(model.load_cases.size(), 5u);
  const auto& fifth = model.load_cases[4].loads;
  ASSERT_EQ(fifth.size(), 100u);
  EXPECT_EQ(fifth[0].type, 0);  // slot 1 was never written: load 1 went to slot 90
  EXPECT_EQ(fifth[89].type, 1);
  EXPECT_EQ(fifth[89].node, 3);
  EXPECT_EQ(fifth[89].values[0], -5.0f);
  EXPECT_EQ(model.load_cases[3].loads.at(0).values[0], -4.0f);
}

// A fault in a case beyond the program's four is named by its case.
TEST(AnySizeReading, FaultsBeyondTheFourthCaseNameTheirCase) {
  const struct {
    const char* tail;  // what follows the headings of case 6
    const char* described;
  } rows[] = {
      {"",
       "data error at line 46: the file ends before all the data are read (reading the loads "
       "of load case 6)"},
      {"1 1 9\n",
       "data error at line 47: load case 6, load 1: node 9 outside 1..4 (reading the "
       "loads of load case 6)"},
      {"0 2 0\n",
       "data error at line 47: load case 6: load number 0 outside 1..80 (reading the "
       "loads of load case 6)"},
  };
  std::string text = testing::joined(testing::example_lines(), 22) + "6  1 1 1 1 1 1\nCargas\n";
  for (int c = 1; c <= 5; ++c) {
    text += "Caso\nNum\n1 2 0\n-1 0 0 0 0 0 0 0\n";
  }
  text += "Caso 6\nNum\n";
  for (const auto& row : rows) {
    std::istringstream data(text + row.tail);
    const ModelReading reading = read_plate_model_any_size(data);
    ASSERT_TRUE(std::holds_alternative<AnalysisStop>(reading)) << row.tail;
    EXPECT_EQ(describe_stop(std::get<AnalysisStop>(reading)), row.described);
  }
}

}  // namespace
}  // namespace lajefem
