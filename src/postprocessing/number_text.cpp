#include "postprocessing/number_text.hpp"

#include <array>
#include <charconv>
#include <cstdio>

namespace lajefem {

namespace {

template <typename Real>
std::string shortest_text(Real value) {
  std::array<char, 40> digits{};
  // Adding a positive zero turns a negative zero into +0 and leaves every other value alone.
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value + Real(0)).ptr;
  return std::string(digits.data(), end);
}

}  // namespace

std::string float_text(float value) {
  return shortest_text(value);
}

std::string double_text(double value) {
  return shortest_text(value);
}

std::string short_text(double value, int digits) {
  std::array<char, 40> text{};
  std::snprintf(text.data(), text.size(), "%.*g", digits, value + 0.0);
  const std::string result(text.data());
  return result.find_first_not_of("-0.") == std::string::npos ? "0" : result;
}

std::string xml_escaped(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        // Control characters other than tab cannot appear in XML 1.0.
        escaped += (static_cast<unsigned char>(c) < 0x20 && c != '\t') ? ' ' : c;
    }
  }
  return escaped;
}

}  // namespace lajefem
