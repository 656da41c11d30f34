#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

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
  void run(int n) { invert_block(max_band, *block, *inverse, n, singular_flag, console); }
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

TEST(InvertBlock, ZeroPivotIsRescuedByTheRowBelow) {
  Inversion inversion({{0.0, 1.0}, {1.0, 0.0}});
  inversion.run(2);
  EXPECT_EQ((*inversion.inverse)(1, 1), 0.0);
  EXPECT_EQ((*inversion.inverse)(1, 2), 1.0);
  EXPECT_EQ((*inversion.inverse)(2, 1), 1.0);
  EXPECT_EQ((*inversion.inverse)(2, 2), 0.0);
  EXPECT_EQ(inversion.singular_flag, 0);
  EXPECT_EQ(inversion.console.str(), "");
}

// Rows 2 and 3 offer helpers of equal magnitude and opposite sign: the reduced pivot shows which
// one was added.
TEST(InvertBlock, FirstOfEqualLargestHelpersIsAdded) {
  Inversion inversion({{0.0, 2.0, 3.0}, {1.0, 1.0, 0.0}, {-1.0, 0.0, 1.0}});
  inversion.run(3);
  EXPECT_EQ((*inversion.block)(1, 1), 1.0);
  EXPECT_EQ(inversion.singular_flag, 0);
}

// After one rescue the pivot -9e-5 + 1.8e-4 is still too small; the test before the next row
// adds the helper again.
TEST(InvertBlock, RescueIsRepeatedWhileThePivotStaysTooSmall) {
  const std::vector<std::vector<double>> rows = {
      {-9.0e-5, 0.0, 0.0}, {0.0, 1.0, 0.0}, {1.8e-4, 0.0, 1.0}};
  Inversion inversion(rows);
  inversion.run(3);
  EXPECT_NEAR((*inversion.block)(1, 1), 2.7e-4, 1e-15);
  for (int i = 1; i <= 3; ++i) {
    for (int k = 1; k <= 3; ++k) {
      double product = 0.0;
      for (int j = 1; j <= 3; ++j) {
        product += rows[i - 1][j - 1] * (*inversion.inverse)(j, k);
      }
      EXPECT_NEAR(product, i == k ? 1.0 : 0.0, 1e-9) << i << " " << k;
    }
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

// Unsymmetric matrices up to the largest block order, with a few zero pivots to rescue.
TEST(InvertBlock, InverseTimesMatrixIsIdentity) {
  std::mt19937 generator(7);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  for (const int n : {2, 3, 17, 119}) {
    std::vector<std::vector<double>> rows(n, std::vector<double>(n));
    for (int i = 0; i < n; ++i) {
      for (int k = 0; k < n; ++k) {
        rows[i][k] = entry(generator) + (i == k ? (i % 5 == 0 ? 0.0 : n) : 0.0);
      }
      if (i % 5 == 0) {
        rows[i][i] = 0.0;
      }
    }
    Inversion inversion(rows);
    inversion.run(n);
    ASSERT_EQ(inversion.singular_flag, 0) << n;
    double worst = 0.0;
    for (int i = 1; i <= n; ++i) {
      for (int k = 1; k <= n; ++k) {
        double product = 0.0;
        for (int j = 1; j <= n; ++j) {
          product += rows[i - 1][j - 1] * (*inversion.inverse)(j, k);
        }
        worst = std::max(worst, std::fabs(product - (i == k ? 1.0 : 0.0)));
      }
    }
    EXPECT_LT(worst, 1e-10) << n;
  }
}

}  // namespace
}  // namespace lajefem
