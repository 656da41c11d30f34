#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "text/decimal_rounding.hpp"

namespace lajefem {
namespace {

// What the standard library's exact conversion gives: the digits without the point, and the
// exponent.
std::string expected_significant(double magnitude, int count) {
  char text[64];
  const char* end =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, count - 1)
          .ptr;
  std::string digits;
  const char* p = text;
  for (; *p != 'e'; ++p) {
    if (*p != '.') {
      digits += *p;
    }
  }
  return digits + " e" + std::to_string(std::stoi(std::string(p + 1, end)));
}

std::string significant(double magnitude, int count) {
  const SignificantDigits rounded = round_to_significant(magnitude, count);
  return std::string(rounded.digits, static_cast<std::size_t>(rounded.count)) + " e" +
         std::to_string(rounded.exponent);
}

std::string expected_fixed(double magnitude, int decimals) {
  char text[400];
  return std::string(
      text,
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::fixed, decimals).ptr);
}

std::string fixed(double magnitude, int decimals) {
  char text[400];
  char* end = write_fixed_digits(magnitude, decimals, text, text + sizeof text);
  return end == nullptr ? "(no room)" : std::string(text, end);
}

TEST(DecimalRounding, TiesGoToEvenOnTheExactBinaryValue) {
  EXPECT_EQ(significant(0.125, 2), "12 e-1");  // an exact tie, to even
  EXPECT_EQ(significant(0.375, 2), "38 e-1");
  EXPECT_EQ(significant(2.5, 1), "2 e0");
  EXPECT_EQ(significant(1234.5, 4), "1234 e3");
  EXPECT_EQ(significant(1235.5, 4), "1236 e3");
  EXPECT_EQ(significant(0.15, 1), "1 e-1");      // 0.1499999999999999944…
  EXPECT_EQ(significant(9999.6, 4), "1000 e4");  // carried into the next power
  EXPECT_EQ(significant(999.6, 4), "9996 e2");
  EXPECT_EQ(fixed(0.125, 2), "0.12");
  EXPECT_EQ(fixed(2.675, 2), "2.67");  // 2.67499999999999982236431605997495353221893310546875
  EXPECT_EQ(fixed(1.0000005, 6), "1.000001");
  EXPECT_EQ(fixed(0.00004, 4), "0.0000");
  EXPECT_EQ(fixed(0.00005, 4), "0.0001");  // 5.00000000000000023960868011929e-05
  EXPECT_EQ(fixed(123.0, 0), "123");
  EXPECT_EQ(fixed(1.5, 0), "2");
  EXPECT_EQ(fixed(2.5, 0), "2");
  // Just below a half-way point, where adding one half reaches the next power of two.
  EXPECT_EQ(fixed(0.49999999999999994, 0), "0");
  EXPECT_EQ(fixed(1.4999999999999998, 0), "1");
  EXPECT_EQ(fixed(7.4999999999999991, 0), "7");
  EXPECT_EQ(significant(3.4999999999999996, 1), "3 e0");
}

// Values chosen where a rounding decision is close: decimal half-way points and their
// neighbours a few units of the last place away, binary fractions (many of them exact ties),
// and magnitudes from the subnormal range to the largest double, where the exact conversion
// takes over. Every one must give the standard library's digits.
std::vector<double> close_decisions() {
  std::mt19937_64 generator(20261208);
  std::vector<double> values;
  for (int i = 0; i < 20000; ++i) {
    const int count = 1 + static_cast<int>(generator() % 15);
    const int exponent = static_cast<int>(generator() % 60) - 30;
    const std::uint64_t digits = generator() % 1000000000000000ULL;
    const std::string halfway = std::to_string(digits).substr(0, static_cast<std::size_t>(count)) +
                                "5e" + std::to_string(exponent);
    double value = std::stod(halfway);
    for (int step = 0; step < 3; ++step) {
      values.push_back(value);
      value = std::nextafter(value, 0.0);
    }
    values.push_back(std::ldexp(static_cast<double>(generator() % 100000001),
                                -static_cast<int>(generator() % 40)));
    values.push_back(std::ldexp(1.0 + static_cast<double>(generator() % 4096) / 4096.0,
                                static_cast<int>(generator() % 2000) - 1000));
  }
  values.push_back(5e-324);
  values.push_back(1.7976931348623157e308);
  return values;
}

TEST(DecimalRounding, AgreesWithTheExactConversion) {
  for (double value : close_decisions()) {
    if (!(value > 0.0)) {
      continue;
    }
    for (int count : {1, 3, 4, 5, 7, 8, 9, 10, 15, 17}) {
      ASSERT_EQ(significant(value, count), expected_significant(value, count))
          << value << " to " << count << " digits";
    }
    if (value < 1e30) {
      for (int decimals : {0, 2, 3, 4, 6, 9, 15, 20}) {
        ASSERT_EQ(fixed(value, decimals), expected_fixed(value, decimals))
            << value << " to " << decimals << " decimals";
      }
    }
  }
}

TEST(DecimalRounding, FixedLayoutThatDoesNotFitIsRefused) {
  char text[4];
  EXPECT_EQ(write_fixed_digits(12.5, 2, text, text + sizeof text), nullptr);
  EXPECT_NE(write_fixed_digits(2.5, 2, text, text + sizeof text), nullptr);
  EXPECT_EQ(write_fixed_digits(1e300, 2, text, text + sizeof text), nullptr);
}

}  // namespace
}  // namespace lajefem
