// Whole runs compared with expected outputs: the examples against the files checked in under
// tests/golden (produced by this program and verified by hand), and, where the folder of
// reference runs of an independent implementation is at hand (LAJEFEM_REFERENCE_RUNS), against
// those. Its regression corpus (the folder corpus/ in it) is compared by its own script.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/run/run_harness.hpp"

namespace lajefem {
namespace {

namespace fs = std::filesystem;

const fs::path source_dir = LAJEFEM_SOURCE_DIR;

struct Example {
  const char* data_name;
  const char* results_name;  // empty when the run stops early
};

const Example examples[] = {
    {"d01", "d01.res"},         {"placa1", ""},
    {"apoiada", "apoiada.res"}, {"encastrada", "encast.res"},
    {"pilares", "pilares.res"}, {"distorcida", "distorc.res"},
};

// With LAJEFEM_UPDATE_EXPECTED=1 the test rewrites the expected files instead of comparing.
bool updating() {
  return std::getenv("LAJEFEM_UPDATE_EXPECTED") != nullptr;
}

void compare_or_update(const fs::path& expected, const std::string& actual) {
  if (updating()) {
    fs::create_directories(expected.parent_path());
    std::ofstream(expected, std::ios::binary) << actual;
    return;
  }
  ASSERT_TRUE(fs::exists(expected)) << expected;
  EXPECT_TRUE(testing::read_file(expected) == actual) << "differs from " << expected;
}

TEST(ReferenceRuns, ExamplesMatchTheirExpectedOutputs) {
  for (const Example& example : examples) {
    SCOPED_TRACE(example.data_name);
    testing::TempFolder folder;
    folder.write(example.data_name,
                 testing::read_file(source_dir / "examples" / example.data_name));
    const testing::RunResult run = testing::run_in(folder, std::string(example.data_name) + "\n\n");
    const fs::path expected = source_dir / "tests" / "golden" / example.data_name;
    compare_or_update(expected / "console.txt", run.console);
    compare_or_update(expected / "ZLIXO", run.log);
    compare_or_update(expected / "exit_status.txt", std::to_string(run.status) + "\n");
    if (*example.results_name != '\0') {
      compare_or_update(expected / example.results_name, folder.read(example.results_name));
    }
  }
}

// Stiffness lines "i j value" are free-format: they are compared as numbers.
bool same_stiffness_line(const std::string& ours, const std::string& theirs) {
  int i1 = 0, j1 = 0, i2 = 0, j2 = 0;
  double v1 = 0, v2 = 0;
  char end = 0;
  if (std::sscanf(ours.c_str(), "%d %d %lf%c", &i1, &j1, &v1, &end) != 3 ||
      std::sscanf(theirs.c_str(), "%d %d %lf%c", &i2, &j2, &v2, &end) != 3) {
    return false;
  }
  return i1 == i2 && j1 == j2 && v1 == v2;
}

// Banner rows 11 to 15 (the block letters of the program name) are free.
void compare_lines(const std::string& ours, const std::string& theirs, const std::string& what) {
  const std::vector<std::string> a = testing::lines_of(ours);
  const std::vector<std::string> b = testing::lines_of(theirs);
  ASSERT_EQ(a.size(), b.size()) << what;
  int differences = 0;
  for (std::size_t k = 0; k < a.size() && differences < 10; ++k) {
    const bool free_banner_row = k >= 10 && k <= 14;
    if (a[k] != b[k] && !free_banner_row && !same_stiffness_line(a[k], b[k])) {
      ADD_FAILURE() << what << " line " << k + 1 << "\nours:   [" << a[k] << "]\ntheirs: [" << b[k]
                    << "]";
      ++differences;
    }
  }
}

TEST(ReferenceRuns, IndependentImplementationAgrees) {
  const fs::path golden = LAJEFEM_REFERENCE_RUNS;
  if (!fs::is_directory(golden)) {
    GTEST_SKIP() << "no folder of reference runs at " << golden
                 << " (configure with -DLAJEFEM_REFERENCE_RUNS=FOLDER to compare with them)";
  }
  int compared = 0;
  for (const auto& entry : fs::directory_iterator(golden)) {
    // A reference run is a folder with the run's console; the corpus folder holds many.
    if (!fs::exists(entry.path() / "console.txt")) {
      continue;
    }
    ++compared;
    SCOPED_TRACE(entry.path().filename().string());
    testing::TempFolder folder;
    std::string data_name;
    for (const auto& file : fs::directory_iterator(entry.path())) {
      if (file.path().extension() == ".dat") {
        data_name = file.path().filename().string();
        folder.write(data_name, testing::read_file(file.path()));
      }
    }
    const testing::RunResult run = testing::run_in(folder, data_name + "\n\n");
    compare_lines(run.console, testing::read_file(entry.path() / "console.txt"), "console");
    compare_lines(run.log, testing::read_file(entry.path() / "ZLIXO"), "ZLIXO");
    EXPECT_EQ(std::to_string(run.status) + "\n",
              testing::read_file(entry.path() / "exit_status.txt"));
    for (const auto& file : fs::directory_iterator(entry.path())) {
      if (file.path().extension() == ".res") {
        EXPECT_TRUE(folder.read(file.path().filename().string()) == testing::read_file(file.path()))
            << "results file " << file.path().filename();
      }
    }
  }
  EXPECT_GT(compared, 0) << "no reference run in " << golden;
}

}  // namespace
}  // namespace lajefem
