#include "model/free_format.hpp"

#include <algorithm>
#include <charconv>
#include <istream>
#include <streambuf>
#include <string>
#include <system_error>
#include <utility>

namespace lajefem {

CharClass classify_char(char c) {
  switch (c) {
    case ' ':
    case '\t':
    case '\r':
      return CharClass::blank;
    case ',':
      return CharClass::comma;
    case '/':
      return CharClass::slash;
    case '\'':
    case '"':
      return CharClass::quote;
    default:
      return CharClass::other;
  }
}

namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// A blank, a comma or a slash ends an unquoted value (and so does the end of the line).
bool is_separator(char c) {
  const CharClass kind = classify_char(c);
  return kind == CharClass::blank || kind == CharClass::comma || kind == CharClass::slash;
}

// One line without its '\n', as std::getline reads it, except that a line longer than
// longest_line is a read error, reported through too_long.
bool read_line(std::istream& stream, std::string& line, bool& too_long) {
  line.clear();
  const std::istream::sentry sentry(stream, true);
  if (!sentry) {
    return false;
  }
  std::streambuf& buffer = *stream.rdbuf();
  using traits = std::streambuf::traits_type;
  for (int c = buffer.sbumpc(); !traits::eq_int_type(c, traits::eof()); c = buffer.sbumpc()) {
    if (c == '\n') {
      return true;
    }
    if (line.size() == longest_line) {
      too_long = true;
      stream.setstate(std::ios::failbit);
      return false;
    }
    line.push_back(traits::to_char_type(c));
  }
  stream.setstate(line.empty() ? std::ios::eofbit | std::ios::failbit : std::ios::eofbit);
  return !line.empty();
}

Item item_of_kind(ItemKind kind, long long line) {
  Item item;
  item.kind = kind;
  item.line = line;
  return item;
}

// Takes the next line. At the end of the input, or on a line too long to take, input.failure
// says which and where: the long line's number, or the last line of the input.
bool fetch_line(FreeFormatInput& input) {
  bool too_long = false;
  if (!read_line(input.stream, input.line, too_long)) {
    input.failure = too_long
                        ? item_of_kind(ItemKind::long_line, input.line_number + 1)
                        : item_of_kind(ItemKind::end_of_file, std::max(input.line_number, 1LL));
    return false;
  }
  ++input.line_number;
  if (!input.line.empty() && input.line.back() == '\r') {
    input.line.pop_back();
  }
  input.position = 0;
  input.has_line = true;
  return true;
}

bool at_line_end(const FreeFormatInput& input) {
  return input.position >= input.line.size();
}

char current_char(const FreeFormatInput& input) {
  return input.line[input.position];
}

// Moves to the next character that is not a blank, passing over line ends and lines of blanks.
// False at the end of the input.
bool skip_blanks(FreeFormatInput& input) {
  for (;;) {
    if (!input.has_line && !fetch_line(input)) {
      return false;
    }
    while (!at_line_end(input) && classify_char(current_char(input)) == CharClass::blank) {
      ++input.position;
    }
    if (!at_line_end(input)) {
      return true;
    }
    input.has_line = false;
  }
}

// A value must be followed by a separator or the end of its line.
bool separator_follows(const FreeFormatInput& input) {
  return at_line_end(input) || is_separator(current_char(input));
}

// An item that breaks the rules: what it was written as is `written` followed by the current
// line from start up to the item's separator, where reading stops.
Item unreadable_item(FreeFormatInput& input, std::string written, std::size_t start,
                     long long line) {
  while (!separator_follows(input)) {
    ++input.position;
  }
  Item item = item_of_kind(ItemKind::unreadable, line);
  item.text = std::move(written) + input.line.substr(start, input.position - start);
  return item;
}

// From an opening quote to its closing quote; a doubled quote stands for one. A line end inside
// the quotes adds nothing and the text goes on in the next line.
Item read_quoted(FreeFormatInput& input) {
  const std::size_t start = input.position;
  const char quote = current_char(input);
  ++input.position;
  Item item = item_of_kind(ItemKind::value, input.line_number);
  item.quoted = true;
  for (;;) {
    if (at_line_end(input)) {
      if (!fetch_line(input)) {
        return input.failure;
      }
      continue;
    }
    char c = current_char(input);
    ++input.position;
    if (c == quote) {
      if (at_line_end(input) || current_char(input) != quote) {
        break;
      }
      ++input.position;
    } else if (classify_char(c) == CharClass::blank) {
      c = ' ';
    }
    if (item.text.size() < max_text_kept) {
      item.text += c;
    }
  }
  if (separator_follows(input)) {
    return item;
  }
  if (input.line_number == item.line) {
    return unreadable_item(input, "", start, item.line);
  }
  return unreadable_item(input, quote + item.text + quote, input.position, item.line);
}

Item read_unquoted(FreeFormatInput& input) {
  Item item = item_of_kind(ItemKind::value, input.line_number);
  const std::size_t start = input.position;
  while (!at_line_end(input) && !is_separator(current_char(input))) {
    ++input.position;
  }
  item.text = input.line.substr(start, input.position - start);
  return item;
}

Item read_single_value(FreeFormatInput& input) {
  if (classify_char(current_char(input)) == CharClass::quote) {
    return read_quoted(input);
  }
  return read_unquoted(input);
}

// Digits directly followed by '*': the repeat count of r*v or r*. Returns the length of the
// digits, 0 when the value is not a repeat.
std::size_t repeat_digits(const FreeFormatInput& input) {
  std::size_t end = input.position;
  while (end < input.line.size() && is_digit(input.line[end])) {
    ++end;
  }
  if (end == input.position || end >= input.line.size() || input.line[end] != '*') {
    return 0;
  }
  return end - input.position;
}

// r*v hands out v r times, r* gives r null values.
Item read_repeat(FreeFormatInput& input, std::size_t digit_count) {
  const std::size_t start = input.position;
  int count = 0;
  const bool counted =
      parse_integer(std::string_view(input.line).substr(input.position, digit_count), count);
  input.position += digit_count + 1;
  if (!counted || count < 1) {
    return unreadable_item(input, "", start, input.line_number);
  }
  Item item = separator_follows(input) ? item_of_kind(ItemKind::null_value, input.line_number)
                                       : read_single_value(input);
  if (item.kind == ItemKind::value || item.kind == ItemKind::null_value) {
    input.repeated_item = item;
    input.repeats_left = count - 1;
  }
  return item;
}

Item read_value(FreeFormatInput& input) {
  input.separator_due = true;
  const std::size_t digit_count = repeat_digits(input);
  if (digit_count > 0) {
    return read_repeat(input, digit_count);
  }
  return read_single_value(input);
}

// Position and exponent of the first significant digit, far enough to tell an overflow from an
// underflow: "0.004" -> -3, "12e5" -> 6. Huge exponents are capped.
long long decimal_order(std::string_view text) {
  const std::size_t exponent_at = text.find_first_of("eE");
  const std::string_view mantissa = text.substr(0, exponent_at);
  long long order = 0;
  const std::size_t point = mantissa.find('.');
  const std::string_view whole = mantissa.substr(0, point);
  const std::size_t first_whole = whole.find_first_not_of("-0");
  if (first_whole != std::string_view::npos) {
    order = static_cast<long long>(whole.size() - first_whole) - 1;
  } else if (point != std::string_view::npos) {
    const std::size_t first = mantissa.find_first_not_of('0', point + 1);
    order = -static_cast<long long>(first - point);
  }
  if (exponent_at == std::string_view::npos) {
    return order;
  }
  long long exponent = 0;
  bool negative = false;
  for (const char c : text.substr(exponent_at + 1)) {
    if (c == '-') {
      negative = true;
    } else if (is_digit(c) && exponent < 1'000'000'000'000LL) {
      exponent = exponent * 10 + (c - '0');
    }
  }
  return order + (negative ? -exponent : exponent);
}

// True when text has the accepted number form; digits_only limits it to [sign]digits.
bool has_number_form(std::string_view text, bool digits_only) {
  std::size_t i = 0;
  const auto skip_digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && is_digit(text[i])) {
      ++i;
    }
    return i - start;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    ++i;
  }
  std::size_t digit_count = skip_digits();
  if (digits_only) {
    return digit_count > 0 && i == text.size();
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    digit_count += skip_digits();
  }
  if (digit_count == 0) {
    return false;
  }
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      ++i;
    }
    if (skip_digits() == 0) {
      return false;
    }
  }
  return i == text.size();
}

