// lajefem-tools check: exit status and output form for each kind of command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <utility>
#include <vector>

#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {
namespace {

enum class End { done, usage_error, input_error };

struct CheckRun {
  End end = End::done;
  int status = 0;
  std::string out;
};

CheckRun run(const Words& words) {
  std::ostringstream out, err;
  ToolStreams streams{out, err};
  CheckRun result;
  try {
    result.status = run_check(words, streams);
  } catch (const UsageError&) {
    result.end = End::usage_error;
  } catch (const InputError&) {
    result.end = End::input_error;
  }
  result.out = out.str();
  return result;
}

std::string example(const char* name) {
  return std::string(LAJEFEM_SOURCE_DIR) + "/examples/" + name;
}

TEST(CheckCommand, EndsAsTheCommandLineAndTheModelSay) {
  struct Row {
    Words words;
    End end;
    int status;
    std::string output_start;
  };
  const std::vector<Row> rows = {
      {{"--help"}, End::done, 0, "Usage: lajefem-tools check"},
      {{example("d01")}, End::done, 0, example("d01") + ": no findings\n"},
      {{example("pilares"), "--json"}, End::done, 0, "[]\n"},
      {{example("placa1")}, End::done, 1, example("placa1") + ": error: the plate is a single"},
      {{"--json", example("placa1")}, End::done, 1, "[\n  {\"severity\": \"error\""},
      {{}, End::usage_error, 0, ""},
      {{example("d01"), example("pilares")}, End::usage_error, 0, ""},
      {{example("d01"), "--xml"}, End::usage_error, 0, ""},
      {{example("d01"), "--json=yes"}, End::usage_error, 0, ""},
      {{example("no-such-file")}, End::input_error, 0, ""},
      {{std::string(LAJEFEM_SOURCE_DIR) + "/examples"}, End::input_error, 0, ""},
  };
  for (const Row& row : rows) {
    const CheckRun result = run(row.words);
    const std::string line = row.words.empty() ? "(no words)" : row.words[0];
    EXPECT_EQ(result.end, row.end) << line;
    EXPECT_EQ(result.status, row.status) << line;
    EXPECT_EQ(result.out.substr(0, row.output_start.size()), row.output_start) << line;
  }
}

// A device without line ends is read only up to the program's longest line, as lajefem reads
// it, and is a data error there: the check ends instead of reading without bound.
TEST(CheckCommand, ReadsNoFurtherThanTheLongestLine) {
  const CheckRun result = run({"/dev/zero"});
  EXPECT_EQ(result.end, End::done);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("/dev/zero:1: error: the program stops reading in a heading line"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("line longer than 32 MiB"), std::string::npos) << result.out;
}

TEST(CheckCommand, ExportExplainsTheMechanismItStopsAt) {
  std::ostringstream out, err;
  ToolStreams streams{out, err};
  try {
    run_export({example("placa1"), "-o", ::testing::TempDir()}, streams);
    ADD_FAILURE() << "export of a mechanism ended normally";
  } catch (const InputError& error) {
    EXPECT_NE(std::string(error.what()).find("global mechanism: the plate is a single element"),
              std::string::npos)
        << error.what();
  }
}

// Every edge kind, one-way and two-way spans, a cantilever, flat slabs on columns (the generator
// makes their spacing odd): each written model checks clean.
TEST(CheckCommand, GeneratedPlatesCheckClean) {
  const std::vector<Words> requests = {
      {"--size", "6", "6", "--mesh", "4", "4", "--edges", "SSSS"},
      {"--size", "6", "6", "--mesh", "6", "6", "--edges", "HHHH"},
      {"--size", "8", "5", "--mesh", "8", "5", "--edges", "CCCC"},
      {"--size", "6", "2", "--mesh", "6", "2", "--edges", "FFFC"},
      {"--size", "9", "6", "--mesh", "9", "6", "--edges", "FSFS"},
      {"--size", "20", "3", "--mesh", "28", "4", "--edges", "CFCF"},
      {"--size",   "6", "6", "--mesh",   "6", "6", "--edges",  "FFFF", "--column", "0", "0",
       "--column", "6", "0", "--column", "0", "6", "--column", "6",    "6"},
      {"--size",   "7", "7", "--mesh",   "8", "8", "--edges",  "FFFF", "--column", "1", "1",
       "--column", "6", "1", "--column", "1", "6", "--column", "6",    "6"},
      {"--size", "10", "8", "--mesh", "10", "8", "--edges", "SFFF", "--column", "0", "8",
       "--column", "10", "8"},
  };
  const std::string file = ::testing::TempDir() + "generated";
  for (Words request : requests) {
    const Words common = {"-o",        file,  "--material", "30", "0.2", "0.2",
                          "--uniform", "-10", "--point",    "3",  "1",   "-5"};
    request.insert(request.end(), common.begin(), common.end());
    std::ostringstream out, err;
    ToolStreams streams{out, err};
    ASSERT_EQ(run_generate(request, streams), 0) << request[1];
    const CheckRun result = run({file});
    EXPECT_EQ(result.status, 0) << request[1] << " " << request[7];
    EXPECT_EQ(result.out, file + ": no findings\n") << request[1] << " " << request[7];
  }
}

struct GenerateRun {
  bool written = false;
  std::string refusal;  // the InputError's message when not written
  std::string err;
};

GenerateRun generate_to(Words words, const std::string& file) {
  const Words common = {"-o", file, "--material", "30", "0.2", "0.2", "--uniform", "-10"};
  words.insert(words.end(), common.begin(), common.end());
  std::filesystem::remove(file);
  std::ostringstream out, err;
  ToolStreams streams{out, err};
  GenerateRun result;
  try {
    result.written = run_generate(words, streams) == 0;
  } catch (const InputError& error) {
    result.refusal = error.what();
  }
  result.err = err.str();
  return result;
}

Words columns_at(Words words, const std::vector<std::pair<const char*, const char*>>& columns) {
  for (const auto& [x, y] : columns) {
    words.insert(words.end(), {"--column", x, y});
  }
  return words;
}

// Four columns on no common grid line hold the checkerboard only by the plate's twist whatever
// the counts between them (a checkerboard of ±3 m under 10 kN/m² with odd counts everywhere):
// generate refuses the layout with the check's explanation, and writes it with a warning, which
// the check confirms, only when asked to.
TEST(CheckCommand, GenerateRefusesScatteredColumnsThatStaySoft) {
  const std::string file = ::testing::TempDir() + "scattered.dat";
  const Words scattered =
      columns_at({"--size", "8", "5", "--mesh", "6", "4", "--edges", "FFFF"},
                 {{"1.3", "0.7"}, {"7.1", "0.9"}, {"6.6", "4.2"}, {"0.4", "4.9"}});
  const GenerateRun refused = generate_to(scattered, file);
  EXPECT_FALSE(refused.written);
  EXPECT_NE(refused.refusal.find("checkerboard"), std::string::npos) << refused.refusal;
  EXPECT_NE(refused.refusal.find("--allow-spurious"), std::string::npos) << refused.refusal;
  EXPECT_FALSE(std::filesystem::exists(file));

  Words allowed = scattered;
  allowed.push_back("--allow-spurious");
  const GenerateRun written = generate_to(allowed, file);
  ASSERT_TRUE(written.written) << written.refusal;
  EXPECT_NE(written.err.find("lajefem-tools generate: warning: the element's spurious"),
            std::string::npos)
      << written.err;
  EXPECT_NE(run({file}).out.find("[mechanism-soft-spurious]"), std::string::npos);
}

// Columns off shared grid lines, on plates with and without supported edges: generate either
// writes a model that the check finds clean or refuses the layout for the checkerboard, never
// writes one that the check flags. `written` records which, so that a change of the rule shows.
TEST(CheckCommand, GeneratedScatteredColumnsCheckCleanOrAreRefused) {
  struct Row {
    Words plate;
    std::vector<std::pair<const char*, const char*>> columns;
    bool written;
  };
  const Words plate_8x6 = {"--size", "8", "6", "--mesh", "6", "4", "--edges"};
  const Words plate_12 = {"--size", "12", "12", "--mesh", "6", "6", "--edges"};
  const auto on = [](Words plate, const char* edges) {
    plate.push_back(edges);
    return plate;
  };
  const std::vector<Row> rows = {
      {on(plate_8x6, "SFFF"), {{"5.3", "3.7"}}, true},
      {on(plate_8x6, "FFFF"), {{"1.1", "0.6"}, {"6.9", "1.4"}, {"3.7", "5.2"}}, false},
      {on(plate_8x6, "FSFF"), {{"2.2", "1.3"}, {"5.9", "4.4"}}, true},
      {on(plate_8x6, "FFCF"), {{"1.4", "0.8"}, {"6.3", "1.7"}}, true},
      {on(plate_8x6, "FFFF"),
       {{"0.7", "0.9"}, {"7.2", "0.4"}, {"6.1", "5.3"}, {"1.6", "4.6"}, {"4.3", "2.8"}},
       true},
      {on(plate_12, "FFFF"),
       {{"0.5", "0.8"}, {"11.2", "1.3"}, {"10.6", "11.4"}, {"1.2", "10.9"}, {"6.3", "5.7"}},
       true},
      {on(plate_12, "FFFF"),
       {{"1", "1"},
        {"6.4", "0.6"},
        {"11.3", "1.9"},
        {"0.8", "11"},
        {"5.7", "11.6"},
        {"11.1", "10.4"}},
       true},
      {on(plate_12, "SSFF"), {{"7.7", "8.3"}}, true},
      {on(plate_12, "FHFH"), {{"4.1", "6.6"}, {"8.3", "5.2"}, {"6.2", "9.7"}}, true},
      {on(plate_12, "FFFF"),
       {{"0.3", "0.4"}, {"11.7", "0.2"}, {"11.5", "11.8"}, {"0.6", "11.4"}},
       true},
      {{"--size", "8", "5", "--mesh", "6", "4", "--edges", "FFFF"},
       {{"1.3", "0.7"}, {"7.1", "0.9"}, {"6.6", "4.2"}, {"0.4", "4.9"}},
       false},
      {{"--size", "15", "10", "--mesh", "12", "8", "--edges", "FFFF"},
       {{"0", "0"}, {"7", "0"}, {"15", "0"}, {"0", "10"}, {"7", "10"}, {"15", "10"}, {"3.5", "5"}},
       true},
  };
  const std::string file = ::testing::TempDir() + "scattered_row.dat";
  for (const Row& row : rows) {
    const GenerateRun generated = generate_to(columns_at(row.plate, row.columns), file);
    const std::string name = row.plate[1] + " x " + row.plate[2] + " " + row.plate[7] + " on " +
                             std::to_string(row.columns.size()) + " columns";
    EXPECT_EQ(generated.written, row.written) << name << ": " << generated.refusal;
    if (generated.written) {
      const CheckRun checked = run({file});
      EXPECT_EQ(checked.out, file + ": no findings\n") << name;
    } else {
      EXPECT_NE(generated.refusal.find("checkerboard"), std::string::npos)
          << name << ": " << generated.refusal;
    }
  }
}

}  // namespace
}  // namespace lajefem::tools
