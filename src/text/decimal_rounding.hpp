// Rounding a double to decimal digits, to nearest on the exact binary value with ties to even:
// the digits behind every F, G and E field and the free-format reals of the log. A magnitude
// below 2^53 that needs a scale of at most 10^±19 is rounded in exact integer arithmetic on its
// binary mantissa; any other goes through the standard library's exact conversion. Both give the
// same digits.
#pragma once

#include <cstddef>

namespace lajefem {

// A positive magnitude rounded to `count` significant digits (1..17): the digits, no point, and
// the power of ten of the first one. 1234567.0, 4 -> ("1235", 6); 9999.6, 4 -> ("1000", 4).
struct SignificantDigits {
  char digits[24];
  int count = 0;
  int exponent = 0;
};

SignificantDigits round_to_significant(double magnitude, int count);

// A finite magnitude rounded to `decimals` decimals, in fixed layout without a sign, written from
// first: 2.5, 2 -> "2.50"; 0.125, 2 -> "0.12"; 123.0, 0 -> "123" (no point). Returns the end of
// the text, or nullptr when it would pass last.
char* write_fixed_digits(double magnitude, int decimals, char* first, char* last);

}  // namespace lajefem
