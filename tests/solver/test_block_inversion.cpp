#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "solver/banded_solver.hpp"
#include "solver/block_inversion.hpp"

namespace lajefem {
namespace {

struct Inversion {
  std::unique_ptr<BlockMatrix> block = std::make_unique<BlockMatrix>();
  std::unique_ptr<BlockMatrix> inverse = std::make_unique<BlockMatrix>();
  int singular_flag = 0;
  std::ostringstream console;

  // rows: the matrix row by row.
  explicit Inversion(const std::vector<std::vector<double>>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      for (std::size_t k = 0; k < rows.size(); ++k) {
        (*block)(static_cast<int>(i) + 1, static_cast<int>(k) + 1) = rows[i][k];
      }
    }
  }
  // As the solver uses an inversion: a failure raises the flag and shows its pivot line.
  void run(int n) {
    const BlockInversion outcome = invert_block(max_band, *block, *inverse, n);
    if (!outcome.inverted) {
      singular_flag = 1;
      write_pivot_failure_line(console, outcome.largest_candidate);
    }
  }
};

const std::string pivot_line_prefix = "\n          NAO HA PIVOT SUPERIOR A";

TEST(InvertBlock, OrderOneIsAPlainReciprocalWithoutPivotTest) {
  for (const double value : {4.0, -3.0, 1.0e-5, -static_cast<double>(pivot_tolerance), 1.0e-30}) {
    Inversion inversion(std::vector<std::vector<double>>{{value}});
    inversion.run(1);
    EXPECT_EQ((*inversion.inverse)(1, 1), 1.0 / value) << value;
    EXPECT_EQ(inversion.singular_flag, 0) << value;
    EXPECT_EQ(inversion.console.str(), "") << value;
  }
}

TEST(InvertBlock, ToleranceIsTheWidenedSinglePrecisionValue) {
  EXPECT_EQ(pivot_tolerance, 9.999999747378752e-05);
}

// A pivot equal to the tolerance needs a rescue; a helper row equal to it cannot give one.
TEST(InvertBlock, PivotAndHelperAtTheToleranceBoundary) {
  const double tol = pivot_tolerance;
  const double above = std::nextafter(tol, 1.0);
  struct Row {
    double pivot, below;
    bool fails;
    std::string printed;
  };
  const std::vector<Row> rows = {
      {tol, tol, true, " 0.999999975E-04"},
      {-tol, -tol, true, " 0.999999975E-04"},
      {tol, 5.0e-5, true, " 0.500000000E-04"},
      {0.0, 0.0, true, " 0.000000000E+00"},
      {tol, above, false, ""},
      {above, 0.0, false, ""},
      {-above, tol, false, ""},
  };
  for (const Row& row : rows) {
    Inversion inversion({{row.pivot, 1.0}, {row.below, 2.0}});
    inversion.run(2);
    EXPECT_EQ(inversion.singular_flag, row.fails ? 1 : 0) << row.pivot << " " << row.below;
    EXPECT_EQ(inversion.console.str(), row.fails ? pivot_line_prefix + row.printed + "\n" : "")
        << row.pivot << " " << row.below;
  }
}

// Largest deviation of matrix · inverse from the identity.
double identity_error(const std::vector<std::vector<double>>& rows, const BlockMatrix& inverse) {
  const int n = static_cast<int>(rows.size());
  double worst = 0.0;
  for (int i = 1; i <= n; ++i) {
    for (int k = 1; k <= n; ++k) {
      double product = 0.0;
      for (int j = 1; j <= n; ++j) {
        product += rows[i - 1][j - 1] * inverse(j, k);
      }
      worst = std::max(worst, std::fabs(product - (i == k ? 1.0 : 0.0)));
    }
  }
  return worst;
}

// The reduced first pivot shows which rows were added to it.
TEST(InvertBlock, SmallPivotIsRescuedFromTheRowsBelow) {
  struct Row {
    std::vector<std::vector<double>> matrix;
    double reduced_pivot, pivot_margin, identity_tolerance;
    const char* what;
  };
  const std::vector<Row> rows = {
      {{{0.0, 1.0}, {1.0, 0.0}}, 1.0, 0.0, 0.0, "zero pivot, exact inverse"},
      {{{0.0, 2.0, 3.0}, {1.0, 1.0, 0.0}, {-1.0, 0.0, 1.0}},
       1.0,
       0.0,
       1e-12,
       "equal helpers of opposite sign: the first one is added"},
      {{{-9.0e-5, 0.0, 0.0}, {0.0, 1.0, 0.0}, {1.8e-4, 0.0, 1.0}},
       2.7e-4,
       1e-15,
       1e-9,
       "-9e-5 + 1.8e-4 still too small: added again before the next row"},
  };
  for (const Row& row : rows) {
    Inversion inversion(row.matrix);
    inversion.run(static_cast<int>(row.matrix.size()));
    EXPECT_NEAR((*inversion.block)(1, 1), row.reduced_pivot, row.pivot_margin) << row.what;
    EXPECT_LE(identity_error(row.matrix, *inversion.inverse), row.identity_tolerance) << row.what;
    EXPECT_EQ(inversion.singular_flag, 0) << row.what;
    EXPECT_EQ(inversion.console.str(), "") << row.what;
  }
}

// Rows (1 1) and (1 1): the second pivot becomes 0 with no row below it. X is left undivided.
TEST(InvertBlock, LastPivotFailsWithZeroPrinted) {
  Inversion inversion({{1.0, 1.0}, {1.0, 1.0}});
  inversion.run(2);
  EXPECT_EQ(inversion.singular_flag, 1);
  EXPECT_EQ(inversion.console.str(), pivot_line_prefix + " 0.000000000E+00\n");
  EXPECT_EQ((*inversion.inverse)(1, 1), 1.0);
  EXPECT_EQ((*inversion.inverse)(2, 1), -1.0);
  EXPECT_EQ((*inversion.inverse)(2, 2), 1.0);
}

TEST(InvertBlock, RaisedFlagStaysRaisedAfterSuccess) {
  Inversion inversion({{2.0, 0.0}, {0.0, 4.0}});
  inversion.singular_flag = 1;
  inversion.run(2);
  EXPECT_EQ(inversion.singular_flag, 1);
  EXPECT_EQ((*inversion.inverse)(1, 1), 0.5);
  EXPECT_EQ((*inversion.inverse)(2, 2), 0.25);
  EXPECT_EQ(inversion.console.str(), "");
}

}  // namespace
}  // namespace lajefem
