#include "checking/model_check.hpp"

#include <algorithm>
#include <istream>
#include <utility>
#include <variant>

#include "analysis/analysis.hpp"
#include "checking/decimal_commas.hpp"
#include "checking/mechanisms.hpp"
#include "checking/model_checks.hpp"
#include "checking/sparse_part_stiffness.hpp"
#include "files/run_files.hpp"
#include "meshing/renumbering.hpp"
#include "model/equation_numbering.hpp"
#include "model/limits.hpp"
#include "sparse/sparse_analysis.hpp"
#include "sparse/sparse_assembly.hpp"
#include "steps/results_name.hpp"

namespace lajefem {

namespace {

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
  const bool refused_name =
      code == results_file_name_code && reading_failure(stop) == ReadingFailure::rejected;
  return {Severity::error,
          "data-error",
          stop.line,
          0,
          0,
          0,
          "the program stops reading in " + data_statement_name(code) + console + reason +
              (refused_name ? ": give the report a name of its own, neither the data file's nor "
                              "ZLIXO"
                            : ": correct the values there against the record layout of the data "
                              "file")};
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

// What the sparse stiffness shows: the element loop's stop (when the checks above missed it),
// or the mechanisms.
Findings sparse_stiffness_findings(const PlateModel& model, const Findings& found) {
  if (std::any_of(found.begin(), found.end(), stops_assembly)) {
    return {unchecked_mechanisms()};
  }
  if (const auto stop = sparse::element_stop(model)) {
    return {{Severity::error, "invalid-geometry", 0, 0, stop->element, 0,
             describe_stop(*stop) + ": the run stops"}};
  }
  return find_mechanisms(model, model_sparse_stiffness(model));
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

bool is_error(const Finding& finding, const char* code) {
  return finding.severity == Severity::error && finding.code == code;
}

// A finding of the check's own rules that says why the run stops as it does.
bool explains_stop(const Finding& finding, const AnalysisStop& stop) {
  using Kind = AnalysisStop::Kind;
  switch (stop.kind) {
    case Kind::band_limit:
      return is_error(finding, "limit");
    case Kind::unknown_element_type:
      return is_error(finding, "element-type") && finding.element == stop.element;
    case Kind::invalid_geometry:
      return is_error(finding, "invalid-geometry") && finding.element == stop.element;
    case Kind::local_mechanism:
      return is_error(finding, "mechanism-local") &&
             finding.node == equation_owner(stop.equation).node;
    case Kind::unknown_load_type:
      return is_error(finding, "load-type");
    case Kind::global_mechanism:
      // A soft pattern is held, only weakly: it does not stop the solver by itself.
      return finding.severity == Severity::error && finding.code.rfind("mechanism-", 0) == 0 &&
             finding.code != "mechanism-soft-spurious";
    case Kind::data_error:
      return false;
  }
  return false;
}

// Bending rigidity E·t³ / (12 (1 − ν²)) of the plate, kN·m.
double bending_rigidity(const PlateModel& model) {
  const double e = model.elastic_modulus_gpa * 1e6;
  const double t = model.thickness;
  const double nu = model.poisson_ratio;
  return e * t * t * t / (12 * (1 - nu * nu));
}

// A global-mechanism stop that no mechanism of the stiffness explains: the supports hold the
// plate, but the solver's pivots fall below its fixed tolerance.
Finding pivot_stop_finding(const PlateModel& model) {
  const double rigidity = bending_rigidity(model);
  const std::string why =
      rigidity < 1 ? "the plate is too weak and flexible for that tolerance (its bending "
                     "rigidity E·t³/(12(1 − ν²)) is " +
                         number_text(rigidity) +
                         " kN·m, where a concrete slab 0.2 m thick has about 20000): check "
                         "that E is in GPa and t in m; a plate this flexible cannot be "
                         "analysed by the program, whose tolerance is fixed"
                   : "its stiffness is too ill-conditioned for that tolerance (bending rigidity " +
                         number_text(rigidity) +
                         " kN·m): springs many orders stiffer than the plate, or elements of "
                         "very different sizes; bring the springs nearer the plate's stiffness";
  return {Severity::error,
          "solver-pivot",
          0,
          0,
          0,
          0,
          "the run stops with a global mechanism (\"POSSÍVEL MECANISMO GLOBAL\") although the "
          "supports hold the plate: the solver finds no pivot above its tolerance of 0.0001, "
          "because " +
              why};
}

// A stop of the sparse engine's factorisation that no mechanism explains: a pivot not positive,
// or cancelled to below 1e-12 of its diagonal, at a freedom that the supports seem to hold.
Finding sparse_pivot_stop_finding(const AnalysisStop& stop) {
  return {Severity::error,
          "solver-pivot",
          0,
          equation_owner(stop.equation).node,
          0,
          0,
          describe_stop(stop) +
              ", although no mechanism is found: the sparse engine's factorisation finds a "
              "pivot there that is not positive or that cancels to below 1e-12 of its "
              "diagonal, because springs are negative or the stiffness is too ill-conditioned "
              "(springs many orders stiffer than the plate, elements of very different sizes); "
              "bring the springs nearer the plate's stiffness"};
}

// The run's own stop as an error: the findings of the rules that explain it stand for it, and
// a stop that none explains is an error of its own, with what the check can say of it.
void report_run_stop(const PlateModel& model, const AnalysisStop& stop, bool sparse_engine,
                     Findings& findings) {
  if (std::any_of(findings.begin(), findings.end(),
                  [&](const Finding& finding) { return explains_stop(finding, stop); })) {
    return;
  }
  if (stop.kind == AnalysisStop::Kind::global_mechanism) {
    findings.push_back(sparse_engine && stop.equation > 0 ? sparse_pivot_stop_finding(stop)
                                                          : pivot_stop_finding(model));
    return;
  }
  findings.push_back({Severity::error, "run-stop", 0, 0, stop.element, 0,
                      describe_stop(stop) + ": the run stops there"});
}

// A mechanism that the null space shows but that the solver, by round-off, gets through: the
// run completes, and what the finding says of the stop is put right.
void correct_claimed_stops(Findings& findings) {
  const std::pair<std::string, std::string> corrections[] = {
      {"the run stops with a global mechanism or gives a huge checkerboard deflection",
       "the run goes through only by round-off, with a huge checkerboard deflection"},
      {"the run stops with a global mechanism",
       "the run goes through only by round-off, and its results are meaningless"},
  };
  for (Finding& finding : findings) {
    if (finding.code.rfind("mechanism-", 0) != 0) {
      continue;
    }
    for (const auto& [claim, correction] : corrections) {
      for (auto at = finding.message.find(claim); at != std::string::npos;
           at = finding.message.find(claim)) {
        finding.message.replace(at, claim.size(), correction);
      }
    }
  }
}

// Why the report cannot be written under the results name in `folder`, or nothing: it replaces
// only a writable plain file, and it is written in the folder that the name leads to.
std::string unwritable_results_reason(const std::filesystem::path& folder,
                                      const std::string& results_name) {
  namespace fs = std::filesystem;
  const fs::path results = folder / results_name;
  std::error_code error;
  const fs::file_status existing = fs::status(results, error);
  if (fs::exists(existing)) {
    return is_replaceable_file(existing) ? ""
           : fs::is_directory(existing)  ? "it is a folder"
                                         : "it is read-only";
  }
  return fs::is_directory(results.parent_path(), error) ? "" : "its folder does not exist";
}

// The run goes through its analysis and then cannot write its report: it stops there.
void check_results_file(const std::filesystem::path& folder, const PlateModel& model,
                        Findings& findings) {
  const std::string reason = unwritable_results_reason(folder, model.results_name);
  if (!reason.empty()) {
    findings.push_back(
        {Severity::error, "results-file", 0, 0, 0, 0,
         "the results file " + model.results_name + " cannot be written, since " + reason +
             " (the run stops after its analysis with \"ERRO: não foi possível escrever o "
             "ficheiro de resultados\"): name a plain file in the data file's folder, in "
             "quotes if the name holds a slash"});
  }
}

// The folder in which lajefem would run on the data file: the file's own.
std::filesystem::path run_folder(const std::filesystem::path& data_file) {
  return data_file.has_parent_path() ? data_file.parent_path() : std::filesystem::path(".");
}

// The limit finding of a model that the sparse engine analyses: lajefem stops on it, export
// does not. Under the banded solver the limit stops the check's analysis too.
Finding store_limit_finding(const std::string& breach, CheckSolver solver) {
  const std::string limits =
      " (the program's store holds at most 300 nodes, 400 elements, 60 supports, 4 load cases, "
      "80 loads per case and a half-bandwidth of 120)";
  if (solver == CheckSolver::banded) {
    return {Severity::error,
            "limit",
            0,
            0,
            0,
            0,
            "the model exceeds the program's limits: " + breach + limits +
                ", and --solver banded runs the program's own steps, which cannot hold it: "
                "check it with --solver sparse (the default beyond the limits), which analyses "
                "it as lajefem-tools export does, or make the model smaller"};
  }
  return {Severity::warning,
          "limit",
          0,
          0,
          0,
          0,
          "lajefem stops on this model: " + breach + limits +
              "; lajefem-tools export analyses it with the sparse engine, and the findings "
              "below are that engine's"};
}

bool is_band_limit(const Finding& finding) {
  return finding.code == "limit";
}

// The checks of a model, its mechanisms and the sparse engine's run, `findings` holding those
// made before (the reading's, the limit's).
void check_with_sparse_engine(const PlateModel& model, Findings& findings) {
  const Findings mechanisms = sparse_stiffness_findings(model, findings);
  findings.insert(findings.end(), mechanisms.begin(), mechanisms.end());
  const AnalysisOutcome outcome = sparse::analyse_plate_model_sparse(model);
  if (const auto* stop = std::get_if<AnalysisStop>(&outcome)) {
    report_run_stop(model, *stop, true, findings);
  } else {
    correct_claimed_stops(findings);
  }
}

}  // namespace

Findings check_model_beyond_store(const PlateModel& model, const std::string& breach,
                                  CheckSolver solver) {
  Findings findings{store_limit_finding(breach, solver)};
  Findings model_findings = check_plate_model(model);
  // The band is one of the store's limits, which the finding above names.
  model_findings.erase(std::remove_if(model_findings.begin(), model_findings.end(), is_band_limit),
                       model_findings.end());
  findings.insert(findings.end(), model_findings.begin(), model_findings.end());
  check_with_sparse_engine(model, findings);
  return findings;
}

Findings check_data_file(std::istream& data, const std::filesystem::path& data_file,
                         CheckSolver solver) {
  DecimalCommaScan scan(*data.rdbuf());
  std::istream scanned(&scan);
  const std::filesystem::path folder = run_folder(data_file);
  const ModelReading reading =
      read_plate_model_as_run(scanned, folder, data_file.filename().string());
  Findings findings = scan.findings();
  if (const auto* stop = std::get_if<AnalysisStop>(&reading)) {
    findings.push_back(reading_stop_finding(*stop));
    return findings;
  }
  const PlateModel& model = std::get<PlateModel>(reading);
  const Findings model_findings = check_plate_model(model);
  findings.insert(findings.end(), model_findings.begin(), model_findings.end());
  if (solver == CheckSolver::sparse) {
    check_with_sparse_engine(model, findings);
    check_results_file(folder, model, findings);
    return findings;
  }
  const Findings mechanisms = stiffness_findings(model, findings);
  findings.insert(findings.end(), mechanisms.begin(), mechanisms.end());
  const AnalysisOutcome outcome = analyse_plate_model(model);
  if (const auto* stop = std::get_if<AnalysisStop>(&outcome)) {
    report_run_stop(model, *stop, false, findings);
  } else {
    correct_claimed_stops(findings);
    check_results_file(folder, model, findings);
  }
  return findings;
}

}  // namespace lajefem
