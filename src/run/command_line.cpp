#include "run/command_line.hpp"

#include <ostream>

#include "files/user_guide.hpp"

namespace lajefem {

namespace {

constexpr int usage_error_status = 2;

void write_usage(std::ostream& out) {
  out << "Usage: lajefem [--help | --version]\n"
         "\n"
         "Plate bending analysis by four-node Reissner-Mindlin finite elements. Run it in the\n"
         "folder that holds the data file: it asks for the file's name, writes the log ZLIXO and\n"
         "the results file that the data file names, and waits for Enter before it ends.\n"
         "Exit status: 0 after a complete run, 1 after any stop.\n"
         "\n"
         "  -h, --help     show this text and exit\n"
         "      --version  show the version and exit\n"
         "\n"
      << user_guide_line();
}

}  // namespace

std::optional<int> answer_arguments(const std::vector<std::string>& arguments, std::ostream& out,
                                    std::ostream& error) {
  if (arguments.empty()) {
    return std::nullopt;
  }
  const std::string& first = arguments[0];
  const bool known = first == "--help" || first == "-h" || first == "--version";
  if (!known || arguments.size() > 1) {
    const std::string& refused = known ? arguments[1] : first;
    error << "lajefem: unknown argument '" << refused << "' (lajefem --help shows the usage)\n";
    return usage_error_status;
  }
  if (first == "--version") {
    out << "lajefem " LAJEFEM_VERSION "\n";
  } else {
    write_usage(out);
  }
  return 0;
}

}  // namespace lajefem
