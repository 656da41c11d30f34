// generate, import and renumber as the program runs them: files written, read back by the
// program's reader and analysed; usage and input errors; nothing written on an error.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis/analysis.hpp"
#include "meshing/data_file_writer.hpp"
#include "meshing/plate_generator.hpp"
#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {
namespace {

namespace fs = std::filesystem;

class MeshCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("lajefem-mesh-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string path(const std::string& name) const { return (folder_ / name).string(); }

  int run(int (*command)(const Words&, ToolStreams&), const Words& words) {
    out_.str("");
    err_.str("");
    ToolStreams streams{out_, err_};
    return command(words, streams);
  }

  PlateModel read(const std::string& name) const {
    std::ifstream in(path(name));
    const ModelReading reading = read_plate_model(in);
    if (const auto* stop = std::get_if<AnalysisStop>(&reading)) {
      ADD_FAILURE() << describe_stop(*stop);
      return {};
    }
    return std::get<PlateModel>(reading);
  }

  fs::path folder_;
  std::ostringstream out_;
  std::ostringstream err_;
};

bool analyses(const PlateModel& model) {
  return std::holds_alternative<AnalysisResults>(analyse_plate_model(model));
}

TEST_F(MeshCommands, GeneratedPlatesAnalyse) {
  const Words rows[] = {
      {"--size", "6", "4", "--mesh", "6", "4", "--edges", "CCCC", "--point", "3", "2", "-50",
       "--case", "--uniform", "-8"},
      {"--size", "12",       "12", "--mesh", "12",       "12", "--edges", "FFFF",     "--uniform",
       "-10",    "--column", "0",  "0",      "--column", "6",  "0",       "--column", "12",
       "0",      "--column", "0",  "6",      "--column", "6",  "6",       "--column", "12",
       "6",      "--column", "0",  "12",     "--column", "6",  "12",      "--column", "12",
       "12"},
      {"--size", "3", "5", "--mesh", "10", "16", "--edges", "SHSF", "--uniform", "-5", "--point",
       "1.3", "2.9", "-20", "--title", "A\u00C7O 'A'", "--results", "a b.res"},
  };
  for (Words words : rows) {
    words.insert(words.end(), {"--material", "30", "0.2", "0.2", "-o", path("placa")});
    ASSERT_EQ(run(run_generate, words), 0);
    const PlateModel model = read("placa");
    EXPECT_TRUE(analyses(model)) << out_.str();
    EXPECT_EQ(out_.str().find("mesh "), 0u) << out_.str();
  }
  EXPECT_EQ(read("placa").title, "A\xC7O 'A'");  // typed in UTF-8, written in Latin-1
  EXPECT_EQ(read("placa").results_name, "a b.res");
}

TEST_F(MeshCommands, DefaultNamesFromTheOutputFile) {
  ASSERT_EQ(run(run_generate,
                {"--size", "2", "2", "--mesh", "2", "2", "--edges", "SSSS", "--material", "30",
                 "0.2", "0.2", "--uniform", "-1", "-o", path("laje_sobre_pilares.dat")}),
            0);
  const PlateModel model = read("laje_sobre_pilares.dat");
  EXPECT_EQ(model.results_name, "laje_sob.res");
  EXPECT_EQ(model.title, "LAJE_SOBRE_P");
  EXPECT_NE(err_.str().find("cut to 12 characters: 'laje_sob.res'"), std::string::npos);
}

// A dot inside the name is part of it; only a data file's extension is dropped.
// Each command's help names the repeatable options it has, and no other command's.
TEST_F(MeshCommands, HelpNamesOnlyTheCommandsOwnOptions) {
  ASSERT_EQ(run(run_import, {"--help"}), 0);
  EXPECT_EQ(out_.str().find("--column"), std::string::npos);
  EXPECT_NE(out_.str().find("Options other than --support, --patch, --line, --uniform"),
            std::string::npos);
  ASSERT_EQ(run(run_generate, {"--help"}), 0);
  EXPECT_EQ(out_.str().find("--support"), std::string::npos);
  EXPECT_NE(out_.str().find("Options other than --column, --uniform"), std::string::npos);
}

TEST_F(MeshCommands, DefaultNamesKeepDotsThatAreNoExtension) {
  const struct {
    const char* output;
    const char* results;
    const char* title;
  } rows[] = {
      {"lajec1.4", "lajec1.4.res", "LAJEC1.4"},
      {"laje.dat", "laje.res", "LAJE"},
      {"laje.txt", "laje.res", "LAJE"},
      {"v2.1.dat", "v2.1.res", "V2.1"},
  };
  for (const auto& row : rows) {
    ASSERT_EQ(
        run(run_generate, {"--size", "2", "2", "--mesh", "2", "2", "--edges", "SSSS", "--material",
                           "30", "0.2", "0.2", "--uniform", "-1", "-o", path(row.output)}),
        0);
    const PlateModel model = read(row.output);
    EXPECT_EQ(model.results_name, row.results) << row.output;
    EXPECT_EQ(model.title, row.title) << row.output;
  }
}

TEST_F(MeshCommands, BeyondTheLimitsNamesTheFinestMeshThatFitsAndWritesNothing) {
  try {
    run(run_generate, {"--size", "8", "8", "--mesh", "20", "20", "--edges", "SSSS", "--material",
                       "30", "0.2", "0.2", "--uniform", "-1", "-o", path("big")});
    FAIL();
  } catch (const InputError& error) {
    EXPECT_STREQ(error.what(),
                 "the model has 441 nodes, above the limit of 300: the finest mesh of "
                 "the same proportions that fits is --mesh 15 15");
  }
  EXPECT_FALSE(fs::exists(path("big")));
  // Counts far beyond any limit are refused before a grid is built.
  try {
    run(run_generate, {"--size", "8", "4", "--mesh", "200000", "100000", "--edges", "SSSS",
                       "--material", "30", "0.2", "0.2", "--uniform", "-1", "-o", path("big")});
    FAIL();
  } catch (const InputError& error) {
    EXPECT_STREQ(error.what(),
                 "the model has at least 20000000000 elements, above the limit of 400: the finest "
                 "mesh of the same proportions that fits is --mesh 20 10");
  }
}

TEST_F(MeshCommands, RefusedRequests) {
  const Words base = {"--size", "2", "2", "--material", "30", "0.2", "0.2", "--uniform", "-1"};
  const Words grid = {"--mesh", "2", "2", "--edges", "SSSS"};
  const struct {
    Words words;  // after base; grid and -o x added when the row gives no --mesh
    const char* message;
  } rows[] = {
      {{"--title", "THIRTEEN CHAR"}, "--title"},
      {{"--title", "LAJE \u20AC"}, "Latin-1"},
      {{"--mesh", "2", "2", "--edges", "SSXS"}, "'X'"},
      {{"--column", "3", "1"}, "off the plate"},
      {{"--point", "1", "-1", "5"}, "off the plate"},
      {{"--case"}, "load case 2 has no load"},
      {{"--mesh", "1", "1", "--edges", "SSSS"}, "at least two elements each way"},
      {{"--mesh", "1", "4", "--edges", "SSSS"}, "at least two elements each way"},
      {{"--results", " "}, "blank"},
      {{"--spring", "0"}, "--spring"},
      {{"--bogus"}, "unknown option"},
      {{"--mesh", "2", "2", "--edges", "FFFF"}, "no support"},
      {{"--mesh", "2", "2", "--edges", "SFFF"}, "one line"},
      {{"--mesh", "2", "2", "--edges", "FFFF", "--column", "0", "1", "--column", "2", "1"},
       "one line"},
      {{"--size", "3", "3"}, "--size given twice"},
      {{"--mesh", "2", "2", "--edges", "SSSS", "--edges", "CCCC"}, "--edges given twice"},
      {{"-o", "y"}, "-o given twice"},
      {{"--material", "30", "0.2", "0.2"}, "--material given twice"},
  };
  for (const auto& row : rows) {
    Words words = base;
    words.insert(words.end(), row.words.begin(), row.words.end());
    if (std::find(row.words.begin(), row.words.end(), "--mesh") == row.words.end()) {
      words.insert(words.end(), grid.begin(), grid.end());
    }
    words.insert(words.end(), {"-o", path("x")});
    try {
      run(run_generate, words);
      ADD_FAILURE() << row.message;
    } catch (const UsageError& error) {
      EXPECT_NE(std::string(error.what()).find(row.message), std::string::npos) << error.what();
    }
  }
  Words three_columns = base;  // a tilt and the checkerboard together are free
  three_columns.insert(three_columns.end(),
                       {"--mesh", "4", "4", "--edges", "FFFF", "--column", "0", "0", "--column",
                        "2", "2", "--column", "1", "0.5", "-o", path("x")});
  EXPECT_THROW(run(run_generate, three_columns), InputError);
  Words close_columns = base;  // 1 and 1.00000001 are one float
  close_columns.insert(close_columns.end(), grid.begin(), grid.end());
  close_columns.insert(close_columns.end(),
                       {"--column", "1", "1", "--column", "1.00000001", "0", "-o", path("x")});
  EXPECT_THROW(run(run_generate, close_columns), InputError);
  Words sliver = base;  // a strip 0.00001 m wide: too many elements across it, refused at once
  sliver.insert(sliver.end(), grid.begin(), grid.end());
  sliver.insert(sliver.end(),
                {"--column", "0.5", "1", "--column", "1.5", "1.00001", "-o", path("x")});
  try {
    run(run_generate, sliver);
    ADD_FAILURE() << "a sliver between columns was meshed";
  } catch (const InputError& error) {
    EXPECT_NE(std::string(error.what()).find("move those close together apart"), std::string::npos)
        << error.what();
  }
  EXPECT_FALSE(fs::exists(path("x")));
}

TEST_F(MeshCommands, RenumberMakesAWideBandFileRun) {
  // 38 × 6 elements numbered along the long side: half-bandwidth 123.
  meshing::PlateRequest request;
  request.length_x = 9.5;
  request.length_y = 1.5;
  request.least_nx = 38;
  request.least_ny = 6;
  request.edges = {meshing::EdgeKind::free, meshing::EdgeKind::simple, meshing::EdgeKind::free,
                   meshing::EdgeKind::simple};
  PlateModel model = meshing::generate_plate(request).model;
  for (PlateElement& element : model.elements) {
    for (int& node : element.nodes) {
      node = (node - 1) % 7 * 39 + (node - 1) / 7 + 1;
    }
  }
  for (PlateSupport& support : model.supports) {
    support.node = (support.node - 1) % 7 * 39 + (support.node - 1) / 7 + 1;
  }
  PlateModel wide = model;
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    wide.nodes[n % 7 * 39 + n / 7] = model.nodes[n];
  }
  wide.elastic_modulus_gpa = 30;
  wide.poisson_ratio = 0.2f;
  wide.thickness = 0.2f;
  wide.results_name = "faixa.res";
  wide.load_cases = {{{{2, 0, {-5}}, {1, 100, {-20}}}}};
  ASSERT_EQ(model_half_bandwidth(wide), 123);
  {
    std::ofstream out(path("faixa"));
    meshing::write_data_file(out, wide, meshing::standard_headings("faixa", "", 1));
  }
  const std::vector<Words> refused = {
      {path("faixa"), "-o", path("faixa")},
      {path("faixa"), "-o", path("nova"), "--map", path("nova")},
      {path("faixa"), "-o", path("nova"), "--map", "-"},
      {path("faixa"), "-o", path("nova"), "-o", path("outra")},
  };
  for (const Words& words : refused) {
    EXPECT_THROW(run(run_renumber, words), UsageError) << words.back();
  }
  // A folder or a missing file as the input is a message, not an abort on the first read.
  const std::vector<std::pair<int (*)(const Words&, ToolStreams&), Words>> unreadable = {
      {run_renumber, {folder_.string(), "-o", path("nova")}},
      {run_renumber, {path("none"), "-o", path("nova")}},
      {run_import,
       {folder_.string(), "-o", path("nova"), "--material", "30", "0.2", "0.2", "--support", "a=S",
        "--uniform", "-1"}},
  };
  for (const auto& [command, words] : unreadable) {
    EXPECT_THROW(run(command, words), InputError) << words[0];
  }
  EXPECT_FALSE(fs::exists(path("nova")));
  ASSERT_EQ(run(run_renumber, {path("faixa"), "-o", path("nova"), "--map", path("map.csv")}), 0);
  EXPECT_EQ(out_.str(), "half-bandwidth 123 -> 27 (sweep along x)\n");
  const PlateModel renumbered = read("nova");
  EXPECT_TRUE(analyses(renumbered));
  std::ifstream map(path("map.csv"));
  std::string header, row;
  std::getline(map, header);
  std::getline(map, row);
  EXPECT_EQ(header + " " + row, "old,new 1,1");
  EXPECT_EQ(renumbered.load_cases[0].loads[1].node, 21 * 7 + 3);  // node 100 is at (5.25, 0.5)
}

