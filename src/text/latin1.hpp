// Latin-1 and UTF-8: the data file, the console and the report are Latin-1, one byte a character;
// the program's own texts, the companion's command line and its output files are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lajefem {

// Program text (UTF-8 literal) to Latin-1 bytes: "Cálculo" -> "C\xE1lculo". Bytes that do not
// start a two-byte character of U+0080..U+00FF become '?' each, as the console has always shown
// them.
std::string to_latin1(std::string_view utf8);

// Shorthand for a literal program text: "ATENÇÃO"_l1.
inline std::string operator""_l1(const char* text, std::size_t length) {
  return to_latin1(std::string_view(text, length));
}

// Whether the bytes are well-formed UTF-8 (ASCII included).
bool is_utf8(std::string_view text);

// Text typed in UTF-8 as the Latin-1 bytes of the data file: "AÇO" (41 C3 87 4F) -> 41 C7 4F.
// Text that is not UTF-8 is taken as Latin-1 already and kept. Nothing when it holds a character
// that Latin-1 does not have ("€").
std::optional<std::string> typed_as_latin1(std::string_view typed);

// Text as UTF-8: kept when it already is valid UTF-8, otherwise read as Latin-1 (the data file's
// own encoding): "N\xBA 1" -> "Nº 1".
std::string utf8_text(std::string_view text);

}  // namespace lajefem
