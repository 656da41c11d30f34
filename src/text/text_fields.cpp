#include "text/text_fields.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "text/decimal_rounding.hpp"

namespace lajefem {

namespace {

// A field's characters as they are laid out, before right alignment. Long enough for any fixed
// layout of a double (309 digits before the point and the decimals asked for).
class FieldText {
 public:
  void append(char c) { text_[size_++] = c; }
  void append(const char* text, std::size_t count) {
    std::memcpy(text_ + size_, text, count);
    size_ += count;
  }
  void append_repeated(char c, std::size_t count) {
    std::memset(text_ + size_, c, count);
    size_ += count;
  }
  char* end() { return text_ + size_; }
  void set_end(char* end) { size_ = static_cast<std::size_t>(end - text_); }
  char* capacity_end() { return text_ + sizeof text_; }
  char* begin() { return text_; }
  std::size_t size() const { return size_; }
  void erase_first(std::size_t position) {
    std::memmove(text_ + position, text_ + position + 1, size_ - position - 1);
    --size_;
  }

 private:
  char text_[640];
  std::size_t size_ = 0;
};

void append_asterisks(std::string& out, int width) {
  out.append(static_cast<std::size_t>(width), '*');
}

// Right-aligns text in width columns, or fills the field with asterisks when it does not fit.
void append_right_aligned(std::string& out, const char* text, std::size_t size, int width) {
  const std::size_t columns = static_cast<std::size_t>(width);
  if (size > columns) {
    append_asterisks(out, width);
    return;
  }
  out.append(columns - size, ' ');
  out.append(text, size);
}

void append_right_aligned(std::string& out, FieldText& text, int width) {
  append_right_aligned(out, text.begin(), text.size(), width);
}

// Negative zero prints like zero.
double without_negative_zero(double value) {
  return value == 0.0 ? 0.0 : value;
}

void append_two_digits(FieldText& text, int value) {
  text.append(static_cast<char>('0' + value / 10));
  text.append(static_cast<char>('0' + value % 10));
}

// "E+07" for two-digit exponents, "+100" for three: the letter gives way to the third digit.
void append_exponent_part(FieldText& text, int exponent) {
  const char sign = exponent < 0 ? '-' : '+';
  const int size = std::abs(exponent);
  if (size <= 99) {
    text.append('E');
    text.append(sign);
  } else {
    text.append(sign);
    text.append(static_cast<char>('0' + size / 100));
  }
  append_two_digits(text, size % 100);
}

// The exponent form of a nonzero magnitude from its significant digits, with `before` of them (0
// or 1) ahead of the point: 0.dddd E+xx (before = 0) or d.dddd E+xx (before = 1, the scale
// factor 1P).
void append_exponent_layout(std::string& out, bool negative, const SignificantDigits& rounded,
                            int width, int before) {
  FieldText text;
  if (negative) {
    text.append('-');
  }
  if (before == 0) {
    text.append("0.", 2);
    text.append(rounded.digits, static_cast<std::size_t>(rounded.count));
    append_exponent_part(text, rounded.exponent + 1);
  } else {
    text.append(rounded.digits[0]);
    text.append('.');
    text.append(rounded.digits + 1, static_cast<std::size_t>(rounded.count - 1));
    append_exponent_part(text, rounded.exponent);
  }
  append_right_aligned(out, text, width);
}

// Exponent form with `before` digits (0 or 1) ahead of the point and `after` behind it.
void append_exponent_form(std::string& out, double value, int width, int before, int after) {
  if (!std::isfinite(value)) {
    append_asterisks(out, width);
    return;
  }
  value = without_negative_zero(value);
  if (value == 0.0) {
    FieldText text;
    text.append("0.", 2);
    text.append_repeated('0', static_cast<std::size_t>(after));
    append_exponent_part(text, 0);
    append_right_aligned(out, text, width);
    return;
  }
  append_exponent_layout(out, std::signbit(value),
                         round_to_significant(std::fabs(value), before + after), width, before);
}

// The zero before the point is optional when the field has no room for it.
void drop_leading_zero_if_too_wide(FieldText& text, int width) {
  if (text.size() <= static_cast<std::size_t>(width)) {
    return;
  }
  const std::size_t zero = text.begin()[0] == '-' ? 1 : 0;
  if (text.size() >= zero + 2 && text.begin()[zero] == '0' && text.begin()[zero + 1] == '.') {
    text.erase_first(zero);
  }
}

// The fixed layout of a value whose rounding to `rounded.count` significant digits ends at the
// last decimal: the digits ahead of the point (none below 1), the point and the rest.
void append_fixed_from_digits(FieldText& text, bool negative, const SignificantDigits& rounded) {
  if (negative) {
    text.append('-');
  }
  const int before_point = rounded.exponent + 1;
  if (before_point == 0) {
    text.append('0');
  } else {
    text.append(rounded.digits, static_cast<std::size_t>(before_point));
  }
  text.append('.');
  text.append(rounded.digits + before_point,
              static_cast<std::size_t>(rounded.count - before_point));
}

// G(w.d) with the exponent form chosen by the caller (plain, or d+1 digits under 1P). In the
// fixed range the value rounded to d significant digits is exactly the value rounded to its
// last decimal, so one conversion gives both the choice and the layout.
void append_general_form(std::string& out, double value, int width, int digits,
                         int exponent_digits_before) {
  if (!std::isfinite(value)) {
    append_asterisks(out, width);
    return;
  }
  value = without_negative_zero(value);
  if (value == 0.0) {
    append_fixed(out, 0.0, width - 4, digits - 1);
    out.append(4, ' ');
    return;
  }
  const bool negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  const int exponent_digits = exponent_digits_before + digits;
  SignificantDigits rounded;
  if (exponent_digits != digits) {
    // Rounding to one digit fewer raises the exponent by at most one: far from the fixed range
    // the exponent form's own digits decide.
    rounded = round_to_significant(magnitude, exponent_digits);
    if (rounded.exponent >= digits || rounded.exponent <= -3) {
      append_exponent_layout(out, negative, rounded, width, exponent_digits_before);
      return;
    }
  }
  const SignificantDigits decision = round_to_significant(magnitude, digits);
  if (decision.exponent < -1 || decision.exponent > digits - 1) {
    if (exponent_digits == digits) {
      append_exponent_layout(out, negative, decision, width, 0);
    } else {
      append_exponent_layout(out, negative, rounded, width, exponent_digits_before);
    }
    return;
  }
  FieldText text;
  append_fixed_from_digits(text, negative, decision);
  drop_leading_zero_if_too_wide(text, width - 4);
  if (text.size() > static_cast<std::size_t>(width - 4)) {
    append_asterisks(out, width);
    return;
  }
  text.append_repeated(' ', 4);
  append_right_aligned(out, text, width);
}

// A field on its own, from the function that appends it to a line.
std::string field_of(void (*append)(std::string&, double, int, int), double value, int width,
                     int digits) {
  std::string field;
  append(field, value, width, digits);
  return field;
}

}  // namespace

void append_integer(std::string& out, long long value, int width) {
  char text[24];
  const char* end = std::to_chars(text, text + sizeof text, value).ptr;
  append_right_aligned(out, text, static_cast<std::size_t>(end - text), width);
}

void append_fixed(std::string& out, double value, int width, int decimals) {
  if (!std::isfinite(value)) {
    append_asterisks(out, width);
    return;
  }
  FieldText text;
  if (value == 0.0) {
    // The most common value of the element tables: no digit conversion needed.
    text.append("0.", 2);
    text.append_repeated('0', static_cast<std::size_t>(decimals));
  } else {
    if (std::signbit(value)) {
      text.append('-');
    }
    char* end = write_fixed_digits(std::fabs(value), decimals, text.end(), text.capacity_end() - 1);
    if (end == nullptr) {
      append_asterisks(out, width);
      return;
    }
    text.set_end(end);
    if (decimals == 0) {
      text.append('.');
    }
  }
  drop_leading_zero_if_too_wide(text, width);
  append_right_aligned(out, text, width);
}

void append_general(std::string& out, double value, int width, int digits) {
  append_general_form(out, value, width, digits, 0);
}

void append_general_1p(std::string& out, double value, int width, int digits) {
  append_general_form(out, value, width, digits, 1);
}

void append_exponent(std::string& out, double value, int width, int digits) {
  append_exponent_form(out, value, width, 0, digits);
}

std::string format_integer(long long value, int width) {
  std::string field;
  append_integer(field, value, width);
  return field;
}

std::string format_fixed(double value, int width, int decimals) {
  return field_of(append_fixed, value, width, decimals);
}

std::string format_general(double value, int width, int digits) {
  return field_of(append_general, value, width, digits);
}

std::string format_general_1p(double value, int width, int digits) {
  return field_of(append_general_1p, value, width, digits);
}

std::string format_exponent(double value, int width, int digits) {
  return field_of(append_exponent, value, width, digits);
}

void append_free_integer(std::string& text, long long value) {
  char digits[24];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  text.append(digits, end);
}

void append_free_real(std::string& text, double value) {
  constexpr int digits = 17;
  char number[40];
  char* end = number;
  if (value == 0.0 || !std::isfinite(value)) {
    end = std::to_chars(number, number + sizeof number, value, std::chars_format::scientific,
                        digits - 1)
              .ptr;
    for (char* c = number; c != end; ++c) {
      if (*c >= 'a' && *c <= 'z') {
        *c = static_cast<char>(*c - 'a' + 'A');
      }
    }
  } else {
    // d.dddddddddddddddd, then E, the sign and at least two exponent digits.
    const SignificantDigits rounded = round_to_significant(std::fabs(value), digits);
    if (std::signbit(value)) {
      *end++ = '-';
    }
    *end++ = rounded.digits[0];
    *end++ = '.';
    for (int i = 1; i < digits; ++i) {
      *end++ = rounded.digits[i];
    }
    *end++ = 'E';
    *end++ = rounded.exponent < 0 ? '-' : '+';
    const int size = std::abs(rounded.exponent);
    if (size >= 100) {
      *end++ = static_cast<char>('0' + size / 100);
    }
    *end++ = static_cast<char>('0' + size / 10 % 10);
    *end++ = static_cast<char>('0' + size % 10);
  }
  text.append(number, end);
}

}  // namespace lajefem
