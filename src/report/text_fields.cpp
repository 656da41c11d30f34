#include "report/text_fields.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace lajefem {

namespace {

std::string asterisks(int width) {
  return std::string(static_cast<std::size_t>(width), '*');
}

// Right-aligns text in width columns, or fills the field with asterisks when it does not fit.
std::string right_aligned(const std::string& text, int width) {
  if (static_cast<int>(text.size()) > width) {
    return asterisks(width);
  }
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

// Negative zero prints like zero.
double without_negative_zero(double value) {
  return value == 0.0 ? 0.0 : value;
}

// The magnitude rounded to `digits` significant digits: its digit string (no point) and the
// power of ten of its first digit. 1234567.0, 4 -> ("1235", 6).
struct SignificantDigits {
  std::string digits;
  int exponent = 0;
};

SignificantDigits round_to_significant(double magnitude, int digits) {
  char text[64];
  const char* end =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, digits - 1)
          .ptr;
  SignificantDigits result;
  const char* p = text;
  for (; *p != 'e'; ++p) {
    if (*p != '.') {
      result.digits += *p;
    }
  }
  std::from_chars(p + (p[1] == '+' ? 2 : 1), end, result.exponent);
  return result;
}

// "E+07" for two-digit exponents, "+100" for three: the letter gives way to the third digit.
std::string exponent_part(int exponent) {
  const char sign = exponent < 0 ? '-' : '+';
  const int size = std::abs(exponent);
  char text[16];
  if (size <= 99) {
    std::snprintf(text, sizeof text, "E%c%02d", sign, size);
  } else {
    std::snprintf(text, sizeof text, "%c%03d", sign, size);
  }
  return text;
}

// Exponent form with `before` digits (0 or 1) ahead of the point and `after` behind it:
// 0.dddd E+xx (before = 0) or d.dddd E+xx (before = 1, the scale factor 1P).
std::string exponent_form(double value, int width, int before, int after) {
  if (!std::isfinite(value)) {
    return asterisks(width);
  }
  value = without_negative_zero(value);
  std::string sign = std::signbit(value) ? "-" : "";
  if (value == 0.0) {
    return right_aligned(
        sign + "0." + std::string(static_cast<std::size_t>(after), '0') + exponent_part(0), width);
  }
  const SignificantDigits rounded = round_to_significant(std::fabs(value), before + after);
  const std::string mantissa = before == 0
                                   ? "0." + rounded.digits
                                   : rounded.digits.substr(0, 1) + "." + rounded.digits.substr(1);
  const int exponent = before == 0 ? rounded.exponent + 1 : rounded.exponent;
  return right_aligned(sign + mantissa + exponent_part(exponent), width);
}

// G(w.d) with the exponent form chosen by the caller (plain or under 1P).
std::string general_form(double value, int width, int digits, int exponent_digits_before) {
  if (!std::isfinite(value)) {
    return asterisks(width);
  }
  value = without_negative_zero(value);
  const std::string trailing(4, ' ');
  if (value == 0.0) {
    return format_fixed(0.0, width - 4, digits - 1) + trailing;
  }
  const SignificantDigits rounded = round_to_significant(std::fabs(value), digits);
  if (rounded.exponent >= -1 && rounded.exponent <= digits - 1) {
    const int before_point = rounded.exponent + 1;  // 0 below 1
    const std::string fixed = format_fixed(value, width - 4, digits - before_point);
    return fixed.find('*') == std::string::npos ? fixed + trailing : asterisks(width);
  }
  return exponent_form(value, width, exponent_digits_before, digits);
}

}  // namespace

std::string format_integer(long long value, int width) {
  return right_aligned(std::to_string(value), width);
}

std::string format_fixed(double value, int width, int decimals) {
  if (!std::isfinite(value)) {
    return asterisks(width);
  }
  if (value == 0.0) {
    // The most common value of the element tables: no digit conversion needed.
    std::string zero =
        decimals == 0 ? "0." : "0." + std::string(static_cast<std::size_t>(decimals), '0');
    if (static_cast<int>(zero.size()) > width) {
      zero.erase(0, 1);
    }
    return right_aligned(zero, width);
  }
  char text[512];
  const std::to_chars_result written = std::to_chars(
      text, text + sizeof text, without_negative_zero(value), std::chars_format::fixed, decimals);
  if (written.ec != std::errc()) {
    return asterisks(width);
  }
  std::string field(text, written.ptr);
  if (decimals == 0) {
    field += '.';
  }
  if (static_cast<int>(field.size()) > width) {
    // The zero before the point is optional when the field has no room for it.
    const std::size_t zero = field[0] == '-' ? 1 : 0;
    if (field.compare(zero, 2, "0.") == 0) {
      field.erase(zero, 1);
    }
  }
  return right_aligned(field, width);
}

std::string format_general(double value, int width, int digits) {
  return general_form(value, width, digits, 0);
}

std::string format_general_1p(double value, int width, int digits) {
  return general_form(value, width, digits, 1);
}

std::string format_exponent(double value, int width, int digits) {
  return exponent_form(value, width, 0, digits);
}

std::string to_latin1(std::string_view utf8) {
  std::string bytes;
  bytes.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      bytes += static_cast<char>(lead);
    } else if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
      const unsigned char next = static_cast<unsigned char>(utf8[++i]);
      bytes += static_cast<char>(((lead & 0x1F) << 6) | (next & 0x3F));
    } else {
      bytes += '?';
    }
  }
  return bytes;
}

}  // namespace lajefem
