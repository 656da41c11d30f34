// Decimal commas in the data lines of a data file, found while the program's reader reads it: a
// stream buffer between the reader and the file passes every byte on and scans each line the
// reader has taken, one line at a time, so that the file is never held whole.
#pragma once

#include <array>
#include <streambuf>
#include <string>

#include "checking/findings.hpp"

namespace lajefem {

class DecimalCommaScan final : public std::streambuf {
 public:
  explicit DecimalCommaScan(std::streambuf& source) : source_(source) {}

  // decimal-comma warnings of the lines the reader has taken (a last line it took in part
  // included), in line order. Call once, when the reader is done.
  Findings findings();

 protected:
  int_type underflow() override;

 private:
  void scan(const char* begin, const char* end);
  void end_line();

  std::streambuf& source_;
  std::array<char, 1 << 16> buffer_{};
  std::string line_;  // the line being taken, kept up to the reader's longest line
  bool line_too_long_ = false;
  long long line_number_ = 1;
  Findings findings_;
};

}  // namespace lajefem
