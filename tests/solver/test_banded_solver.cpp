#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "solver/banded_solver.hpp"
#include "solver/block_inversion.hpp"
#include "tests/common/dense_solver.hpp"

namespace lajefem {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Shows each pivot failure the solver reports, as the console program does.
class PivotLines final : public SolverListener {
 public:
  explicit PivotLines(std::ostream& console) : console_(console) {}
  void pivot_failed(double largest_candidate) override {
    write_pivot_failure_line(console_, largest_candidate);
  }

 private:
  std::ostream& console_;
};

// One symmetric banded system, kept dense for the reference solve, with the solver's inputs.
// Every entry the solver must not read (rows beyond N, band columns beyond NBW, load columns
// beyond L) holds NaN, so reading one would spoil the displacements.
struct BandedCase {
  int n, nbw, cases;
  std::vector<double> dense;  // K(i, j) at (i − 1) · n + (j − 1)
  std::unique_ptr<BandMatrix> band = std::make_unique<BandMatrix>();
  std::unique_ptr<LoadMatrix> loads = std::make_unique<LoadMatrix>();
  int singular_flag = 0;
  std::ostringstream console;

  BandedCase(int equations, int half_bandwidth, int load_cases)
      : n(equations), nbw(half_bandwidth), cases(load_cases), dense(n * n, 0.0) {
    band->fill(nan);
    loads->fill(nan);
    for (int q = 1; q <= cases; ++q) {
      for (int i = 1; i <= n; ++i) {
        (*loads)(i, q) = 0.0;
      }
    }
  }
  double& k(int i, int j) { return dense[(i - 1) * n + (j - 1)]; }
  void set_k(int i, int j, double value) {
    k(i, j) = value;
    k(j, i) = value;
  }
  void copy_band() {
    for (int i = 1; i <= n; ++i) {
      for (int m = 1; m <= nbw; ++m) {
        (*band)(i, m) = i + m - 1 <= n ? k(i, i + m - 1) : 0.0;
      }
    }
  }
  void solve() {
    copy_band();
    PivotLines pivot_lines(console);
    solve_banded(max_equations, max_band, max_load_cases, n, nbw, cases, *band, *loads,
                 singular_flag, pivot_lines);
  }
};

// Random entries over the whole band, the diagonal dominant: symmetric positive definite.
void fill_positive_definite(BandedCase& system, unsigned seed) {
  std::mt19937 generator(seed);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  for (int i = 1; i <= system.n; ++i) {
    for (int j = i + 1; j <= std::min(system.n, i + system.nbw - 1); ++j) {
      system.set_k(i, j, entry(generator));
    }
  }
  for (int i = 1; i <= system.n; ++i) {
    double off_diagonal = 0.0;
    for (int j = 1; j <= system.n; ++j) {
      off_diagonal += j == i ? 0.0 : std::fabs(system.k(i, j));
    }
    system.k(i, i) = off_diagonal + 0.5 + 0.5 * (entry(generator) + 1.0);
  }
  for (int q = 1; q <= system.cases; ++q) {
    for (int i = 1; i <= system.n; ++i) {
      (*system.loads)(i, q) = entry(generator);
    }
  }
}

struct Shape {
  int n, nbw, cases;
  const char* what;
};

TEST(SolveBanded, AgreesWithDenseSolveOnPositiveDefiniteSystems) {
  const std::vector<Shape> shapes = {
      {12, 12, 1, "one element: B = 2, s = 1"},
      {20, 11, 4, "B = 2, N a multiple of b"},
      {30, 4, 2, "ten blocks, N a multiple of b"},
      {31, 4, 3, "s = 1 after ten blocks"},
      {100, 13, 4, "s = 4"},
      {7, 2, 2, "blocks of one equation"},
      {8, 12, 2, "a single block, N < b"},
      {11, 12, 4, "a single block, N = b"},
      {1, 2, 1, "one equation"},
      {900, 120, 4, "the largest system, s = 67"},
  };
  unsigned seed = 1;
  for (const Shape& shape : shapes) {
    BandedCase system(shape.n, shape.nbw, shape.cases);
    fill_positive_definite(system, seed++);
    const LoadMatrix original = *system.loads;
    system.solve();
    EXPECT_EQ(system.singular_flag, 0) << shape.what;
    EXPECT_EQ(system.console.str(), "") << shape.what;
    for (int q = 1; q <= shape.cases; ++q) {
      std::vector<double> y(shape.n);
      for (int i = 1; i <= shape.n; ++i) {
        y[i - 1] = original(i, q);
      }
      const std::vector<double> x = test::solve_dense(system.dense, shape.n, y);
      double largest = 0.0;
      double worst = 0.0;
      for (int i = 1; i <= shape.n; ++i) {
        largest = std::max(largest, std::fabs(x[i - 1]));
        worst = std::max(worst, std::fabs((*system.loads)(i, q) - x[i - 1]));
      }
      EXPECT_LE(worst, 1e-10 * largest) << shape.what << ", case " << q;
    }
    for (int q = shape.cases + 1; q <= max_load_cases; ++q) {
      EXPECT_TRUE(std::isnan((*system.loads)(1, q))) << shape.what << ", column " << q;
    }
  }
}

// Equations first..last decoupled and given a zero stiffness; the rest positive definite.
BandedCase make_with_zero_equations(int n, int nbw, int first, int last) {
  BandedCase system(n, nbw, 2);
  fill_positive_definite(system, 99);
  for (int i = first; i <= last; ++i) {
    for (int j = 1; j <= n; ++j) {
      system.set_k(i, j, 0.0);
    }
  }
  return system;
}

std::string repeated_zero_pivot_line(int times) {
  std::string lines;
  for (int i = 0; i < times; ++i) {
    lines += "\n          NAO HA PIVOT SUPERIOR A 0.000000000E+00\n";
  }
  return lines;
}

// Twelve equations in blocks of three: each block but the last is inverted three times.
TEST(SolveBanded, SingularBlockReportsOncePerInversion) {
  struct Row {
    int first, last, lines;
    const char* what;
  };
  const std::vector<Row> rows = {
      {1, 3, 3, "first block"},
      {4, 6, 3, "inner block"},
      {10, 12, 1, "last block"},
      {11, 11, 1, "one equation of the last block"},
  };
  for (const Row& row : rows) {
    BandedCase system = make_with_zero_equations(12, 4, row.first, row.last);
    system.solve();
    EXPECT_EQ(system.singular_flag, 1) << row.what;
    EXPECT_EQ(system.console.str(), repeated_zero_pivot_line(row.lines)) << row.what;
  }
}

// Thirteen equations in blocks of three: the last one is solved by a division, and a diagonal
// that cannot carry it raises the flag without a pivot line.
TEST(SolveBanded, LastSingleEquationNeedsAUsableDiagonal) {
  const double tol = pivot_tolerance;
  struct Row {
    double diagonal;
    int flag;
  };
  const std::vector<Row> rows = {
      {0.0, 1},  {tol, 1}, {-tol, 1}, {5.0e-5, 1}, {std::nextafter(tol, 1.0), 0},
      {-2.0, 0}, {nan, 1},
  };
  for (const Row& row : rows) {
    BandedCase system = make_with_zero_equations(13, 4, 13, 13);
    system.k(13, 13) = row.diagonal;
    (*system.loads)(13, 1) = 1.0;
    system.solve();
    EXPECT_EQ(system.singular_flag, row.flag) << row.diagonal;
    EXPECT_EQ(system.console.str(), "") << row.diagonal;
    if (row.flag == 0) {
      EXPECT_EQ((*system.loads)(13, 1), 1.0 / row.diagonal);
    }
  }
}

// Every block invertible, but the displacements overflow or carry a NaN load.
TEST(SolveBanded, NonFiniteDisplacementsRaiseTheFlag) {
  struct Row {
    double stiffness_scale, load;
    int flag;
  };
  const std::vector<Row> rows = {
      {1.0e-3, 1.0e308, 1},
      {1.0, nan, 1},
      {1.0, std::numeric_limits<double>::infinity(), 1},
      {1.0e-3, 1.0e300, 0},
  };
  for (const Row& row : rows) {
    BandedCase system(20, 6, 1);
    for (int i = 1; i <= 20; ++i) {
      system.k(i, i) = row.stiffness_scale;
    }
    (*system.loads)(7, 1) = row.load;
    system.solve();
    EXPECT_EQ(system.singular_flag, row.flag) << row.load;
    EXPECT_EQ(system.console.str(), "") << row.load;
  }
}

// The block products pass over zero terms; a NaN stiffness entry, wherever it sits in the band
// (diagonal, inner or coupling block), must still reach the displacements.
TEST(SolveBanded, NonFiniteStiffnessAnywhereInTheBandRaisesTheFlag) {
  const int n = 12;
  const int nbw = 4;
  for (int i = 1; i <= n; ++i) {
    for (int j = i; j <= std::min(n, i + nbw - 1); ++j) {
      BandedCase system(n, nbw, 2);
      fill_positive_definite(system, 7);
      system.set_k(i, j, nan);
      system.solve();
      EXPECT_EQ(system.singular_flag, 1) << "K(" << i << ", " << j << ")";
    }
  }
}

}  // namespace
}  // namespace lajefem