// A gmsh mesh of 2 × 2 bays on columns with one even bay (even_bay_slab.geo): refused with the
// check's explanation, written with it as a warning under --allow-spurious.
TEST_F(MeshCommands, ImportRefusesASoftCheckerboard) {
  const std::string mesh = (fs::path(__FILE__).parent_path() / "even_bay_slab.msh").string();
  const Words words{mesh,  "-o",        path("laje"), "--material", "30", "0.2",
                    "0.2", "--support", "columns=S",  "--uniform",  "-10"};
  try {
    run(run_import, words);
    ADD_FAILURE() << "imported";
  } catch (const InputError& error) {
    EXPECT_NE(std::string(error.what()).find("an even number of elements lies between"),
              std::string::npos)
        << error.what();
  }
  EXPECT_FALSE(fs::exists(path("laje")));
  Words allowed = words;
  allowed.push_back("--allow-spurious");
  EXPECT_EQ(run(run_import, allowed), 0);
  EXPECT_NE(err_.str().find("warning: the point supports at"), std::string::npos);
  EXPECT_NE(err_.str().find("the element's spurious checkerboard"), std::string::npos);
  EXPECT_TRUE(fs::exists(path("laje")));
}

// The shipped gmsh example: a 10 m × 6 m plate with a hole that is a 16-sided polygon of radius 1.
TEST_F(MeshCommands, ImportedExampleCarriesItsWholeLoad) {
  const std::string mesh =
      (fs::path(__FILE__).parent_path() / "../../examples/plate_hole.msh").string();
  ASSERT_EQ(
      run(run_import, {mesh, "-o", path("furo"), "--material", "30", "0.2", "0.2", "--support",
                       "supported=S", "--uniform", "-10", "--case", "--point", "5", "4.2", "-100"}),
      0);
  EXPECT_EQ(out_.str(),
            "plate_hole.msh: 0 clockwise quadrangles reversed, 0 unused nodes dropped: 288 nodes, "
            "256 elements, 48 support records, half-bandwidth 81, 2 load cases\n");
  EXPECT_NE(err_.str().find("put on the nearest node"), std::string::npos);
  const auto outcome = analyse_plate_model(read("furo"));
  ASSERT_TRUE(std::holds_alternative<AnalysisResults>(outcome));
  const double area = 60 - 8 * std::sin(M_PI / 8);
  const double loads[] = {-10 * area, -100};
  for (std::size_t c = 0; c < 2; ++c) {
    double sum = 0;
    for (const SupportReaction& reaction : std::get<AnalysisResults>(outcome).cases[c].supports) {
      sum += reaction.force_w;
    }
    EXPECT_NEAR(sum, -loads[c], 1e-4 * std::abs(loads[c])) << "load case " << c + 1;
  }
  EXPECT_THROW(run(run_import, {mesh, "-o", path("x"), "--material", "30", "0.2", "0.2",
                                "--support", "edges=S", "--uniform", "-1"}),
               InputError);
  for (const char* support :
       {"supported=X", "supported=1,2", "supported=1,-2,3", "supported=0,0,0", "=S"}) {
    EXPECT_THROW(run(run_import, {mesh, "-o", path("x"), "--material", "30", "0.2", "0.2",
                                  "--support", support, "--uniform", "-1"}),
                 UsageError)
        << support;
  }
  EXPECT_FALSE(fs::exists(path("x")));
}

