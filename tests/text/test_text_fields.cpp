#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "text/text_fields.hpp"

namespace lajefem {
namespace {

struct Row {
  double value;
  int width;
  int digits;
  const char* expected;
};

TEST(TextFields, IntegerRightAlignedOrAsterisks) {
  EXPECT_EQ(format_integer(7, 5), "    7");
  EXPECT_EQ(format_integer(-12, 4), " -12");
  EXPECT_EQ(format_integer(2026, 4), "2026");
  EXPECT_EQ(format_integer(12345, 4), "****");
  EXPECT_EQ(format_integer(-100, 3), "***");
}

TEST(TextFields, FixedNotation) {
  const Row rows[] = {
      {30.0, 9, 3, "   30.000"},
      {0.2f, 9, 3, "    0.200"},
      {2.5, 8, 2, "    2.50"},
      {-1.2345000267, 16, 5, "        -1.23450"},
      {-0.0000001, 16, 5, "        -0.00000"},  // a negative value rounding to zero keeps its sign
      {-0.0, 8, 3, "   0.000"},                 // negative zero does not
      {0.125, 6, 2, "  0.12"},                  // exact tie, to even
      {0.375, 6, 2, "  0.38"},
      {0.5, 4, 3, ".500"},  // no room for the zero before the point
      {-0.5, 5, 3, "-.500"},
      {10000000.0, 12, 4, "************"},
      {123.0, 4, 0, "123."},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(format_fixed(row.value, row.width, row.digits), row.expected) << row.value;
  }
}

TEST(TextFields, GeneralNotationBoundaries) {
  const Row rows[] = {
      {10.0, 12, 4, "   10.00    "},
      {1234567.0, 12, 4, "  0.1235E+07"},
      {0.05, 12, 4, "  0.5000E-01"},
      {-12.5, 12, 4, "  -12.50    "},
      {2.0, 12, 4, "   2.000    "},
      {0.0, 12, 4, "   0.000    "},
      {-0.0, 12, 4, "   0.000    "},
      {0.0, 10, 3, "  0.00    "},
      {0.0, 15, 7, "   0.000000    "},
      {0.1, 12, 4, "  0.1000    "},
      {0.09999, 12, 4, "  0.9999E-01"},
      {0.099996, 12, 4, "  0.1000    "},  // rounds up to 0.1: fixed notation
      {9999.4, 12, 4, "   9999.    "},
      {9999.6, 12, 4, "  0.1000E+05"},  // rounds up to 10^4: exponent notation
      {0.008412358, 15, 7, "  0.8412358E-02"},
      {-4.312549e-12, 15, 7, " -0.4312549E-11"},
      {1.0e-120, 12, 4, "  0.1000-119"},  // three exponent digits drop the letter
      {1.0e120, 12, 4, "  0.1000+121"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(format_general(row.value, row.width, row.digits), row.expected) << row.value;
  }
}

TEST(TextFields, GeneralNotationUnderScaleFactor) {
  const Row rows[] = {
      {1234567.0, 12, 4, "  1.2346E+06"}, {1000000.0, 12, 4, "  1.0000E+06"},
      {10.0, 12, 4, "   10.00    "},      {2500.0, 10, 3, " 2.500E+03"},
      {-0.0125, 10, 3, "-1.250E-02"},     {5.0, 10, 3, "  5.00    "},
      {123.4, 10, 3, "  123.    "},       {-1733.0, 10, 3, "-1.733E+03"},
      {92.9, 10, 3, "  92.9    "},        {0.0, 10, 3, "  0.00    "},
      {999.6, 10, 3, " 9.996E+02"},  // 1000 after rounding to three digits: exponent form
  };
  for (const Row& row : rows) {
    EXPECT_EQ(format_general_1p(row.value, row.width, row.digits), row.expected) << row.value;
  }
}

TEST(TextFields, ExponentForm) {
  EXPECT_EQ(format_exponent(5.0e-5, 16, 9), " 0.500000000E-04");
  EXPECT_EQ(format_exponent(0.0, 16, 9), " 0.000000000E+00");
  EXPECT_EQ(format_exponent(-0.0, 16, 9), " 0.000000000E+00");
  EXPECT_EQ(format_exponent(static_cast<double>(1.0e-4f), 16, 9), " 0.999999975E-04");
}

TEST(TextFields, FreeFormatItemsOfALogLine) {
  const struct {
    double value;
    const char* expected;
  } rows[] = {
      {781250.0291038303, "7.8125002910383034E+05"},
      {-1.5627930269973148e6, "-1.5627930269973148E+06"},
      {0.1, "1.0000000000000001E-01"},  // every digit of the binary value up to the 17th
      {1.0e-100, "1.0000000000000000E-100"},
      {0.0, "0.0000000000000000E+00"},
      {1.0e23, "9.9999999999999992E+22"},  // the double nearest to 10^23
  };
  for (const auto& row : rows) {
    std::string line;
    append_free_real(line, row.value);
    EXPECT_EQ(line, row.expected) << row.value;
  }
  std::string line;
  append_free_integer(line, 12);
  line += ' ';
  append_free_integer(line, -3);
  EXPECT_EQ(line, "12 -3");
}

TEST(TextFields, NonFiniteValuesFillTheField) {
  const double infinity = std::numeric_limits<double>::infinity();
  const double not_a_number = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(format_fixed(infinity, 8, 3), "********");
  EXPECT_EQ(format_general(-infinity, 12, 4), "************");
  EXPECT_EQ(format_general_1p(not_a_number, 10, 3), "**********");
  EXPECT_EQ(format_exponent(not_a_number, 16, 9), "****************");
}

}  // namespace
}  // namespace lajefem
