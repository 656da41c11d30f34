// The words of a command line taken in order: options (`-o FILE`, `--size A B`, `--name=value`)
// and positional arguments. Every fault is a UsageError naming the word at fault.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace lajefem::tools {

class ArgumentCursor {
 public:
  explicit ArgumentCursor(std::vector<std::string> words);

  // Whether every word is taken; UsageError when the last `--name=value` was a flag that takes
  // no value (the value was not used).
  bool done() const;

  // The next word; for `--name=value` the name, with the value kept for the next value_for.
  std::string next();

  // The value that follows option `option`.
  std::string value_for(const std::string& option);
  double number_for(const std::string& option);
  int integer_for(const std::string& option);
  float real_for(const std::string& option);  // rounded once, to the nearest float

  // The word that value_for would take next, without taking it (none at the end of the line):
  // for options whose last values may be left out.
  std::optional<std::string> peek() const;

  // Marks an option that may be given once: UsageError when `option` was marked before, so that
  // a second --size or -o is refused rather than silently taking the place of the first.
  void take_once(const std::string& option);

 private:
  void refuse_unused_value() const;

  std::vector<std::string> words_;
  std::size_t position_ = 0;
  std::optional<std::string> attached_;  // the value of `--name=value`
  std::set<std::string> taken_once_;
};

// A whole word as a number; UsageError naming `option` when it is not one.
double parse_number(const std::string& word, const std::string& option);
int parse_integer(const std::string& word, const std::string& option);
float parse_real(const std::string& word, const std::string& option);

// A word that is not an option taken as the command's one input file: UsageError for an unknown
// option or a second file.
void take_input_file(const std::string& word, std::string& input);

}  // namespace lajefem::tools