std::string fixture(const std::string& name) {
  return (fs::path(__FILE__).parent_path() / name).string();
}

struct OddRuleCase {
  const char* mesh;                   // bay_slab.geo meshed with 5 + 5 or 5 + 4 elements a bay
  std::vector<std::string> supports;  // --support values
  const char* told;                   // on standard error ("" for nothing), or in the refusal
  bool written;
};

// Neighbouring columns an even number of elements apart: refused when the check does not find
// the checkerboard held, a note when a supported edge holds it; odd bays say nothing.
TEST_F(MeshCommands, ImportAppliesTheOddRuleBetweenPointSupports) {
  const OddRuleCase rows[] = {
      {"odd_bay_slab.msh", {"columns=S"}, "", true},
      {"odd_bay_slab.msh", {"columns=S", "edge=H"}, "", true},
      {"even_bay_edge_slab.msh",
       {"columns=S"},
       "the point supports at (0, 6) and (0, 12) are 4 elements apart, at (6, 0) and (12, 0) are 4 "
       "elements apart",
       false},
      {"even_bay_edge_slab.msh", {"columns=S"}, "the model check does not find", false},
      {"even_bay_edge_slab.msh",
       {"columns=S", "edge=S"},
       "note: the point supports at (0, 6) and (0, 12) are 4 elements apart",
       true},
      {"even_bay_edge_slab.msh",
       {"columns=S", "edge=S"},
       "finds the element's checkerboard held",
       true},
  };
  for (const OddRuleCase& row : rows) {
    Words words{fixture(row.mesh), "-o", path("laje"), "--material", "30", "0.2", "0.2",
                "--uniform",       "-10"};
    for (const std::string& support : row.supports) {
      words.insert(words.end(), {"--support", support});
    }
    fs::remove(path("laje"));
    std::string told;
    try {
      run(run_import, words);
      told = err_.str();
    } catch (const InputError& error) {
      told = error.what();
    }
    EXPECT_EQ(fs::exists(path("laje")), row.written) << row.mesh << " " << row.told;
    if (std::string(row.told).empty()) {
      EXPECT_EQ(told, "") << row.mesh;
    } else {
      EXPECT_NE(told.find(row.told), std::string::npos) << told;
    }
  }
}

