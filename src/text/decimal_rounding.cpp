#include "text/decimal_rounding.hpp"

#include <array>
#include <bit>
#include <cassert>
#include <charconv>
#include <cstdint>

namespace lajefem {

namespace {

__extension__ typedef unsigned __int128 Wide;  // GCC and Clang both have it

// 10^0 .. 10^19, every power of ten that a 64-bit integer holds.
constexpr int largest_power = 19;
constexpr std::array<std::uint64_t, largest_power + 1> powers_of_ten = [] {
  std::array<std::uint64_t, largest_power + 1> powers{};
  powers[0] = 1;
  for (int i = 1; i <= largest_power; ++i) {
    powers[i] = powers[i - 1] * 10;
  }
  return powers;
}();

// A positive double as mantissa · 2^exponent, the mantissa a 53-bit integer.
struct BinaryValue {
  std::uint64_t mantissa;
  int exponent;
};

BinaryValue decompose(double magnitude) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(magnitude);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t fraction = bits & ((1ULL << 52) - 1);
  if (biased == 0) {
    return {fraction, -1074};  // subnormal
  }
  return {fraction | (1ULL << 52), biased - 1075};
}

// magnitude · 10^scale as its whole part and whether rounding to an integer (ties to even) goes
// up, in exact integer arithmetic.
struct ScaledValue {
  std::uint64_t whole;
  bool rounds_up;
};

// For magnitude = m · 2^−k: ⌊m · 10^s / 2^k⌋ and the remainder against half of 2^k.
bool scale_up(const BinaryValue& value, int scale, ScaledValue& scaled) {
  const int shift = -value.exponent;
  const Wide product = static_cast<Wide>(value.mantissa) * powers_of_ten[scale];
  if (shift >= 128) {
    scaled = {0, false};  // product < 2^117: below one half
    return true;
  }
  const Wide whole = product >> shift;
  if ((whole >> 64) != 0) {
    return false;
  }
  scaled.whole = static_cast<std::uint64_t>(whole);
  if (shift == 0) {
    scaled.rounds_up = false;
    return true;
  }
  const Wide remainder = product & ((static_cast<Wide>(1) << shift) - 1);
  const Wide half = static_cast<Wide>(1) << (shift - 1);
  scaled.rounds_up = remainder > half || (remainder == half && (scaled.whole & 1) != 0);
  return true;
}

// For magnitude = m · 2^−k: ⌊⌊m / 2^k⌋ / 10^t⌋, with the two remainders deciding the rounding.
// 10^t is even, so a decimal remainder below its half leaves the value below the half-way point
// whatever the binary remainder, and one above it leaves the value above.
ScaledValue scale_down(const BinaryValue& value, int power) {
  const int shift = -value.exponent;
  const std::uint64_t divisor = powers_of_ten[power];
  const std::uint64_t binary_whole = shift >= 64 ? 0 : value.mantissa >> shift;
  const bool binary_rest =
      shift >= 64 ? value.mantissa != 0 : (value.mantissa & ((1ULL << shift) - 1)) != 0;
  ScaledValue scaled{binary_whole / divisor, false};
  const std::uint64_t decimal_rest = binary_whole % divisor;
  const std::uint64_t half = divisor / 2;
  scaled.rounds_up =
      decimal_rest > half || (decimal_rest == half && (binary_rest || (scaled.whole & 1) != 0));
  return scaled;
}

// Magnitudes of 2^53 and above, or scales beyond 10^±19, are left to the library conversion.
bool scale_exactly(double magnitude, int scale, ScaledValue& scaled) {
  const BinaryValue value = decompose(magnitude);
  if (value.exponent > 0 || scale > largest_power || scale < -largest_power) {
    return false;
  }
  if (scale < 0) {
    scaled = scale_down(value, -scale);
    return true;
  }
  return scale_up(value, scale, scaled);
}

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

// floor(log10(magnitude)) within one, from the binary exponent of the magnitude.
int estimate_decimal_exponent(double magnitude) {
  const int binary_exponent =
      static_cast<int>((std::bit_cast<std::uint64_t>(magnitude) >> 52) & 0x7FF) - 1023;
  return (binary_exponent * 1262611) >> 22;  // 1262611 / 2^22 ≈ log10(2)
}

// The whole part of magnitude · 10^(count − 1 − exponent) has count digits exactly when exponent
// is floor(log10(magnitude)); a first guess off by one is corrected.
bool round_exactly(double magnitude, int count, SignificantDigits& result) {
  const std::uint64_t lowest = powers_of_ten[count - 1];
  const std::uint64_t beyond = powers_of_ten[count];
  int exponent = estimate_decimal_exponent(magnitude);
  for (int attempt = 0; attempt < 3; ++attempt) {
    ScaledValue scaled{};
    if (!scale_exactly(magnitude, count - 1 - exponent, scaled)) {
      return false;
    }
    if (scaled.whole < lowest) {
      --exponent;
      continue;
    }
    if (scaled.whole >= beyond) {
      ++exponent;
      continue;
    }
    std::uint64_t digits = scaled.whole + (scaled.rounds_up ? 1 : 0);
    if (digits == beyond) {  // 9.9996 to four digits: 10.00
      digits = lowest;
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

// The fixed layout from the value rounded to its last decimal, in units of 10^−decimals.
char* write_fixed_units(std::uint64_t units, int decimals, char* first, char* last) {
  const std::uint64_t unit = powers_of_ten[decimals];
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
  ScaledValue scaled{};
  if (magnitude > 0.0 && decimals <= largest_power && scale_exactly(magnitude, decimals, scaled) &&
      scaled.whole < ~0ULL) {
    return write_fixed_units(scaled.whole + (scaled.rounds_up ? 1 : 0), decimals, first, last);
  }
  const std::to_chars_result written =
      std::to_chars(first, last, magnitude, std::chars_format::fixed, decimals);
  return written.ec == std::errc() ? written.ptr : nullptr;
}

}  // namespace lajefem