// The number text as std::from_chars takes it: no plus sign, exponent letter E.
std::string from_chars_form(std::string_view text) {
  std::string form(text.substr(text[0] == '+' ? 1 : 0));
  for (char& c : form) {
    if (c == 'D' || c == 'd') {
      c = 'E';
    }
  }
  return form;
}

}  // namespace

void start_statement(FreeFormatInput& input) {
  input.has_line = false;
  input.separator_due = false;
  input.statement_ended = false;
  input.repeats_left = 0;
}

bool skip_line(FreeFormatInput& input) {
  start_statement(input);
  const bool read = fetch_line(input);
  input.has_line = false;
  return read;
}

namespace {

Item take_item(FreeFormatInput& input) {
  if (input.statement_ended) {
    return item_of_kind(ItemKind::slash, input.item_line);
  }
  if (input.repeats_left > 0) {
    --input.repeats_left;
    return input.repeated_item;
  }
  for (;;) {
    if (!skip_blanks(input)) {
      return input.failure;
    }
    switch (classify_char(current_char(input))) {
      case CharClass::comma:
        ++input.position;
        if (input.separator_due) {
          input.separator_due = false;
          continue;
        }
        return item_of_kind(ItemKind::null_value, input.line_number);
      case CharClass::slash:
        input.statement_ended = true;
        return item_of_kind(ItemKind::slash, input.line_number);
      default:
        return read_value(input);
    }
  }
}

}  // namespace