// trapezoid_plate.geo: hard simple supports on the x and y edges, the leaning edge simply
// supported; the patch and line loads come back as nodal loads that the reactions carry.
TEST_F(MeshCommands, ImportedPatchAndLineLoadsAreCarriedByTheSupports) {
  const std::string mesh = fixture("../meshing/trapezoid_plate.msh");
  ASSERT_EQ(run(run_import, {mesh,
                             "-o",
                             path("trap"),
                             "--material",
                             "30",
                             "0.2",
                             "0.2",
                             "--support",
                             "bottom=H",
                             "--support",
                             "right=H",
                             "--support",
                             "top=H",
                             "--support",
                             "slant=S",
                             "--patch",
                             "right_part=-10",
                             "--line",
                             "middle=-5",
                             "--case",
                             "--uniform",
                             "-2",
                             "--patch",
                             "left_part=-4"}),
            0)
      << err_.str();
  const PlateModel model = read("trap");
  ASSERT_EQ(model.load_cases.size(), 2u);
  EXPECT_EQ(model.load_cases[0].loads.size(), 16u);  // one a node of the right part
  for (const PlateSupport& support : model.supports) {
    const PlateNode& node = model.nodes[static_cast<std::size_t>(support.node) - 1];
    const bool along_x = node.y == 0 || node.y == 3;
    const bool along_y = node.x == 4;
    EXPECT_EQ(support.spring_theta_x > 0, along_x) << node.x << ", " << node.y;
    EXPECT_EQ(support.spring_theta_y > 0, along_y) << node.x << ", " << node.y;
  }
  const auto outcome = analyse_plate_model(model);
  ASSERT_TRUE(std::holds_alternative<AnalysisResults>(outcome));
  const double loads[] = {-10 * 6.0 - 5 * 3.0, -2 * 10.5 - 4 * 4.5};
  for (std::size_t c = 0; c < 2; ++c) {
    double sum = 0;
    for (const SupportReaction& reaction : std::get<AnalysisResults>(outcome).cases[c].supports) {
      sum += reaction.force_w;
    }
    EXPECT_NEAR(sum, -loads[c], 1e-4 * std::abs(loads[c])) << "load case " << c + 1;
  }
  const std::vector<Words> refused = {{"--patch", "right_part"},
                                      {"--patch", "right_part=x"},
                                      {"--line", "=3"},
                                      {"--support", "slant=Q"}};
  for (const Words& extra : refused) {
    Words words{mesh, "-o", path("x"), "--material", "30", "0.2", "0.2", "--support", "slant=S"};
    words.insert(words.end(), extra.begin(), extra.end());
    EXPECT_THROW(run(run_import, words), UsageError) << extra[1];
  }
  EXPECT_THROW(run(run_import, {mesh, "-o", path("x"), "--material", "30", "0.2", "0.2",
                                "--support", "slant=H", "--uniform", "-1"}),
               InputError);
  EXPECT_FALSE(fs::exists(path("x")));
}

}  // namespace
}  // namespace lajefem::tools
