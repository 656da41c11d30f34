// The one place where numbers become text. Every message, log table and report line builds its
// fields here: I(w), F(w.d), G(w.d), G(w.d) under the scale factor 1P, the exponent form E(w.d)
// and the free format of the stiffness lines. A value too wide for its field, or not finite, fills
// the field with asterisks. Rounding is to nearest on the exact binary value, ties to even;
// negative zero prints as zero. Program texts are written in UTF-8 in the source and leave the
// program as Latin-1 bytes.
#pragma once

#include <string>
#include <string_view>

namespace lajefem {

// I(w): 7 in I(5) -> "    7".
std::string format_integer(long long value, int width);

// F(w.d): 30.0 in F(9.3) -> "   30.000"; -0.0012345 in F(8.3) -> "  -0.001".
std::string format_fixed(double value, int width, int decimals);

// G(w.d): 10.0 in G(12.4) -> "   10.00    "; 1234567.0 -> "  0.1235E+07"; 0.0 -> "   0.000    ".
std::string format_general(double value, int width, int digits);

// 1P,G(w.d): 1234567.0 in G(12.4) -> "  1.2346E+06"; 2500 in G(10.3) -> " 2.500E+03".
std::string format_general_1p(double value, int width, int digits);

// E(w.d): 5.0e-5 in E(16.9) -> " 0.500000000E-04". Exponents beyond two digits drop the letter E.
std::string format_exponent(double value, int width, int digits);

// The same fields appended to a line being built, for the long tables.
void append_integer(std::string& out, long long value, int width);
void append_fixed(std::string& out, double value, int width, int decimals);
void append_general(std::string& out, double value, int width, int digits);
void append_general_1p(std::string& out, double value, int width, int digits);
void append_exponent(std::string& out, double value, int width, int digits);

// Free format, the items of a log line appended to text: integers as they are, reals with 17
// significant digits, 781250.0291 -> "7.8125002910383034E+05".
void append_free_integer(std::string& text, long long value);
void append_free_real(std::string& text, double value);

}  // namespace lajefem
