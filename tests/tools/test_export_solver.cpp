// export's choice of solver: the banded steps of the program within the store's limits, the
// sparse engine beyond them (and on request), the banded solver refused beyond them naming the
// limit; both solvers agree within the limits, and a thin square beyond them meets Navier's
// series.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "meshing/data_file_writer.hpp"
#include "tests/common/plate_grid.hpp"
#include "tests/common/temp_folder.hpp"
#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {
namespace {

struct ExportRun {
  int status = -1;
  std::string out;
  std::string error;  // the InputError's message
};

ExportRun run(const Words& words) {
  std::ostringstream out, err;
  ToolStreams streams{out, err};
  ExportRun result;
  try {
    result.status = run_export(words, streams);
  } catch (const InputError& error) {
    result.error = error.what();
  }
  result.out = out.str();
  return result;
}

std::string written(const testing::TempFolder& folder, const PlateModel& model) {
  std::ofstream out(folder / "plate.dat");
  meshing::write_data_file(out, model,
                           meshing::standard_headings("PLACA", "teste", model.load_cases.size()));
  return (folder / "plate.dat").string();
}

// The numbers of a CSV file, row by row.
std::vector<double> csv_numbers(const std::string& text) {
  std::vector<double> numbers;
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);  // the header
  while (std::getline(lines, line)) {
    std::istringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, ',')) {
      numbers.push_back(std::stod(cell));
    }
  }
  return numbers;
}

// "  largest |w|             -9.604373 mm at ..." of load case 1 -> -9.604373.
double largest_w_mm(const std::string& summary) {
  const auto at = summary.find("largest |w|");
  return std::stod(summary.substr(at + 11));
}

// A 4 m square of 10 mm (t/a = 0.0025) on hard simple supports, 20 × 20 elements: 441 nodes and
// 80 support records, beyond the store.
PlateModel thin_square() {
  return test::hard_supported_square(20, 4.0f, 0.01f, 1);
}

TEST(ExportSolver, BeyondTheLimitsTheSparseEngineRunsAndMeetsNavier) {
  testing::TempFolder folder;
  const std::string data = written(folder, thin_square());
  const ExportRun sparse = run({data, "--only", "csv"});
  ASSERT_EQ(sparse.status, 0) << sparse.error;
  EXPECT_NE(sparse.out.find("solver: sparse Cholesky (CHOLMOD)\n"), std::string::npos);
  // Navier: w = 0.00406235 q a⁴ / D, D = E t³ / 12(1 − ν²), q = 1 kN/m².
  const double rigidity = 30e6 * std::pow(0.01, 3) / (12 * (1 - 0.3 * 0.3));
  const double navier_mm = 0.00406235 * std::pow(4.0, 4) / rigidity * 1000;
  EXPECT_NEAR(-largest_w_mm(sparse.out), navier_mm, 0.01 * navier_mm);
  EXPECT_TRUE(folder.holds("plate-nodes.csv"));
}

TEST(ExportSolver, TheBandedSolverIsRefusedBeyondTheLimitsNamingThem) {
  testing::TempFolder folder;
  const struct {
    PlateModel model;
    const char* limit;
  } rows[] = {
      {thin_square(),
       "441 nodes, above the limit of 300 of the banded solver; use --solver sparse"},
      {test::hard_supported_square(12, 4.0f, 0.2f, 5),
       "5 load cases, above the limit of 4 of the banded solver; use --solver sparse"},
  };
  for (const auto& row : rows) {
    const std::string data = written(folder, row.model);
    const ExportRun banded = run({data, "--only", "csv", "--solver", "banded"});
    EXPECT_EQ(banded.error, data + ": " + row.limit);
    EXPECT_FALSE(folder.holds("plate-nodes.csv"));
  }
}

TEST(ExportSolver, BothSolversAgreeWithinTheLimits) {
  testing::TempFolder folder;
  const std::string data = written(folder, test::hard_supported_square(8, 4.0f, 0.2f, 2));
  const ExportRun automatic = run({data, "--only", "csv", "-o", (folder / "auto").string()});
  const ExportRun banded =
      run({data, "--only", "csv", "--solver", "banded", "-o", (folder / "banded").string()});
  const ExportRun sparse =
      run({data, "--only", "csv", "--solver", "sparse", "-o", (folder / "sparse").string()});
  ASSERT_EQ(sparse.status, 0) << sparse.error;
  EXPECT_NE(automatic.out.find("solver: banded, lajefem's own steps\n"), std::string::npos);
  EXPECT_EQ(folder.read("auto/plate-nodes.csv"), folder.read("banded/plate-nodes.csv"));
  for (const char* table : {"plate-nodes.csv", "plate-points.csv"}) {
    const auto a = csv_numbers(folder.read(std::string("banded/") + table));
    const auto b = csv_numbers(folder.read(std::string("sparse/") + table));
    ASSERT_EQ(a.size(), b.size()) << table;
    double largest = 0;
    for (const double value : a) {
      largest = std::max(largest, std::abs(value));
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
      ASSERT_NEAR(a[i], b[i], 1e-9 * largest) << table << " value " << i;
    }
  }
}

TEST(ExportSolver, AnUnknownSolverIsAUsageError) {
  std::ostringstream out, err;
  ToolStreams streams{out, err};
  EXPECT_THROW(run_export({"plate.dat", "--solver", "skyline"}, streams), UsageError);
}

}  // namespace
}  // namespace lajefem::tools
