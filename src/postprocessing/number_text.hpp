// Numbers and titles as the exported files write them: the shortest text that reads back to the
// same value, never a negative zero, and the model title in UTF-8.
#pragma once

#include <string>

namespace lajefem {

// Shortest text that reads back to the same single-precision value: 0.1f -> "0.1", -0.0f -> "0".
std::string float_text(float value);

// Shortest text that reads back to the same double: 1.0 / 3.0 -> "0.3333333333333333".
std::string double_text(double value);

// A value rounded to `digits` significant digits for labels: (12.3456, 4) -> "12.35",
// (-0.00004, 2) -> "-4e-05", (-0.0, 3) -> "0".
std::string short_text(double value, int digits);

// Text safe inside XML character data and attribute values: "a<b & \"c\"" -> "a&lt;b &amp;
// &quot;c&quot;".
std::string xml_escaped(const std::string& text);

}  // namespace lajefem
