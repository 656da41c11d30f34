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
  };
  for (const Row& row : rows) {
    const CheckRun result = run(row.words);
    const std::string line = row.words.empty() ? "(no words)" : row.words[0];
    EXPECT_EQ(result.end, row.end) << line;
    EXPECT_EQ(result.status, row.status) << line;
    EXPECT_EQ(result.out.substr(0, row.output_start.size()), row.output_start) << line;
  }
}

}  // namespace
}  // namespace lajefem::tools
