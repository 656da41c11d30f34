// The command line of lajefem. Without arguments the program runs the analysis; --help (-h) and
// --version answer on standard output, anything else is refused with exit status 2. Answering
// opens no file and reads nothing from standard input.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace lajefem {

// The exit status after answering the arguments, or nothing when there are none and the run
// should go ahead.
std::optional<int> answer_arguments(const std::vector<std::string>& arguments, std::ostream& out,
                                    std::ostream& error);

}  // namespace lajefem
