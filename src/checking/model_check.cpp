#include "checking/model_check.hpp"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <variant>

#include "analysis/analysis.hpp"
#include "checking/mechanisms.hpp"
#include "checking/model_checks.hpp"
#include "meshing/renumbering.hpp"
#include "model/limits.hpp"

namespace lajefem {

namespace {

bool is_digit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// A line whose first item reads as a number: a data line, where a heading starts with a word.
bool starts_with_number(const std::string& line) {
  const auto first = line.find_first_not_of(" \t");
  if (first == std::string::npos) {
    return false;
  }
  std::size_t at = first + (line[first] == '-' || line[first] == '+' ? 1 : 0);
  at += at < line.size() && line[at] == '.' ? 1 : 0;
  return at < line.size() && is_digit(line[at]);
}

// The item around position `at` (between blanks): "30 0,2 0,15" at 4 -> "0,2".
std::string item_around(const std::string& line, std::size_t at) {
  const auto begin = line.find_last_of(" \t", at);
  const auto end = line.find_first_of(" \t/", at);
  const std::size_t from = begin == std::string::npos ? 0 : begin + 1;
  return line.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

// Data lines with a digit, a comma and a digit side by side, before any slash.
Findings decimal_comma_findings(const std::string& text) {
  Findings findings;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    const std::string statement = line.substr(0, line.find('/'));
    if (!starts_with_number(statement)) {
      continue;
    }
    for (std::size_t at = 1; at + 1 < statement.size(); ++at) {
      if (statement[at] == ',' && is_digit(statement[at - 1]) && is_digit(statement[at + 1])) {
        const std::string item = item_around(statement, at);
        findings.push_back({Severity::warning, "decimal-comma", number, 0, 0, 0,
                            "'" + item + "' reads as " +
                                std::to_string(std::count(item.begin(), item.end(), ',') + 1) +
                                " values: a comma always separates values; write decimal "
                                "fractions with a point, and a blank after a separating comma"});
        break;
      }
    }
  }
  return findings;
}

// How the reader's input failed, from the fixed reasons its console prints for a value it could
// not read at all; rejections of a value it read (a count, a node number) are `rejected`.
enum class ReadingFailure { rejected, unreadable_value, end_of_file, long_line };

ReadingFailure reading_failure(const AnalysisStop& stop) {
  if (stop.reason.rfind("valor ilegível", 0) == 0) {
    return ReadingFailure::unreadable_value;
  }
  if (stop.reason == "o ficheiro acaba antes de todos os dados") {
    return ReadingFailure::end_of_file;
  }
  if (stop.reason == "linha com mais de 32 MiB") {
    return ReadingFailure::long_line;
  }
  return ReadingFailure::rejected;
}

// A value the reader rejects in the counts line (301) or the load-case line (402) is a count
// above the store's limits; in a load statement it is the load number beyond 80 or a node outside
// the model, told apart by the reason. Other rejections (material values, node references, the
// results name) and values it cannot read are data errors.
bool exceeds_limit(const AnalysisStop& stop) {
  const int code = stop.data_error_code;
  if (stop.reason.empty() || reading_failure(stop) != ReadingFailure::rejected) {
    return false;
  }
  const bool load_statement = code >= 414 && code < 500;
  return code == 301 || code == 402 ||
         (load_statement && stop.reason.find("número de carga") != std::string::npos);
}

Finding reading_stop_finding(const AnalysisStop& stop) {
  const int code = stop.data_error_code;
  const int part = code / 100;
  const int subsection = (code - 100 * part + 10) / 10;
  const std::string console = " (code " + std::to_string(code) + ", part " + std::to_string(part) +
                              ", subsection " + std::to_string(subsection) + " on its console)";
  // A file cut short fails in whatever statement it ends in: that is said first.
  if (reading_failure(stop) == ReadingFailure::end_of_file) {
    return {Severity::error,
            "data-error",
            stop.line,
            0,
            0,
            0,
            "the file ends before all the data are read, in " + data_statement_name(code) +
                console +
                ": it is cut short or records are missing; complete it against the record "
                "layout of the data file"};
  }
  const std::string reason = stop.explanation.empty() ? "" : " (" + stop.explanation + ")";
  if (exceeds_limit(stop)) {
    return {Severity::error,
            "limit",
            stop.line,
            0,
            0,
            0,
            "the model exceeds the program's limits in " + data_statement_name(code) + reason +
                " (at most 300 nodes, 400 elements, 60 supports, 4 load cases, 80 loads per "
                "case): make the model smaller"};
  }
  return {Severity::error,
          "data-error",
          stop.line,
          0,
          0,
          0,
          "the program stops reading in " + data_statement_name(code) + console + reason +
              ": correct the values there against the record layout of the data file"};
}

bool stops_assembly(const Finding& finding) {
  return finding.severity == Severity::error &&
         (finding.code == "element-type" || finding.code == "invalid-geometry");
}

// The stiffness with springs in the model's own numbering. A band above the program's limit is
// assembled under the least-band numbering found, its rows and columns then put back in order.
StiffnessOutcome model_stiffness(const PlateModel& model) {
  if (model_half_bandwidth(model) <= limits::max_band) {
    return assemble_model_stiffness(model);
  }
  const meshing::Numbering numbering = meshing::best_numbering(model).numbering;
  StiffnessOutcome outcome = assemble_model_stiffness(meshing::renumbered(model, numbering));
  auto* renumbered = std::get_if<std::vector<double>>(&outcome);
  if (renumbered == nullptr) {
    return outcome;
  }
  const std::size_t n = 3 * model.nodes.size();
  std::vector<std::size_t> moved(n);  // own equation -> equation under the numbering
  for (std::size_t i = 0; i < n; ++i) {
    moved[i] = 3 * static_cast<std::size_t>(numbering[i / 3] - 1) + i % 3;
  }
  std::vector<double> k(n * n);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      k[i * n + j] = (*renumbered)[moved[i] * n + moved[j]];
    }
  }
  return k;
}