Item next_item(FreeFormatInput& input) {
  Item item = take_item(input);
  input.item_line = item.line;
  return item;
}

long long take_copies(FreeFormatInput& input, long long wanted) {
  if (input.statement_ended) {
    return wanted;
  }
  const long long copies = std::min(input.repeats_left, wanted);
  input.repeats_left -= copies;
  return copies;
}

bool parse_integer(std::string_view text, int& value) {
  if (!has_number_form(text, true)) {
    return false;
  }
  const std::string form = from_chars_form(text);
  int parsed = 0;
  const auto [end, error] = std::from_chars(form.data(), form.data() + form.size(), parsed);
  if (error != std::errc() || end != form.data() + form.size()) {
    return false;
  }
  value = parsed;
  return true;
}

bool parse_real(std::string_view text, float& value) {
  if (!has_number_form(text, false)) {
    return false;
  }
  const std::string form = from_chars_form(text);
  float parsed = 0;
  const auto [end, error] = std::from_chars(form.data(), form.data() + form.size(), parsed);
  if (error == std::errc::result_out_of_range && decimal_order(form) < 0) {
    // Too small for a float: the nearest float is a zero of the same sign.
    parsed = form[0] == '-' ? -0.0f : 0.0f;
  } else if (error != std::errc() || end != form.data() + form.size()) {
    return false;
  }
  value = parsed;
  return true;
}

std::string fitted_text(std::string_view text, std::size_t length) {
  std::string fitted(text.substr(0, length));
  fitted.resize(length, ' ');
  return fitted;
}

namespace {

// The next item of a statement; false when the statement fails there.
bool read_item(FreeFormatInput& input, Item& item) {
  item = next_item(input);
  const bool failed = item.kind == ItemKind::end_of_file || item.kind == ItemKind::unreadable ||
                      item.kind == ItemKind::long_line;
  if (failed) {
    input.failure = item;
  }
  return !failed;
}

// A value that is not of its item's form: the statement fails there.
bool fail_as_unreadable(FreeFormatInput& input, Item item) {
  item.kind = ItemKind::unreadable;
  input.failure = std::move(item);
  return false;
}

}  // namespace

bool read_integer_item(FreeFormatInput& input, int& value) {
  Item item;
  if (!read_item(input, item)) {
    return false;
  }
  if (item.kind != ItemKind::value || (!item.quoted && parse_integer(item.text, value))) {
    return true;
  }
  return fail_as_unreadable(input, std::move(item));
}

bool read_real_item(FreeFormatInput& input, float& value) {
  Item item;
  if (!read_item(input, item)) {
    return false;
  }
  if (item.kind != ItemKind::value || (!item.quoted && parse_real(item.text, value))) {
    return true;
  }
  return fail_as_unreadable(input, std::move(item));
}

bool read_text_item(FreeFormatInput& input, std::string& value) {
  Item item;
  if (!read_item(input, item)) {
    return false;
  }
  if (item.kind == ItemKind::value) {
    value = fitted_text(item.text, limits::name_length);
  }
  return true;
}

}  // namespace lajefem
