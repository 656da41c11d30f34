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
  EXPECT_NE(
      out_.str().find("Options other than --column, --wall, --opening, --patch, --line, --uniform"),
      std::string::npos);
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
                 "the same proportions that fits is --mesh 15 15 (or give --large to write it all "
                 "the same: lajefem cannot run it, lajefem-tools export can)");
  }
  EXPECT_FALSE(fs::exists(path("big")));
  // Counts far beyond any limit are refused before a grid is built.
  try {
    run(run_generate, {"--size", "8", "4", "--mesh", "200000", "100000", "--edges", "SSSS",
                       "--material", "30", "0.2", "0.2", "--uniform", "-1", "-o", path("big")});
    FAIL();
  } catch (const InputError& error) {
    EXPECT_STREQ(
        error.what(),
        "the model has at least 20000000000 elements, above the limit of 400: the finest "
        "mesh of the same proportions that fits is --mesh 20 10 (or give --large to write it "
        "all the same: lajefem cannot run it, lajefem-tools export can)");
  }
}

// A gmsh mesh (MSH 4.1) of n × n unit squares in one surface, physical group "slab", with a
// point entity in the physical group "columns" at each of `columns` (whole coordinates).
std::string square_grid_mesh(int n, const std::vector<std::pair<int, int>>& columns = {}) {
  const int side = n + 1;
  const auto points = static_cast<int>(columns.size());
  std::ostringstream text;
  text << "$MeshFormat\n4.1 0 8\n$EndMeshFormat\n"
       << "$PhysicalNames\n2\n2 1 \"slab\"\n0 2 \"columns\"\n$EndPhysicalNames\n"
       << "$Entities\n"
       << points << " 0 1 0\n";
  for (int p = 0; p < points; ++p) {
    text << p + 1 << ' ' << columns[p].first << ' ' << columns[p].second << " 0 1 2\n";
  }
  text << "1 0 0 0 " << n << ' ' << n << " 0 1 1 0\n$EndEntities\n"
       << "$Nodes\n1 " << side * side << " 1 " << side * side << "\n2 1 0 " << side * side << '\n';
  for (int k = 1; k <= side * side; ++k) {
    text << k << '\n';
  }
  for (int k = 0; k < side * side; ++k) {
    text << k % side << ' ' << k / side << " 0\n";
  }
  text << "$EndNodes\n$Elements\n"
       << 1 + points << ' ' << n * n + points << " 1 " << n * n + points << "\n2 1 3 " << n * n
       << '\n';
  for (int e = 0; e < n * n; ++e) {
    const int corner = e / n * side + e % n + 1;
    text << e + 1 << ' ' << corner << ' ' << corner + 1 << ' ' << corner + side + 1 << ' '
         << corner + side << '\n';
  }
  for (int p = 0; p < points; ++p) {
    text << "0 " << p + 1 << " 15 1\n"
         << n * n + p + 1 << ' ' << columns[p].second * side + columns[p].first + 1 << '\n';
  }
  text << "$EndElements\n";
  return text.str();
}

// Beyond the program's limits, generate and import refuse the model and name --large; with it
// they write the model and say which program runs it.
TEST_F(MeshCommands, LargeWritesAModelBeyondTheLimits) {
  {
    std::ofstream out(path("grid.msh"));
    out << square_grid_mesh(20);
  }
  const Words material{"--material", "30", "0.2", "0.2", "--uniform", "-1", "-o", path("big")};
  const struct {
    int (*command)(const Words&, ToolStreams&);
    Words words;  // material added
    const char* summary_start;
  } rows[] = {
      {run_generate,
       {"--size", "8", "8", "--mesh", "20", "20", "--edges", "SSSS"},
       "mesh 20 x 20: 441 nodes, 400 elements, 80 support records"},
      {run_generate,
       {"--size", "8", "8", "--mesh", "40", "10", "--edges", "SCSC", "--column", "4", "4"},
       "mesh 42 x 10: 473 nodes, 420 elements, 105 support records"},
      {run_import,
       {path("grid.msh"), "--support", "slab=S"},
       "grid.msh: 0 clockwise quadrangles reversed, 0 unused nodes dropped: 441 nodes"},
  };
  const std::string note =
      "; beyond lajefem's limits (441 nodes, above the limit of 300): lajefem cannot run it, "
      "lajefem-tools export can\n";
  for (const auto& row : rows) {
    Words words = row.words;
    words.insert(words.end(), material.begin(), material.end());
    fs::remove(path("big"));
    try {
      run(row.command, words);
      ADD_FAILURE() << row.summary_start;
    } catch (const InputError& error) {
      EXPECT_NE(std::string(error.what()).find("give --large to write it"), std::string::npos)
          << error.what();
    }
    EXPECT_FALSE(fs::exists(path("big")));
    words.push_back("--large");
    ASSERT_EQ(run(row.command, words), 0) << row.summary_start;
    EXPECT_EQ(out_.str().rfind(row.summary_start, 0), 0u) << out_.str();
    EXPECT_NE(out_.str().find("; beyond lajefem's limits ("), std::string::npos) << out_.str();
    EXPECT_TRUE(fs::exists(path("big")));
  }
  EXPECT_EQ(out_.str().substr(out_.str().size() - note.size()), note);
  // Within the limits --large changes nothing: no note.
  Words small{"--size", "2", "2", "--mesh", "4", "4", "--edges", "SSSS", "--large"};
  small.insert(small.end(), material.begin(), material.end());
  ASSERT_EQ(run(run_generate, small), 0);
  EXPECT_EQ(out_.str().find("beyond"), std::string::npos) << out_.str();
  EXPECT_TRUE(analyses(read("big")));
}

