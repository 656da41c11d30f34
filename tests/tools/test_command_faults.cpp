// The commands under faults of their surroundings: standard output that cannot be written, files
// that are refused or cannot be written, and material values that lajefem would refuse.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>

#include "analysis/analysis.hpp"
#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {
namespace {

namespace fs = std::filesystem;

const std::string example_d01 = std::string(LAJEFEM_SOURCE_DIR) + "/examples/d01";
const std::string small_plate =
    "generate --size 2 2 --mesh 2 2 --edges SSSS --material 30 0.2 0.2 --uniform -1";

class CommandFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("lajefem-faults-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string path(const std::string& name) const { return (folder_ / name).string(); }

  std::string read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // The tools binary as its own process, standard output redirected as `output` says (">&-"
  // closes it); its exit status, standard error kept in err.
  int run_binary(const std::string& words, const std::string& output) const {
    const std::string command =
        "'" + std::string(LAJEFEM_TOOLS) + "' " + words + " " + output + " 2>'" + path("err") + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path folder_;
};

// Every command's standard output: on /dev/full and closed, the failure is told and the exit
// status is 1; on a writable output the same commands succeed.
TEST_F(CommandFaults, StandardOutputThatCannotBeWrittenExitsOne) {
  const std::string rows[] = {
      "--help",
      "--version",
      "generate --help",
      small_plate + " -o -",
      small_plate + " -o '" + path("written") + "'",
      "renumber '" + example_d01 + "' -o -",
      "check '" + example_d01 + "'",
      "check --json '" + example_d01 + "'",
  };
  for (const std::string& words : rows) {
    EXPECT_EQ(run_binary(words, ">/dev/null"), 0) << words << ": " << read("err");
    for (const std::string output : {">/dev/full", ">&-"}) {
      EXPECT_EQ(run_binary(words, output), 1) << words << " " << output;
      EXPECT_NE(read("err").find("cannot write to standard output"), std::string::npos)
          << words << " " << output << ": " << read("err");
    }
  }
}

// A stream whose every write fails, as standard output on a full disk.
class FullOutput : public std::streambuf {
 protected:
  int_type overflow(int_type) override { return traits_type::eof(); }
};

// A refused or failed renumber leaves an earlier map as it was.
TEST_F(CommandFaults, RenumberThatFailsKeepsTheMap) {
  std::ofstream(path("map.csv")) << "earlier map\n";
  fs::copy_file(example_d01, path("d01"));
  FullOutput full;
  std::ostream full_stream(&full);
  std::ostringstream err;
  ToolStreams streams{full_stream, err};
  const std::string map = path("map.csv");
  const struct {
    Words words;
    bool usage;
  } rows[] = {
      {{path("d01"), "-o", path("d01"), "--map", map}, true},
      {{path("d01"), "-o", path("no-folder/new"), "--map", map}, false},
      {{path("d01"), "-o", "-", "--map", map}, false},
  };
  for (const auto& row : rows) {
    if (row.usage) {
      EXPECT_THROW(run_renumber(row.words, streams), UsageError) << row.words[2];
    } else {
      EXPECT_THROW(run_renumber(row.words, streams), InputError) << row.words[2];
    }
    EXPECT_EQ(read("map.csv"), "earlier map\n") << row.words[2];
  }
  std::ostringstream out;
  ToolStreams working{out, err};
  EXPECT_EQ(run_renumber({path("d01"), "-o", path("new"), "--map", map}, working), 0);
  EXPECT_EQ(read("map.csv").rfind("old,new\n1,", 0), 0u);
}

// The material values lajefem refuses are refused when the file is made, with its reason; the
// largest modulus it holds is written and read back.
TEST_F(CommandFaults, MaterialRefusedAsTheProgramRefusesIt) {
  const struct {
    const char* modulus;
    const char* poisson;
    const char* thickness;
    const char* reason;  // nullptr: written
  } rows[] = {
      {"3.5E32", "0.2", "0.2", "modulus of elasticity must be positive and finite"},
      {"0", "0.2", "0.2", "modulus of elasticity must be positive and finite"},
      {"30", "1", "0.2", "Poisson's ratio must lie strictly between -1 and 1"},
      {"30", "-1", "0.2", "Poisson's ratio must lie strictly between -1 and 1"},
      {"30", "0.2", "0", "the thickness must be positive"},
      {"3.3E32", "-0.99", "1E-30", nullptr},
  };
  for (const auto& row : rows) {
    std::ostringstream out, err;
    ToolStreams streams{out, err};
    const Words words = {"--size",    "2",           "2",          "--mesh",
                         "2",         "2",           "--edges",    "SSSS",
                         "--uniform", "-1",          "--material", row.modulus,
                         row.poisson, row.thickness, "-o",         path("placa")};
    if (row.reason == nullptr) {
      ASSERT_EQ(run_generate(words, streams), 0);
      std::ifstream in(path("placa"));
      EXPECT_TRUE(std::holds_alternative<PlateModel>(read_plate_model(in))) << row.modulus;
      continue;
    }
    try {
      run_generate(words, streams);
      ADD_FAILURE() << row.modulus << " accepted";
    } catch (const UsageError& error) {
      EXPECT_NE(std::string(error.what()).find(row.reason), std::string::npos) << error.what();
    }
  }
}

}  // namespace
}  // namespace lajefem::tools
