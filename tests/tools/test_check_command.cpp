// lajefem-tools check: exit status and output form for each kind of command line.
#include <gtest/gtest.h>

#include <sstream>

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
  // Four columns on no common grid line: the counts between them along each line are odd, yet
  // the pattern stays soft (a checkerboard of ±3 m under 10 kN/m²), and the check says so.
  Words scattered = {"--size",  "8",    "5",         "--mesh", "6",          "4",
                     "--edges", "FFFF", "--column",  "1.3",    "0.7",        "--column",
                     "7.1",     "0.9",  "--column",  "6.6",    "4.2",        "--column",
                     "0.4",     "4.9",  "-o",        file,     "--material", "30",
                     "0.2",     "0.2",  "--uniform", "-10"};
  std::ostringstream out, err;
  ToolStreams streams{out, err};
  ASSERT_EQ(run_generate(scattered, streams), 0);
  EXPECT_NE(run({file}).out.find("[mechanism-soft-spurious]"), std::string::npos);
}

}  // namespace
}  // namespace lajefem::tools
