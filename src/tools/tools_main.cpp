// lajefem-tools: the companion of lajefem that makes, renumbers and checks data files and turns
// results into pictures, tables and design moments. Non-interactive: everything comes from the
// command line.
#include <cstring>
#include <iostream>
#include <map>
#include <new>
#include <string>

#include "files/process_guards.hpp"
#include "files/user_guide.hpp"
#include "sparse/blas_threads.hpp"
#include "tools/standard_output.hpp"
#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace {

using namespace lajefem::tools;

using Command = int (*)(const Words&, ToolStreams&);

const std::map<std::string, Command>& commands() {
  static const std::map<std::string, Command> table{
      {"generate", run_generate}, {"import", run_import}, {"renumber", run_renumber},
      {"export", run_export},     {"check", run_check},
  };
  return table;
}

constexpr const char* usage_text =
    "Usage: lajefem-tools COMMAND [options]\n"
    "\n"
    "Commands:\n"
    "  generate   write the data file of a rectangular plate\n"
    "  import     write a data file from a gmsh quadrilateral mesh (MSH 4.1 ASCII)\n"
    "  renumber   reduce the half-bandwidth of a data file\n"
    "  check      find the faults of a data file and explain them\n"
    "  export     analyse a data file and write ParaView files, SVG maps and CSV tables\n"
    "\n"
    "lajefem-tools COMMAND --help describes a command.\n";

int run_words(const Words& words, ToolStreams& streams) {
  if (words.empty() || words[0] == "--help" || words[0] == "-h") {
    (words.empty() ? streams.err : streams.out) << usage_text << lajefem::user_guide_line();
    return words.empty() ? 2 : 0;
  }
  if (words[0] == "--version") {
    streams.out << "lajefem-tools " LAJEFEM_VERSION "\n";
    return 0;
  }
  const auto command = commands().find(words[0]);
  if (command == commands().end()) {
    streams.err << "lajefem-tools: unknown command '" << words[0]
                << "' (lajefem-tools --help lists them)\n";
    return 2;
  }
  try {
    return command->second(Words(words.begin() + 1, words.end()), streams);
  } catch (const UsageError& error) {
    streams.err << "lajefem-tools " << words[0] << ": " << error.what() << " (lajefem-tools "
                << words[0] << " --help)\n";
    return 2;
  } catch (const InputError& error) {
    streams.err << "lajefem-tools " << words[0] << ": " << error.what() << "\n";
    return 1;
  } catch (const std::bad_alloc&) {
    streams.err << "lajefem-tools " << words[0]
                << ": out of memory: the model is too large for this machine\n";
    return 1;
  } catch (const std::exception& error) {
    // A fault of the program or the machine, not of the input: said, and a failure.
    streams.err << "lajefem-tools " << words[0] << ": internal error: " << error.what() << "\n";
    return 1;
  }
}

}  // namespace

// Standard output is written through a checked buffer and sent in one place, at the end: a write
// that fails (a full disk, /dev/full, a closed output) turns a success into exit status 1.
int main(int argc, char** argv) {
  const bool output_closed = standard_output_closed();
  lajefem::open_closed_standard_descriptors();
  lajefem::clean_up_on_signals();
  lajefem::sparse::stop_idle_blas_threads();
  CheckedOutput output_buffer(output_closed);
  std::ostream output(&output_buffer);
  ToolStreams streams{output, std::cerr};
  const Words words(argv + 1, argv + argc);
  const int status = run_words(words, streams);
  const std::string failure = output_buffer.finish();
  if (failure.empty()) {
    return status;
  }
  const bool named = !words.empty() && commands().count(words[0]) != 0;
  std::cerr << "lajefem-tools" << (named ? " " + words[0] : "")
            << ": cannot write to standard output (" << failure
            << "): what it received is incomplete\n";
  return status == 0 ? 1 : status;
}
