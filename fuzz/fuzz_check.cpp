// Any byte sequence as the data file of the model check, its findings then written as text and
// as JSON.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "checking/findings.hpp"
#include "checking/model_check.hpp"

namespace {

// Every finding says what it is and what to do, and points at nothing outside the file: a line
// from 1 to one past the last (the end of a file cut short), or none.
bool well_formed(const lajefem::Finding& finding, long long lines) {
  return !finding.code.empty() && !finding.message.empty() && finding.line >= 0 &&
         finding.line <= lines + 1 && finding.node >= 0 && finding.element >= 0 &&
         finding.support >= 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(bytes), size);
  std::istringstream data(text);
  const lajefem::Findings findings = lajefem::check_data_file(data, "fuzz.dat");
  const long long lines =
      std::count(text.begin(), text.end(), '\n') + (text.empty() || text.back() == '\n' ? 0 : 1);
  for (const lajefem::Finding& finding : findings) {
    if (!well_formed(finding, lines)) {
      __builtin_trap();
    }
  }
  std::ostringstream out;
  lajefem::write_findings_text(out, "fuzz.dat", findings);
  lajefem::write_findings_json(out, findings);
  return 0;
}
