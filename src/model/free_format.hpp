// The free-format values of the data file and of the file-name answer: a tokenizer over the
// lines of a text stream, the number forms, and the item reads that the statements are made of.
// A statement starts on a fresh line and takes its values from as many lines as it needs. Lines
// are counted as they are read, so that every item and every failure knows its line.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "model/limits.hpp"

namespace lajefem {

// How a character takes part in a value. Tab and carriage return count as blanks.
enum class CharClass { blank, comma, slash, quote, other };

CharClass classify_char(char c);

enum class ItemKind {
  value,        // text holds the value (a quoted value without its quotes)
  null_value,   // ",," or a comma before the first value, or r*: the item keeps its content
  slash,        // the statement has ended: every item still to read keeps its content
  end_of_file,  // the input ended before the statement had its value
  unreadable,   // a value that breaks the rules: 'ab'cd, a repeat count of 0, ...
  long_line,    // a line longer than longest_line: the input is not read any further
};

// Longest line the reader takes, in bytes without the LF (32 MiB): far beyond any data file, and
// a bound on the memory that input without line ends (a device such as /dev/zero) can claim.
constexpr std::size_t longest_line = std::size_t{1} << 25;

struct Item {
  ItemKind kind = ItemKind::end_of_file;
  std::string text;  // unreadable: the item as written, up to its separator
  bool quoted = false;
  // 1-based line of the value (of its opening quote), of the separator that ends a null value or
  // the statement, of the long line; at the end of the input the last line (1 for no line at all).
  long long line = 0;
};

// The reading position in a line-oriented text stream. Lines are read whole; a carriage
// return that ends a line is dropped, so CR LF files read like LF files.
struct FreeFormatInput {
  explicit FreeFormatInput(std::istream& input) : stream(input) {}

  std::istream& stream;
  std::string line;
  long long line_number = 0;  // lines taken from the stream so far: the current line's number
  std::size_t position = 0;
  bool has_line = false;         // false: the next character comes from a fresh line
  bool separator_due = false;    // a value was read and its separator has not been met yet
  bool statement_ended = false;  // a slash was met
  long long repeats_left = 0;    // copies of repeated_item still to hand out
  Item repeated_item;
  long long item_line = 0;  // line of the item handed out last (see Item::line)
  Item failure;             // the item that made the last item read or heading fail
};

// A quoted text keeps no more than this many characters: no item of the program is longer.
constexpr std::size_t max_text_kept = limits::name_length;

// The next statement begins at the start of the next unread line.
void start_statement(FreeFormatInput& input);

// A heading: consumes exactly one line, whatever it holds. False at the end of the input or on a
// long line, with input.failure set.
bool skip_line(FreeFormatInput& input);

// The next item of the current statement.
Item next_item(FreeFormatInput& input);

// [sign]digits within int32: "-12" -> -12; "3.0", "1e3" and "2147483648" fail.
bool parse_integer(std::string_view text, int& value);

// [sign]digits[.[digits]] or [sign].digits, then optionally E, e, D or d with [sign]digits,
// rounded to the nearest float: "1.5D2" -> 150.0f; "1e-50" -> 0.0f; "1e39", "inf" fail.
bool parse_real(std::string_view text, float& value);

// Text cut or padded with blanks to `length` characters.
std::string fitted_text(std::string_view text, std::size_t length);

// Hands out up to `wanted` further items of the statement at once, when they are known without
// reading to be copies of the item just read: the rest of a repeat r*v or r*, or any number once
// a slash has ended the statement. Returns how many were handed out (0 when none are known).
long long take_copies(FreeFormatInput& input, long long wanted);

// One item of a statement. A value is stored; a null value or the end of the statement keeps
// the item's content. False when the statement fails (end of input, unreadable value), with
// input.failure set; a value of the wrong form fails as unreadable.
bool read_integer_item(FreeFormatInput& input, int& value);
bool read_real_item(FreeFormatInput& input, float& value);
bool read_text_item(FreeFormatInput& input, std::string& value);  // cut or padded to 12

}  // namespace lajefem
