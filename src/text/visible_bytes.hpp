// Text quoted from a file made safe to show in a one-line message: a NUL byte would end the
// message where it stands and other control bytes would move the terminal's cursor.
#pragma once

#include <string>

namespace lajefem {

// The text with a NUL byte shown as \0 and the other control bytes (below 0x20 but the tab, and
// 0x7F) as \xNN: "$Nodes\0x" stays readable to its end.
std::string visible_bytes(const std::string& text);

}  // namespace lajefem
