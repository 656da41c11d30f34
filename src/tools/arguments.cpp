#include "tools/arguments.hpp"

#include <charconv>
#include <cmath>
#include <utility>

#include "tools/tool_errors.hpp"

namespace lajefem::tools {

ArgumentCursor::ArgumentCursor(std::vector<std::string> words) : words_(std::move(words)) {}

bool ArgumentCursor::done() const {
  refuse_unused_value();
  return position_ >= words_.size();
}

void ArgumentCursor::refuse_unused_value() const {
  if (attached_) {
    throw UsageError("option takes no value: " + words_[position_ - 1]);
  }
}

std::string ArgumentCursor::next() {
  refuse_unused_value();
  std::string word = words_.at(position_++);
  const auto equals = word.find('=');
  if (word.rfind("--", 0) == 0 && equals != std::string::npos) {
    attached_ = word.substr(equals + 1);
    word.resize(equals);
  }
  return word;
}

std::string ArgumentCursor::value_for(const std::string& option) {
  if (attached_) {
    std::string value = std::move(*attached_);
    attached_.reset();
    return value;
  }
  if (done()) {
    throw UsageError("option " + option + " needs a value");
  }
  return words_[position_++];
}

std::optional<std::string> ArgumentCursor::peek() const {
  if (attached_) {
    return attached_;
  }
  if (position_ >= words_.size()) {
    return std::nullopt;
  }
  return words_[position_];
}

double ArgumentCursor::number_for(const std::string& option) {
  return parse_number(value_for(option), option);
}

int ArgumentCursor::integer_for(const std::string& option) {
  return parse_integer(value_for(option), option);
}

float ArgumentCursor::real_for(const std::string& option) {
  return parse_real(value_for(option), option);
}

void ArgumentCursor::take_once(const std::string& option) {
  if (!taken_once_.insert(option).second) {
    throw UsageError(option + " given twice: give it once");
  }
}

namespace {

// The whole word as a finite number of type Number.
template <typename Number>
Number parse_finite(const std::string& word, const std::string& option) {
  Number value = 0;
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, value);
  if (word.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
    throw UsageError(option + ": not a number: '" + word + "'");
  }
  return value;
}

}  // namespace

double parse_number(const std::string& word, const std::string& option) {
  return parse_finite<double>(word, option);
}

float parse_real(const std::string& word, const std::string& option) {
  return parse_finite<float>(word, option);
}

int parse_integer(const std::string& word, const std::string& option) {
  int value = 0;
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, value);
  if (word.empty() || error != std::errc() || stop != end) {
    throw UsageError(option + ": not a whole number: '" + word + "'");
  }
  return value;
}

void take_input_file(const std::string& word, std::string& input) {
  if (word.size() > 1 && word[0] == '-') {
    throw UsageError("unknown option '" + word + "'");
  }
  if (!input.empty()) {
    throw UsageError("one input file only: '" + word + "'");
  }
  input = word;
}

}  // namespace lajefem::tools
