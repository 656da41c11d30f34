// Findings of the model check as data: severity, code, where and what, printed in one place as
// compiler-style lines or as one JSON array.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace lajefem {

enum class Severity { error, warning, note };

struct Finding {
  Severity severity = Severity::error;
  std::string code;     // e.g. "mechanism-spurious"
  int line = 0;         // data-file line (1-based), 0 where none applies
  int node = 0;         // node (1-based), 0 where none applies
  int element = 0;      // element (1-based), 0 where none applies
  int support = 0;      // support record (1-based), 0 where none applies
  std::string message;  // what is wrong and what to do, one English sentence or two
};

using Findings = std::vector<Finding>;

const char* severity_name(Severity severity);

// A number as the messages show it, six significant digits: 0.15 -> "0.15", 30000 -> "30000".
std::string number_text(double value);
bool has_errors(const Findings& findings);

// The messages of the findings, of the one code when `code` is not empty, joined by "; ".
std::string joined_messages(const Findings& findings, const std::string& code = "");

// One line per finding, "FILE:LINE: SEVERITY: node N: MESSAGE [CODE]", then a count line.
void write_findings_text(std::ostream& out, const std::string& file_name, const Findings& findings);

// One JSON array of objects with the keys severity, code, line, node, element, support, message
// (null where not applicable), one object per line.
void write_findings_json(std::ostream& out, const Findings& findings);

}  // namespace lajefem
