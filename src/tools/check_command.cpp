// lajefem-tools check DATAFILE [--json] [--solver banded|sparse]: the findings of the model
// check, plain or as JSON; exit status 1 when one of them is an error.
#include <fstream>
#include <ostream>

#include "checking/findings.hpp"
#include "checking/model_check.hpp"
#include "tools/arguments.hpp"
#include "tools/input_file.hpp"
#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

namespace {

constexpr const char* check_help =
    "Usage: lajefem-tools check DATAFILE [--json] [--solver banded|sparse]\n"
    "\n"
    "Reads DATAFILE as lajefem does, runs the analysis as lajefem would in the file's folder,\n"
    "and reports what stops the run (every stop is an error) or makes its numbers\n"
    "meaningless: one line per finding, 'FILE[:LINE]: SEVERITY: [WHERE: ]MESSAGE [CODE]',\n"
    "severity error, warning or note. Mechanisms are found from the stiffness itself and\n"
    "explained (rigid motion, the element's checkerboard pattern, a freedom without stiffness).\n"
    "A model beyond lajefem's limits is checked at its size with the sparse engine, as\n"
    "lajefem-tools export analyses it: a warning says that lajefem stops on it.\n"
    "\n"
    "  --json            print the findings as one JSON array of objects with the keys\n"
    "                    severity, code, line, node, element, support and message (null where\n"
    "                    not applicable)\n"
    "  --solver banded   the program's own steps and its dense stiffness (the default within\n"
    "                    lajefem's limits); beyond them the limit is an error\n"
    "  --solver sparse   the sparse engine for the analysis and the mechanisms (the default\n"
    "                    beyond lajefem's limits), at any size\n"
    "\n"
    "Exit status: 0 no errors (warnings and notes allowed), 1 at least one error or an\n"
    "unreadable file, 2 a usage error. The codes are described in docs/check.md.\n";

CheckSolver parse_solver(const std::string& name) {
  if (name == "banded") {
    return CheckSolver::banded;
  }
  if (name == "sparse") {
    return CheckSolver::sparse;
  }
  throw UsageError("--solver: unknown solver '" + name + "' (banded, sparse)");
}

}  // namespace

int run_check(const Words& words, ToolStreams& streams) {
  ArgumentCursor arguments(words);
  std::string data_file;
  bool json = false;
  CheckSolver solver = CheckSolver::automatic;
  while (!arguments.done()) {
    const std::string word = arguments.next();
    if (word == "--help" || word == "-h") {
      streams.out << check_help;
      return 0;
    }
    if (word == "--json") {
      json = true;
    } else if (word == "--solver") {
      arguments.take_once(word);
      solver = parse_solver(arguments.value_for(word));
    } else if (word.rfind("-", 0) == 0 && word.size() > 1) {
      throw UsageError("unknown option " + word);
    } else if (data_file.empty()) {
      data_file = word;
    } else {
      throw UsageError("one data file only: '" + word + "'");
    }
  }
  if (data_file.empty()) {
    throw UsageError("name the data file to check");
  }
  std::ifstream file = open_input_file(data_file);
  const Findings findings = check_data_file(file, data_file, solver);
  if (file.bad()) {
    throw InputError("cannot read '" + data_file + "': the file could not be read to its end");
  }
  if (json) {
    write_findings_json(streams.out, findings);
  } else {
    write_findings_text(streams.out, data_file, findings);
  }
  return has_errors(findings) ? 1 : 0;
}

}  // namespace lajefem::tools
