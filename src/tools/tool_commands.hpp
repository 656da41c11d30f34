// The commands of lajefem-tools. Each takes the words after its name and the program's streams,
// returns the exit status (0 done) and throws UsageError or InputError for the other ends.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace lajefem::tools {

struct ToolStreams {
  std::ostream& out;  // results and summaries (standard output)
  std::ostream& err;  // warnings and the one error line (standard error)
};

using Words = std::vector<std::string>;

int run_generate(const Words& words, ToolStreams& streams);
int run_import(const Words& words, ToolStreams& streams);
int run_renumber(const Words& words, ToolStreams& streams);
int run_export(const Words& words, ToolStreams& streams);
int run_check(const Words& words, ToolStreams& streams);

}  // namespace lajefem::tools
