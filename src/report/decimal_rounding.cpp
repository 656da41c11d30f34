#include "report/decimal_rounding.hpp"

#include <bit>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace lajefem {

namespace {

// 10^0 .. 10^22, every one exactly a double.
constexpr double powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int largest_exact_power = 22;
constexpr int largest_fixed_decimals = 15;  // the last unit, 10^decimals, as a 64-bit integer

// Below this the last unit and its halves are exact doubles: n ± 0.5 can be formed without
// rounding.
constexpr double largest_scaled = 2251799813685248.0;  // 2^51

// Magnitudes beyond these are left to the standard conversion: Dekker's splitting must not
// overflow and its low parts must not fall into the subnormal range.
constexpr double smallest_magnitude = 1e-280;
constexpr double largest_magnitude = 1e280;

struct ExactProduct {
  double high;
  double low;  // a · b = high + low exactly
};

// Dekker's product: exact in binary64 with round to nearest and no fused operations.
ExactProduct multiply_exactly(double a, double b) {
  constexpr double splitter = 134217729.0;  // 2^27 + 1
  const double product = a * b;
  const double a_scaled = splitter * a;
  const double a_high = a_scaled - (a_scaled - a);
  const double a_low = a - a_high;
  const double b_scaled = splitter * b;
  const double b_high = b_scaled - (b_scaled - b);
  const double b_low = b - b_high;
  const double low =
      ((a_high * b_high - product) + a_high * b_low + a_low * b_high) + a_low * b_low;
  return {product, low};
}

int sign_of(double value) {
  return (value > 0.0) - (value < 0.0);
}

// The sign of (high + low) − t for an exact sum high + low and t > 0. When t is within a factor
// two of high, high − t is exact (Sterbenz) and adding low keeps the sign of the exact result;
// otherwise high alone decides, low being far below half a unit of high.
int compare_exact_sum(double high, double low, double t) {
  if (high > 2.0 * t) {
    return 1;
  }
  if (high < 0.5 * t) {
    return -1;
  }
  return sign_of((high - t) + low);
}

bool is_odd(double integer) {
  return (static_cast<std::uint64_t>(integer) & 1) != 0;
}

// magnitude · 10^scale: a product by an exact power of ten, or a quotient by one. Its rounded
// value comes from one correctly rounded operation, so it lies on the same side of any double as
// the exact value, or on that double: only then is the exact value needed.
class ScaledMagnitude {
 public:
  ScaledMagnitude(double magnitude, int scale)
      : magnitude_(magnitude),
        power_(powers_of_ten[scale < 0 ? -scale : scale]),
        divides_(scale < 0),
        approximate_(divides_ ? magnitude / power_ : magnitude * power_) {}

  double approximate() const { return approximate_; }

  // The sign of (magnitude · 10^scale) − t, for t > 0 exactly a double.
  int compare(double t) const {
    if (approximate_ != t) {
      return approximate_ > t ? 1 : -1;
    }
    if (!divides_) {
      const ExactProduct product = multiply_exactly(magnitude_, power_);
      return compare_exact_sum(product.high, product.low, t);
    }
    const ExactProduct boundary = multiply_exactly(t, power_);  // t · 10^−scale
    return -compare_exact_sum(boundary.high, boundary.low, magnitude_);
  }

  // Rounded to an integer, ties to even. Only an approximation that is itself a half-way point
  // leaves the choice open.
  std::uint64_t rounded() const {
    const double whole = static_cast<double>(static_cast<std::uint64_t>(approximate_));
    const double fraction = approximate_ - whole;  // exact, in [0, 1)
    const bool up = fraction > 0.5 || (fraction == 0.5 && rounds_up_from_halfway(whole));
    return static_cast<std::uint64_t>(whole) + (up ? 1 : 0);
  }

 private:
  double magnitude_;
  double power_;  // 10^|scale|
  bool divides_;  // scale < 0
  double approximate_;

