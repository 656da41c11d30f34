#include "text/latin1.hpp"

namespace lajefem {

namespace {

// Length of the UTF-8 sequence that starts with `lead`, 0 when it cannot start one.
int sequence_length(unsigned char lead) {
  if (lead < 0x80) {
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    return 3;
  }
  return lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
}

unsigned char byte_at(std::string_view text, std::size_t i) {
  return static_cast<unsigned char>(text[i]);
}

// The code point of the well-formed sequence at `i` (of `length` bytes).
char32_t code_point(std::string_view text, std::size_t i, int length) {
  char32_t code = byte_at(text, i) & (length == 1 ? 0x7Fu : 0x3Fu >> (length - 1));
  for (int k = 1; k < length; ++k) {
    code = code << 6 | (byte_at(text, i + k) & 0x3Fu);
  }
  return code;
}

}  // namespace

std::string to_latin1(std::string_view utf8) {
  std::string bytes;
  bytes.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char lead = byte_at(utf8, i);
    if (lead < 0x80) {
      bytes += static_cast<char>(lead);
    } else if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
      const unsigned char next = byte_at(utf8, ++i);
      bytes += static_cast<char>(((lead & 0x1F) << 6) | (next & 0x3F));
    } else {
      bytes += '?';
    }
  }
  return bytes;
}

bool is_utf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const int length = sequence_length(byte_at(text, i));
    if (length == 0 || i + length > text.size()) {
      return false;
    }
    for (int k = 1; k < length; ++k) {
      if ((byte_at(text, i + k) & 0xC0) != 0x80) {
        return false;
      }
    }
    i += length;
  }
  return true;
}

std::optional<std::string> typed_as_latin1(std::string_view typed) {
  if (!is_utf8(typed)) {
    return std::string(typed);
  }
  std::string latin1;
  for (std::size_t i = 0; i < typed.size();) {
    const int length = sequence_length(byte_at(typed, i));
    const char32_t code = code_point(typed, i, length);
    if (code > 0xFF) {
      return std::nullopt;
    }
    latin1 += static_cast<char>(code);
    i += length;
  }
  return latin1;
}

std::string utf8_text(std::string_view text) {
  if (is_utf8(text)) {
    return std::string(text);
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

}  // namespace lajefem
