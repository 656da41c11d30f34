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

// Length of the UTF-8 sequence that starts with `lead`, 0 when it cannot start one.
int sequence_length(unsigned char lead) {
  if (lead < 0x80)
    return 1;
  if (lead >= 0xC2 && lead <= 0xDF)
    return 2;
  if (lead >= 0xE0 && lead <= 0xEF)
    return 3;
  if (lead >= 0xF0 && lead <= 0xF4)
    return 4;
  return 0;
}

bool is_utf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const int length = sequence_length(static_cast<unsigned char>(text[i]));
    if (length == 0 || i + length > text.size())
      return false;
    for (int k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
        return false;
    }
    i += length;
  }
  return true;
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

std::string utf8_text(const std::string& text) {
  if (is_utf8(text)) {
    return text;
  }
  std::string converted;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      converted += c;
    } else {
      converted += static_cast<char>(0xC0 | (byte >> 6));
      converted += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return converted;
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