// A fan of 99 elements round one node (298 nodes): every numbering leaves that node's elements
// spread over half the nodes, a half-bandwidth above 120 that renumber refuses without --large.
TEST_F(MeshCommands, RenumberLargeWritesABandBeyondTheLimit) {
  PlateModel fan;
  fan.nodes.push_back({0, 0});
  for (int e = 0; e < 99; ++e) {
    const float angle = 0.0634f * static_cast<float>(e);
    for (int k = 1; k <= 3; ++k) {
      fan.nodes.push_back(
          {static_cast<float>(k) * std::cos(angle + 0.01f * static_cast<float>(k)),
           static_cast<float>(k) * std::sin(angle + 0.01f * static_cast<float>(k))});
    }
    fan.elements.push_back({1, {1, 3 * e + 2, 3 * e + 3, 3 * e + 4}});
  }
  fan.supports.push_back({1, 1e6f, 1e6f, 1e6f});
  fan.elastic_modulus_gpa = 30;
  fan.poisson_ratio = 0.2f;
  fan.thickness = 0.2f;
  fan.results_name = "leque.res";
  fan.load_cases = {{{{2, 0, {-5}}}}};
  {
    std::ofstream out(path("leque"));
    meshing::write_data_file(out, fan, meshing::standard_headings("leque", "", 1));
  }
  try {
    run(run_renumber, {path("leque"), "-o", path("novo")});
    ADD_FAILURE() << "renumbered";
  } catch (const InputError& error) {
    EXPECT_NE(std::string(error.what()).find("above the limit of 120"), std::string::npos);
    EXPECT_NE(std::string(error.what()).find("give --large to write it"), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(path("novo")));
  ASSERT_EQ(run(run_renumber, {path("leque"), "-o", path("novo"), "--large"}), 0);
  EXPECT_NE(out_.str().find(", above the limit of 120): lajefem cannot run it, lajefem-tools "
                            "export can\n"),
            std::string::npos)
      << out_.str();
  EXPECT_TRUE(fs::exists(path("novo")));
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
      {{"--wall", "0", "0", "1", "1"}, "along x or along y"},
      {{"--wall", "1", "1", "1", "1"}, "along x or along y"},
      {{"--wall", "0", "1", "2", "1", "Y"}, "holds no w"},
      {{"--wall", "0", "1", "3", "1"}, "not on the plate"},
      {{"--opening", "0", "0", "0", "1"}, "no area"},
      {{"--opening", "1", "1", "3", "1.5"}, "not on the plate"},
      {{"--column", "1", "1", "0", "0.5"}, "must be positive"},
      {{"--opening", "0.5", "0.5", "1.5", "1.5", "--column", "1", "1"}, "inside the opening"},
      {{"--opening", "0.5", "0.5", "1.5", "1.5", "--point", "1", "1.2", "3"}, "inside the opening"},
      {{"--mesh", "2", "2", "--edges", "FFYY"}, "no support"},
      {{"--patch", "0", "0", "2", "0", "-1"}, "no area"},
      {{"--patch", "0", "0", "2", "3", "-1"}, "not on the plate"},
      {{"--line", "0", "0", "2", "1", "-1"}, "along x or along y"},
      {{"--self-weight", "0"}, "must be positive"},
      {{"--grade", "0.8"}, "from 1 (equal) to 2"},
      {{"--grade", "2.5"}, "from 1 (equal) to 2"},
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

// A quarter of a slab of 3 x 3 bays is cut mid-bay: refused, unless --allow-spurious asks for
// it with a warning; the quarter of 2 x 2 bays, cut through the middle column lines, is written.
TEST_F(MeshCommands, LinesOfSymmetryMidBayAreRefused) {
  const Words quarter = {"--size",    "9",    "9",          "--mesh",     "9",   "9",
                         "--edges",   "FYYF", "--material", "30",         "0.2", "0.25",
                         "--uniform", "-10",  "--column",   "0",          "0",   "--column",
                         "6",         "0",    "--column",   "0",          "6",   "--column",
                         "6",         "6",    "-o",         path("q.dat")};
  try {
    run(run_generate, quarter);
    ADD_FAILURE() << "a symmetry line mid-bay was written";
  } catch (const InputError& error) {
    EXPECT_NE(std::string(error.what()).find("model the whole slab"), std::string::npos)
        << error.what();
  }
  EXPECT_FALSE(fs::exists(path("q.dat")));
  Words allowed = quarter;
  allowed.push_back("--allow-spurious");
  EXPECT_EQ(run(run_generate, allowed), 0);
  EXPECT_NE(err_.str().find("warning: the line of symmetry on the right edge (x = 9)"),
            std::string::npos)
      << err_.str();
  const Words sound = {"--size",    "6",    "6",          "--mesh",     "6",   "6",
                       "--edges",   "FYYF", "--material", "30",         "0.2", "0.25",
                       "--uniform", "-10",  "--column",   "0",          "0",   "--column",
                       "6",         "0",    "--column",   "0",          "6",   "--column",
                       "6",         "6",    "-o",         path("s.dat")};
  ASSERT_EQ(run(run_generate, sound), 0);
  EXPECT_TRUE(analyses(read("s.dat")));
}

// Patch, line and self-weight loads in two cases: the reactions of each case add up to the load
// on the plate by statics, and a case of more than 80 loads is merged node by node or refused
// with the number of nodes its loads touch.
TEST_F(MeshCommands, AreaLoadsAreCarriedWhole) {
  const Words plate = {"--size", "8",          "6",  "--mesh", "8",          "6",         "--edges",
                       "SSSS",   "--material", "30", "0.2",    "0.2",        "--opening", "5",
                       "4",      "6.5",        "5",  "-o",     path("a.dat")};
  const struct {
    Words loads;
    double total;  // kN, by hand
  } rows[] = {
      {{"--patch", "0", "0", "8", "3", "-10", "--line", "1.5", "4.5", "7", "4.5", "-6"},
       -10 * 24 - 6 * (5.5 - 1.5)},
      {{"--self-weight", "25", "--patch", "2", "2.5", "3", "6", "-4"},
       -25 * 0.2 * (48 - 1.5) - 4 * 3.5},
      {{"--patch", "0", "0", "8", "3", "-10", "--patch", "0", "2", "8", "6", "-5"},
       -10 * 24 - 5 * (32 - 1.5)},  // 81 nodal loads merged into one per node
      {{"--w-down", "--self-weight", "25", "--point", "2", "2", "10"}, 25 * 0.2 * (48 - 1.5) + 10},
  };
  for (const auto& row : rows) {
    Words words = plate;
    words.insert(words.end(), row.loads.begin(), row.loads.end());
    ASSERT_EQ(run(run_generate, words), 0) << row.total;
    const PlateModel model = read("a.dat");
    ASSERT_LE(model.load_cases[0].loads.size(), 80u);
    const auto outcome = analyse_plate_model(model);
    ASSERT_TRUE(std::holds_alternative<AnalysisResults>(outcome));
    double reactions = 0;
    for (const SupportReaction& reaction : std::get<AnalysisResults>(outcome).cases[0].supports) {
      reactions += reaction.force_w;
    }
    EXPECT_NEAR(reactions, -row.total, 1e-4 * std::abs(row.total));
  }
  Words crowded = plate;
  crowded.insert(crowded.end(), {"--mesh", "12", "8", "--patch", "0", "0", "8", "6", "-10"});
  crowded.erase(crowded.begin() + 3, crowded.begin() + 6);  // the first --mesh
  try {
    run(run_generate, crowded);
    ADD_FAILURE() << "a case of more than 80 nodal loads was written";
  } catch (const InputError& error) {
    EXPECT_NE(std::string(error.what()).find("above the limit of 80: they touch"),
              std::string::npos)
        << error.what();
  }
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

// The odd rule holds beyond the program's limits too: 2 × 2 bays on 9 columns, 10 elements a bay
// (441 nodes), leave the checkerboard free; 3 × 3 bays on 16 columns, 11 a bay, hold it.
TEST_F(MeshCommands, LargeImportAppliesTheOddRule) {
  const struct {
    int bays;
    int bay;           // elements a bay
    const char* told;  // in the refusal, "" when the model is written
  } rows[] = {
      {2, 10, "the point supports at (0, 0) and (10, 0) are 10 elements apart"},
      {2, 10, "the model check does not find the element's checkerboard held"},
      {3, 11, ""},
  };
  for (const auto& row : rows) {
    std::vector<std::pair<int, int>> columns;
    for (int i = 0; i <= row.bays; ++i) {
      for (int j = 0; j <= row.bays; ++j) {
        columns.emplace_back(i * row.bay, j * row.bay);
      }
    }
    {
      std::ofstream out(path("bays.msh"));
      out << square_grid_mesh(row.bays * row.bay, columns);
    }
    fs::remove(path("laje"));
    std::string told;
    try {
      run(run_import, {path("bays.msh"), "-o", path("laje"), "--large", "--material", "30", "0.2",
                       "0.2", "--support", "columns=S", "--uniform", "-10"});
    } catch (const InputError& error) {
      told = error.what();
    }
    EXPECT_EQ(fs::exists(path("laje")), std::string(row.told).empty()) << told;
    EXPECT_NE(told.find(row.told), std::string::npos) << told;
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
