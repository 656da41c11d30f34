#include "checking/findings.hpp"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <sstream>

namespace lajefem {

namespace {

// "node 7: ", "element 3: ", "support 2: " or nothing.
std::string place_text(const Finding& finding) {
  if (finding.node != 0) {
    return "node " + std::to_string(finding.node) + ": ";
  }
  if (finding.element != 0) {
    return "element " + std::to_string(finding.element) + ": ";
  }
  if (finding.support != 0) {
    return "support " + std::to_string(finding.support) + ": ";
  }
  return "";
}

std::string count_text(long count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

long count_of(const Findings& findings, Severity severity) {
  return std::count_if(findings.begin(), findings.end(),
                       [severity](const Finding& f) { return f.severity == severity; });
}

// Length of the valid UTF-8 sequence that starts at text[at], or 0 when none does.
std::size_t utf8_sequence_length(const std::string& text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                             : lead >= 0xE0                 ? 3
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                                                            : 0;
  if (length == 0 || at + length > text.size()) {
    return 0;
  }
  for (std::size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) {
      return 0;
    }
  }
  return length;
}

// A JSON string: quotes, backslashes and control characters escaped; bytes that are not UTF-8
// (Latin-1 text quoted from a data file) become the characters they stand for in Latin-1.
// "a\"b" -> "\"a\\\"b\"", "\xE1" -> "\"\\u00e1\"".
std::string json_string(const std::string& text) {
  std::string json = "\"";
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    char escape[8];
    if (byte == '"' || byte == '\\') {
      json += '\\';
      json += text[at];
    } else if (byte < 0x20) {
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      json += escape;
    } else if (byte < 0x80) {
      json += text[at];
    } else if (const std::size_t length = utf8_sequence_length(text, at); length > 0) {
      json.append(text, at, length);
      at += length - 1;
    } else {
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      json += escape;
    }
  }
  return json + "\"";
}

std::string json_number(int value) {
  return value == 0 ? "null" : std::to_string(value);
}

}  // namespace

const char* severity_name(Severity severity) {
  switch (severity) {
    case Severity::error:
      return "error";
    case Severity::warning:
      return "warning";
    case Severity::note:
      return "note";
  }
  return "error";
}

std::string number_text(double value) {
  std::ostringstream text;
  text.precision(6);
  text << value;
  return text.str();
}

bool has_errors(const Findings& findings) {
  return count_of(findings, Severity::error) > 0;
}

std::string joined_messages(const Findings& findings, const std::string& code) {
  std::string text;
  for (const Finding& finding : findings) {
    if (code.empty() || finding.code == code) {
      text += (text.empty() ? "" : "; ") + finding.message;
    }
  }
  return text;
}

void write_findings_text(std::ostream& out, const std::string& file_name,
                         const Findings& findings) {
  for (const Finding& finding : findings) {
    out << file_name << (finding.line > 0 ? ":" + std::to_string(finding.line) : std::string())
        << ": " << severity_name(finding.severity) << ": " << place_text(finding) << finding.message
        << " [" << finding.code << "]\n";
  }
  if (findings.empty()) {
    out << file_name << ": no findings\n";
    return;
  }
  out << file_name << ": " << count_text(count_of(findings, Severity::error), "error") << ", "
      << count_text(count_of(findings, Severity::warning), "warning") << ", "
      << count_text(count_of(findings, Severity::note), "note") << "\n";
}

void write_findings_json(std::ostream& out, const Findings& findings) {
  out << "[";
  for (std::size_t k = 0; k < findings.size(); ++k) {
    const Finding& f = findings[k];
    out << (k == 0 ? "\n" : ",\n") << "  {\"severity\": \"" << severity_name(f.severity)
        << "\", \"code\": " << json_string(f.code) << ", \"line\": " << json_number(f.line)
        << ", \"node\": " << json_number(f.node) << ", \"element\": " << json_number(f.element)
        << ", \"support\": " << json_number(f.support)
        << ", \"message\": " << json_string(f.message) << "}";
  }
  out << (findings.empty() ? "]\n" : "\n]\n");
}

}  // namespace lajefem
