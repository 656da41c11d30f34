#include "checking/decimal_commas.hpp"

#include <algorithm>
#include <cctype>

#include "model/free_format.hpp"

namespace lajefem {

namespace {

bool is_digit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// A line whose first item reads as a number: a data line, where a heading starts with a word.
bool starts_with_number(const std::string& line) {
  const auto first = line.find_first_not_of(" \t");
  if (first == std::string::npos) {
    return false;
  }
  std::size_t at = first + (line[first] == '-' || line[first] == '+' ? 1 : 0);
  at += at < line.size() && line[at] == '.' ? 1 : 0;
  return at < line.size() && is_digit(line[at]);
}

// The item around position `at` (between blanks): "30 0,2 0,15" at 4 -> "0,2".
std::string item_around(const std::string& line, std::size_t at) {
  const auto begin = line.find_last_of(" \t", at);
  const auto end = line.find_first_of(" \t/", at);
  const std::size_t from = begin == std::string::npos ? 0 : begin + 1;
  return line.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

}  // namespace

// A data line with a digit, a comma and a digit side by side, before any slash.
void DecimalCommaScan::end_line() {
  const std::string statement = line_.substr(0, line_.find('/'));
  if (!line_too_long_ && starts_with_number(statement)) {
    for (std::size_t at = 1; at + 1 < statement.size(); ++at) {
      if (statement[at] == ',' && is_digit(statement[at - 1]) && is_digit(statement[at + 1])) {
        const std::string item = item_around(statement, at);
        findings_.push_back({Severity::warning, "decimal-comma", static_cast<int>(line_number_), 0,
                             0, 0,
                             "'" + item + "' reads as " +
                                 std::to_string(std::count(item.begin(), item.end(), ',') + 1) +
                                 " values: a comma always separates values; write decimal "
                                 "fractions with a point, and a blank after a separating comma"});
        break;
      }
    }
  }
  line_.clear();
  line_too_long_ = false;
  ++line_number_;
}

void DecimalCommaScan::scan(const char* begin, const char* end) {
  for (const char* c = begin; c != end; ++c) {
    if (*c == '\n') {
      end_line();
    } else if (line_.size() < longest_line) {
      line_.push_back(*c);
    } else {
      line_too_long_ = true;
    }
  }
}

DecimalCommaScan::int_type DecimalCommaScan::underflow() {
  scan(eback(), egptr());  // the reader has taken all of it
  const std::streamsize count = source_.sgetn(buffer_.data(), buffer_.size());
  setg(buffer_.data(), buffer_.data(), buffer_.data() + std::max<std::streamsize>(count, 0));
  return count > 0 ? traits_type::to_int_type(buffer_[0]) : traits_type::eof();
}

Findings DecimalCommaScan::findings() {
  scan(eback(), gptr());
  setg(gptr(), gptr(), egptr());
  if (!line_.empty()) {
    end_line();
  }
  return findings_;
}

}  // namespace lajefem
