#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "run/command_line.hpp"
#include "tests/run/run_harness.hpp"

namespace lajefem {
namespace {

using testing::TempFolder;

struct ArgumentCase {
  std::vector<std::string> arguments;
  int status;
  std::string out_start;  // the beginning of standard output
  std::string error;      // the whole of standard error
};

TEST(CommandLine, AnswersHelpVersionAndRefusesEverythingElse) {
  const std::string usage = "Usage: lajefem [--help | --version]\n";
  const std::vector<ArgumentCase> cases = {
      {{"--help"}, 0, usage, ""},
      {{"-h"}, 0, usage, ""},
      {{"--version"}, 0, "lajefem 1.0.0\n", ""},
      {{"--bogus"},
       2,
       "",
       "lajefem: unknown argument '--bogus' (lajefem --help shows the usage)\n"},
      {{"d01"}, 2, "", "lajefem: unknown argument 'd01' (lajefem --help shows the usage)\n"},
      {{""}, 2, "", "lajefem: unknown argument '' (lajefem --help shows the usage)\n"},
      {{"--help", "x"}, 2, "", "lajefem: unknown argument 'x' (lajefem --help shows the usage)\n"},
      {{"--Version"},
       2,
       "",
       "lajefem: unknown argument '--Version' (lajefem --help shows the usage)\n"},
  };
  for (const ArgumentCase& row : cases) {
    std::ostringstream out;
    std::ostringstream error;
    const auto status = answer_arguments(row.arguments, out, error);
    ASSERT_TRUE(status.has_value()) << row.arguments[0];
    EXPECT_EQ(*status, row.status) << row.arguments[0];
    EXPECT_EQ(out.str().substr(0, row.out_start.size()), row.out_start) << row.arguments[0];
    EXPECT_EQ(row.out_start.empty(), out.str().empty()) << row.arguments[0];
    EXPECT_EQ(error.str(), row.error) << row.arguments[0];
  }
}

TEST(CommandLine, NoArgumentsLetTheRunGoAhead) {
  std::ostringstream out;
  std::ostringstream error;
  EXPECT_FALSE(answer_arguments({}, out, error).has_value());
  EXPECT_EQ(out.str() + error.str(), "");
}

TEST(CommandLine, HelpNamesTheUserGuide) {
  std::ostringstream out;
  std::ostringstream error;
  answer_arguments({"--help"}, out, error);
  EXPECT_NE(out.str().find("docs/README.md"), std::string::npos);
}

// The program answers in an empty folder that stays empty, and leaves standard input unread:
// what it was given is still there for the next reader.
TEST(Program, AnswersArgumentsWithoutTouchingFilesOrInput) {
  struct Row {
    std::string argument;
    int status;
  };
  for (const Row& row : {Row{"--help", 0}, Row{"--version", 0}, Row{"--bogus", 2}}) {
    TempFolder empty;
    TempFolder outside;
    outside.write("input", "d01\n\n");
    const std::string o = "'" + outside.path().string() + "/";
    const std::string command = "cd '" + empty.path().string() + "' && ('" + LAJEFEM_BINARY + "' " +
                                row.argument + " >" + o + "out' 2>" + o + "err'; echo $? >" + o +
                                "status'; cat >" + o + "rest') <" + o + "input'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << row.argument;
    EXPECT_EQ(outside.read("status"), std::to_string(row.status) + "\n") << row.argument;
    EXPECT_EQ(outside.read("rest"), "d01\n\n") << row.argument;
    EXPECT_EQ(outside.read(row.status == 0 ? "err" : "out"), "") << row.argument;
    EXPECT_TRUE(std::filesystem::is_empty(empty.path())) << row.argument;
  }
}

}  // namespace
}  // namespace lajefem