Finding unchecked_mechanisms() {
  return {Severity::note,
          "mechanism-unchecked",
          0,
          0,
          0,
          0,
          "mechanisms were not looked for, since the errors above prevent forming the "
          "stiffness: correct them and check again"};
}

// What the stiffness shows: its own stop (when the checks above missed it), or the mechanisms.
Findings stiffness_findings(const PlateModel& model, const Findings& found) {
  if (std::any_of(found.begin(), found.end(), stops_assembly)) {
    return {unchecked_mechanisms()};
  }
  const StiffnessOutcome stiffness = model_stiffness(model);
  if (const auto* stop = std::get_if<AnalysisStop>(&stiffness)) {
    if (stop->kind == AnalysisStop::Kind::band_limit) {
      return {unchecked_mechanisms()};
    }
    return {{Severity::error, "invalid-geometry", 0, 0, stop->element, 0,
             describe_stop(*stop) + ": the run stops"}};
  }
  return find_mechanisms(model, std::get<std::vector<double>>(stiffness));
}

}  // namespace

Findings check_data_file(const std::string& text) {
  Findings findings = decimal_comma_findings(text);
  std::istringstream data(text);
  const ModelReading reading = read_plate_model(data);
  if (const auto* stop = std::get_if<AnalysisStop>(&reading)) {
    findings.push_back(reading_stop_finding(*stop));
    return findings;
  }
  const PlateModel& model = std::get<PlateModel>(reading);
  const Findings model_findings = check_plate_model(model);
  findings.insert(findings.end(), model_findings.begin(), model_findings.end());
  const Findings mechanisms = stiffness_findings(model, findings);
  findings.insert(findings.end(), mechanisms.begin(), mechanisms.end());
  return findings;
}

}  // namespace lajefem
