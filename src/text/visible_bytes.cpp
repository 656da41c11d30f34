#include "text/visible_bytes.hpp"

namespace lajefem {

std::string visible_bytes(const std::string& text) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string visible;
  visible.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == 0) {
      visible += "\\0";
    } else if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
      visible += "\\x";
      visible += digits[byte >> 4];
      visible += digits[byte & 0xF];
    } else {
      visible += c;
    }
  }
  return visible;
}

}  // namespace lajefem