  // The approximation is whole + 0.5: the exact value above it rounds up, on it to even.
  bool rounds_up_from_halfway(double whole) const {
    const int side = compare(approximate_);
    return side > 0 || (side == 0 && is_odd(whole));
  }
};

// value's `count` decimal digits, leading zeros included, written from first.
void write_digits(std::uint64_t value, int count, char* first) {
  for (int i = count - 1; i >= 0; --i) {
    first[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

int digit_count(std::uint64_t value) {
  int count = 1;
  while (value >= 10) {
    value /= 10;
    ++count;
  }
  return count;
}

// floor(log10(magnitude)) within one, from the binary exponent of a normal magnitude.
int estimate_decimal_exponent(double magnitude) {
  const int binary_exponent =
      static_cast<int>((std::bit_cast<std::uint64_t>(magnitude) >> 52) & 0x7FF) - 1023;
  return (binary_exponent * 1262611) >> 22;  // 1262611 / 2^22 ≈ log10(2)
}

bool round_exactly(double magnitude, int count, SignificantDigits& result) {
  if (!(magnitude >= smallest_magnitude && magnitude <= largest_magnitude) || count > 15) {
    return false;
  }
  const double lowest = powers_of_ten[count - 1];
  const double beyond = powers_of_ten[count];
  int exponent = estimate_decimal_exponent(magnitude);
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int scale = count - 1 - exponent;
    if (scale < -largest_exact_power || scale > largest_exact_power) {
      return false;
    }
    const ScaledMagnitude scaled(magnitude, scale);
    if (scaled.compare(lowest) < 0) {
      --exponent;
      continue;
    }
    if (scaled.compare(beyond) >= 0) {
      ++exponent;
      continue;
    }
    std::uint64_t digits = scaled.rounded();
    if (digits == static_cast<std::uint64_t>(beyond)) {  // 9.9996 to four digits: 10.00
      digits /= 10;
      ++exponent;
    }
    write_digits(digits, count, result.digits);
    result.count = count;
    result.exponent = exponent;
    return true;
  }
  return false;
}

void round_by_conversion(double magnitude, int count, SignificantDigits& result) {
  char text[64];
  const char* end =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, count - 1)
          .ptr;
  result.count = 0;
  const char* p = text;
  for (; *p != 'e'; ++p) {
    if (*p != '.') {
      result.digits[result.count++] = *p;
    }
  }
  const bool negative = p[1] == '-';
  int exponent = 0;
  for (p += 2; p != end; ++p) {
    exponent = 10 * exponent + (*p - '0');
  }
  result.exponent = negative ? -exponent : exponent;
}

}  // namespace

SignificantDigits round_to_significant(double magnitude, int count) {
  assert(magnitude > 0.0 && count >= 1 && count <= 17);
  SignificantDigits result;
  if (!round_exactly(magnitude, count, result)) {
    round_by_conversion(magnitude, count, result);
  }
  return result;
}

char* write_fixed_digits(double magnitude, int decimals, char* first, char* last) {
  assert(magnitude >= 0.0 && decimals >= 0);
  if (decimals <= largest_fixed_decimals && magnitude >= smallest_magnitude &&
      magnitude <= largest_magnitude) {
    const ScaledMagnitude scaled(magnitude, decimals);
    if (scaled.approximate() < largest_scaled) {
      const std::uint64_t units = scaled.rounded();
      const std::uint64_t unit = static_cast<std::uint64_t>(powers_of_ten[decimals]);
      const std::uint64_t whole = units / unit;
      const int whole_digits = digit_count(whole);
      const std::ptrdiff_t size = whole_digits + (decimals > 0 ? 1 + decimals : 0);
      if (size > last - first) {
        return nullptr;
      }
      write_digits(whole, whole_digits, first);
      if (decimals > 0) {
        first[whole_digits] = '.';
        write_digits(units % unit, decimals, first + whole_digits + 1);
      }
      return first + size;
    }
  }
  const std::to_chars_result written =
      std::to_chars(first, last, magnitude, std::chars_format::fixed, decimals);
  return written.ec == std::errc() ? written.ptr : nullptr;
}

}  // namespace lajefem
