// The model check of a data file: the scan of its text, the program's reader, the checks of the
// model read and its mechanisms.
#pragma once

#include <string>

#include "checking/findings.hpp"

namespace lajefem {

// Every finding about the data file whose whole text is `text`, errors first where one stops
// the rest (a data error leaves nothing else to check but the text).
Findings check_data_file(const std::string& text);

}  // namespace lajefem
