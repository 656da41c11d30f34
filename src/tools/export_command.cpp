// lajefem-tools export: analyses a data file in memory and writes ParaView files, SVG contour
// maps and CSV tables of its results, then prints a summary. Nothing is written when the
// analysis stops; the files appear together or not at all.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <variant>

#include "analysis/analysis.hpp"
#include "checking/findings.hpp"
#include "checking/mechanisms.hpp"
#include "checking/model_check.hpp"
#include "files/run_files.hpp"
#include "files/staged_folder.hpp"
#include "model/store_limits.hpp"
#include "pages/report_page.hpp"
#include "postprocessing/combinations.hpp"
#include "postprocessing/csv_tables.hpp"
#include "postprocessing/export_files.hpp"
#include "postprocessing/export_summary.hpp"
#include "postprocessing/reinforcement_fields.hpp"
#include "postprocessing/result_fields.hpp"
#include "postprocessing/result_sets.hpp"
#include "postprocessing/section_totals.hpp"
#include "sparse/parallel_tasks.hpp"
#include "sparse/sparse_analysis.hpp"
#include "tools/arguments.hpp"
#include "tools/input_file.hpp"
#include "tools/reinforcement_option.hpp"
#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

namespace {

namespace fs = std::filesystem;

constexpr const char* export_help =
    "Usage: lajefem-tools export DATAFILE [-o DIR] [--w-up | --w-down] [--only vtu,svg,csv]\n"
    "                            [--allow-spurious] [--combination NAME=EXPR]... [--envelope]\n"
    "                            [--recovery patch|extrapolate]\n"
    "                            [--section x=C|y=C [--strip A:B]...]...\n"
    "                            [--reinforcement fck=F,fyk=F,cover=C[,...]] [--html]\n"
    "                            [--solver banded|sparse]\n"
    "\n"
    "Analyses DATAFILE as lajefem does (without its log or report) and writes, for NAME the\n"
    "data file's name without its extension:\n"
    "  NAME.pvd, NAME-caseK.vtu      ParaView: nodal and element fields of each load case\n"
    "  NAME-caseK-FIELD.svg          contour maps of w, Mx, My, Mxy, M1, M2, Mx_bottom,\n"
    "                                My_bottom, Mx_top and My_top\n"
    "  NAME-nodes.csv                a row per node and load case\n"
    "  NAME-points.csv               a row per element Gauss point and load case\n"
    "  NAME-sections.csv             a row per section cut, strip and load case (with --section)\n"
    "  NAME-C.vtu, NAME-C-FIELD.svg  the same for each combination C, with rows in the tables\n"
    "  NAME-E.vtu, NAME-E.csv,       an envelope E, envelope (--envelope) or C-envelope (a\n"
    "  NAME-E-FIELD.svg              combination C with pattern terms): the greatest and least\n"
    "                                value of every node field with the set that governs it;\n"
    "                                maps of the extreme w and Wood-Armer moments\n"
    "and prints a summary: load and reaction sums, largest deflection, extreme moments.\n"
    "A model of more than 4 load cases, which lajefem cannot run, is read without its limits\n"
    "and analysed by the sparse engine.\n"
    "A model of more than 20000 nodes gets binary VTU files (the same arrays, appended raw);\n"
    "a mesh of more than 10000 elements is mapped without its element edges, each band one\n"
    "path sampled at the picture's pixels.\n"
    "\n"
    "Options:\n"
    "  -o, --output DIR   folder of the files (default: the data file's folder; made if absent)\n"
    "  --w-up             +w points up, gravity loads are negative (default): positive moments\n"
    "                     stretch the top face\n"
    "  --w-down           +w points down, gravity loads are positive: positive moments stretch\n"
    "                     the bottom face\n"
    "  --only LIST        write only these kinds of file: vtu, svg, csv, separated by commas\n"
    "  --combination NAME=EXPR\n"
    "                     a load combination (repeatable): EXPR a sum of terms FACTOR*CASE,\n"
    "                     load cases numbered from 1, e.g. ULS=1.35*1+1.5*2; a term FACTOR?CASE\n"
    "                     is a pattern term, taken only where it is unfavourable, and makes the\n"
    "                     combination an envelope (ULS=1.35*1+1.5?2+1.5?3). NAME: letters,\n"
    "                     digits, _ and -, at most 16 characters, not a case's (2, case2) nor\n"
    "                     envelope\n"
    "  --envelope         write the envelope over all combinations (without any, over the load\n"
    "                     cases): NAME-envelope.csv, .vtu and maps\n"
    "  --allow-spurious   write the results of a model whose element checkerboard is soft\n"
    "                     (an even number of elements between point supports), which export\n"
    "                     refuses otherwise; the summary, standard error and every map then\n"
    "                     carry a warning\n"
    "  --recovery HOW     nodal moments and shear forces: patch (default), quadratic\n"
    "                     polynomials fitted over a patch of elements around each node, each\n"
    "                     element value placed where the element is accurate; extrapolate, the\n"
    "                     Gauss-point values extrapolated to each element's corners and averaged\n"
    "                     (lower at clamped edges and over supports). The element and Gauss-point\n"
    "                     tables are the program's own values either way\n"
    "  --section x=C      totals across the line x = C (or y = C): the moment (kN·m), twisting\n"
    "                     moment (kN·m) and shear (kN) carried across it, in the summary and in\n"
    "                     NAME-sections.csv; repeatable. On a grid line from the nodal forces of\n"
    "                     the elements below the line (statics holds exactly), through elements\n"
    "                     from their moments and shear forces integrated along the line\n"
    "  --strip A:B        after --section: only the stretch A..B along the cut (y for x = C);\n"
    "                     repeatable. On a grid line an element counts when its centre is in\n"
    "                     the stretch (A included, B not), and the totals give the extent of\n"
    "                     the elements counted\n"
    "  --reinforcement fck=F,fyk=F,cover=C[,bar=D][,gamma_c=G][,gamma_s=G][,alpha_cc=A]\n"
    "                     bar areas per metre (cm2/m) of the x and y bars of both faces from\n"
    "                     the design moments: fck, fyk in MPa (fck at most 50), cover to the\n"
    "                     outer (x) bars and bar diameter in m (bar 0.012, gamma_c 1.5,\n"
    "                     gamma_s 1.15, alpha_cc 1 unless given); adds As_* columns (area to\n"
    "                     provide, _req required, As_x_min, As_y_min, too_thin) to the tables\n"
    "                     and VTU files of every case, combination and envelope, their maps\n"
    "                     (NAME-caseK-As_x_bottom.svg, ...; the envelope's greatest areas)\n"
    "                     and summary lines; a node too thin for tension bars alone has no\n"
    "                     area (nan) and is named\n"
    "  --html             also write NAME.html, one self-contained report page (model, check,\n"
    "                     equilibrium, extremes, reactions and maps of every case and\n"
    "                     combination, the envelopes) to read on screen or print to PDF\n"
    "                     from a browser\n"
    "  --solver banded|sparse\n"
    "                     the solver: banded runs lajefem's own steps (the results of its\n"
    "                     report), for a model within its limits (300 nodes, 400 elements, 60\n"
    "                     support records, 4 load cases of 80 loads, half-bandwidth 120);\n"
    "                     sparse factorises the sparse stiffness (CHOLMOD), at any size.\n"
    "                     Default: banded within those limits, sparse beyond them\n"
    "  -h, --help         show this text\n"
    "\n"
    "Exit status: 0 files written, 1 the data file cannot be read or analysed, or its results\n"
    "carry the spurious checkerboard (nothing is written), or a file cannot be written, 2 a\n"
    "wrong command line.\n";

// The program's own steps with its banded solver, or the sparse engine.
enum class Solver { banded, sparse };

struct ExportOptions {
  fs::path data_file;
  fs::path folder;  // empty: the data file's folder
  WDirection direction = WDirection::up;
  ExportKinds kinds;
  std::vector<Combination> combinations;
  bool envelope = false;
  bool allow_spurious = false;
  NodalRecovery recovery = NodalRecovery::patch;
  std::vector<SectionCut> sections;
  std::optional<ReinforcementParameters> reinforcement;
  bool html = false;
  std::optional<Solver> solver;  // none: banded within the store's limits, sparse beyond
  bool help = false;
};

double parsed_length(const std::string& text, const std::string& option) {
  std::size_t used = 0;
  double value = 0;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || !std::isfinite(value)) {
    throw UsageError(option + ": '" + text + "' is not a number");
  }
  return value;
}

// "x=6" or "y=4.5".
SectionCut parse_section(const std::string& text) {
  if (text.size() < 3 || (text[0] != 'x' && text[0] != 'y') || text[1] != '=') {
    throw UsageError("--section: '" + text + "' is not x=C or y=C");
  }
  return {text[0] == 'x' ? CutAxis::x : CutAxis::y, parsed_length(text.substr(2), "--section"), {}};
}

// "A:B" with A below B.
StripLimits parse_strip(const std::string& text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) {
    throw UsageError("--strip: '" + text + "' is not A:B");
  }
  const StripLimits strip{parsed_length(text.substr(0, colon), "--strip"),
                          parsed_length(text.substr(colon + 1), "--strip")};
  if (!(strip.from < strip.to)) {
    throw UsageError("--strip: '" + text + "' needs A below B");
  }
  return strip;
}

NodalRecovery parse_recovery(const std::string& how) {
  if (how == "patch") {
    return NodalRecovery::patch;
  }
  if (how == "extrapolate") {
    return NodalRecovery::extrapolate;
  }
  throw UsageError("--recovery: unknown way '" + how + "' (patch, extrapolate)");
}

Solver parse_solver(const std::string& name) {
  if (name == "banded") {
    return Solver::banded;
  }
  if (name == "sparse") {
    return Solver::sparse;
  }
  throw UsageError("--solver: unknown solver '" + name + "' (banded, sparse)");
}

ExportKinds parse_kinds(const std::string& list) {
  ExportKinds kinds{false, false, false};
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    const std::string kind = list.substr(start, comma - start);
    if (kind == "vtu") {
      kinds.vtu = true;
    } else if (kind == "svg") {
      kinds.svg = true;
    } else if (kind == "csv") {
      kinds.csv = true;
    } else {
      throw UsageError("--only: unknown kind '" + kind + "' (vtu, svg, csv)");
    }
    start = comma + 1;
  }
  return kinds;
}

Combination combination_option(const std::string& definition) {
  try {
    return parse_combination(definition);
  } catch (const CombinationError& error) {
    throw UsageError(std::string("--combination: ") + error.what());
  }
}

// A combination of a load case the model does not have, or a name given twice, is a wrong
// command line, known once the model is read.
void check_combination_options(const ExportOptions& options, const PlateModel& model) {
  try {
    check_combinations(options.combinations, model.load_cases.size());
  } catch (const CombinationError& error) {
    throw UsageError(std::string("--combination: ") + error.what());
  }
}

ExportOptions parse_export_options(const Words& words) {
  ExportOptions options;
  ArgumentCursor cursor(words);
  bool direction_given = false;
  while (!cursor.done()) {
    const std::string word = cursor.next();
    if (word == "-h" || word == "--help") {
      options.help = true;
    } else if (word == "-o" || word == "--output") {
      cursor.take_once("-o");
      options.folder = cursor.value_for(word);
      if (options.folder == "-") {
        throw UsageError(word +
                         " names a folder for the files: export writes several, so not "
                         "to standard output");
      }
    } else if (word == "--w-up" || word == "--w-down") {
      const WDirection direction = word == "--w-up" ? WDirection::up : WDirection::down;
      if (direction_given && direction != options.direction) {
        throw UsageError("--w-up and --w-down exclude each other");
      }
      options.direction = direction;
      direction_given = true;
    } else if (word == "--allow-spurious") {
      options.allow_spurious = true;
    } else if (word == "--html") {
      options.html = true;
    } else if (word == "--reinforcement") {
      cursor.take_once(word);
      options.reinforcement = parse_reinforcement_option(cursor.value_for(word));
    } else if (word == "--combination") {
      options.combinations.push_back(combination_option(cursor.value_for(word)));
    } else if (word == "--solver") {
      cursor.take_once(word);
      options.solver = parse_solver(cursor.value_for(word));
    } else if (word == "--envelope") {
      options.envelope = true;
    } else if (word == "--recovery") {
      cursor.take_once(word);
      options.recovery = parse_recovery(cursor.value_for(word));
    } else if (word == "--section") {
      options.sections.push_back(parse_section(cursor.value_for(word)));
    } else if (word == "--strip") {
      if (options.sections.empty()) {
        throw UsageError("--strip follows the --section it limits");
      }
      options.sections.back().strips.push_back(parse_strip(cursor.value_for(word)));
    } else if (word == "--only") {
      cursor.take_once(word);
      options.kinds = parse_kinds(cursor.value_for(word));
    } else if (word.size() > 1 && word[0] == '-') {
      throw UsageError("unknown option " + word);
    } else if (options.data_file.empty()) {
      options.data_file = word;
    } else {
      throw UsageError("one data file only: '" + word + "'");
    }
  }
  if (options.data_file.empty() && !options.help) {
    throw UsageError("no data file");
  }
  return options;
}

// The one place where a stop of the analysis becomes the command's message. A mechanism is
// explained from the model as `lajefem-tools check` explains it, its lines joined into one.
std::string explain_stop(const AnalysisStop& stop, const PlateModel* model = nullptr) {
  const bool mechanism = stop.kind == AnalysisStop::Kind::global_mechanism ||
                         stop.kind == AnalysisStop::Kind::local_mechanism;
  std::string explanation = mechanism && model != nullptr ? explain_mechanisms(*model) : "";
  if (explanation.empty()) {
    return describe_stop(stop);
  }
  explanation.pop_back();
  for (auto end = explanation.find('\n'); end != std::string::npos; end = explanation.find('\n')) {
    explanation.replace(end, 1, "; ");
  }
  const bool global = stop.kind == AnalysisStop::Kind::global_mechanism;
  return std::string("the analysis stops with a ") + (global ? "global" : "local") +
         " mechanism: " + explanation;
}

PlateModel read_model(const fs::path& data_file) {
  std::ifstream data = open_input_file(data_file.string());
  ModelReading reading = read_plate_model_any_size(data);
  if (const auto* stop = std::get_if<AnalysisStop>(&reading)) {
    throw InputError(data_file.string() + ": " + explain_stop(*stop));
  }
  PlateModel model = std::get<PlateModel>(std::move(reading));
  // The program analyses a model of supported nodes alone, but there is no plate to draw.
  if (model.elements.empty()) {
    throw InputError(data_file.string() +
                     ": the model has no elements: there is no plate to export");
  }
  return model;
}

// The solver asked for, or the one the model's size chooses. The banded solver is refused a model
// beyond the store's limits, naming the limit.
Solver chosen_solver(const ExportOptions& options, const PlateModel& model) {
  const auto breach = store_limit_breach(model);
  if (!options.solver) {
    return breach ? Solver::sparse : Solver::banded;
  }
  if (*options.solver == Solver::banded && breach) {
    const bool band = breach->what == "half-bandwidth";
    throw InputError(
        options.data_file.string() + ": " + describe_breach(*breach) + " of the banded solver; " +
        (band ? "renumber the nodes (lajefem-tools renumber) or " : "") + "use --solver sparse");
  }
  return *options.solver;
}

// The summary's line on the solver that ran.
std::string solver_line(Solver solver) {
  return solver == Solver::banded ? "solver: banded, lajefem's own steps\n"
                                  : "solver: sparse Cholesky (CHOLMOD)\n";
}

AnalysisResults analysed_results(const PlateModel& model, const fs::path& data_file,
                                 Solver solver) {
  AnalysisOutcome outcome = solver == Solver::banded ? analyse_plate_model(model)
                                                     : sparse::analyse_plate_model_sparse(model);
  if (const auto* stop = std::get_if<AnalysisStop>(&outcome)) {
    throw InputError(data_file.string() + ": " + explain_stop(*stop, &model));
  }
  return std::get<AnalysisResults>(std::move(outcome));
}

// Parameters of --reinforcement outside the method's range for this slab are a usage error.
void check_reinforcement_option(const ExportOptions& options, const PlateModel& model) {
  if (options.reinforcement) {
    const std::string fault =
        reinforcement_parameter_fault(*options.reinforcement, model.thickness);
    if (!fault.empty()) {
      throw UsageError("--reinforcement: " + fault);
    }
  }
}

// The reinforcement areas beside the design moments of every set and envelope, when asked for.
void add_reinforcement(ResultSets& sets, const PlateModel& model, const ExportOptions& options) {
  if (!options.reinforcement) {
    return;
  }
  for (CaseFields& fields : sets.sets) {
    append_reinforcement_fields(fields.nodes, *options.reinforcement, model.thickness);
  }
  for (Envelope& envelope : sets.envelopes) {
    append_envelope_reinforcement(envelope, *options.reinforcement, model.thickness);
  }
}

// What the check finds of the element's spurious checkerboard in the model itself: its stiffness
// and the explanation of the pattern held soft in it, empty when there is none. Beyond the store's
// limits neither is formed: the model's own measure (an eigen-solve and a solve of its own per
// part) would cost several analyses, and the computed deflections carry the pattern as plainly.
struct ModelPatternCheck {
  ModelStiffness stiffness;
  std::string explanation;
};

ModelPatternCheck model_pattern_check(const PlateModel& model) {
  ModelPatternCheck check;
  if (!store_limit_breach(model)) {
    check.stiffness = model_stiffness_any_size(model);
    check.explanation = explain_soft_spurious(model, check.stiffness);
  }
  return check;
}

// The warning that the results carry the element's spurious checkerboard, empty when they do
// not: the check's explanation on the model, or the pattern's measure in a computed deflection.
// Without --allow-spurious such results are refused, as a mechanism stops the analysis.
std::string spurious_warning(const PlateModel& model, const AnalysisResults& results,
                             const ExportOptions& options, const ModelPatternCheck& check) {
  std::string explanation = check.explanation;
  if (explanation.empty()) {
    const double ratio = check.stiffness.formed()
                             ? solution_pattern_measure(model, check.stiffness, results)
                             : solution_pattern_measure(model, results);
    if (ratio > solution_pattern_limit()) {
      explanation =
          "the computed deflections carry the element's spurious checkerboard (w "
          "alternating from node to node): their element patterns would cost " +
          number_text(ratio) +
          " times the energy they store if the plate made them by smooth bending; "
          "mesh with an odd number of elements between neighbouring point supports";
    }
  }
  if (!explanation.empty() && !options.allow_spurious) {
    throw InputError(options.data_file.string() + ": the analysis gives a spurious checkerboard: " +
                     explanation + " (give --allow-spurious to write the results with a warning)");
  }
  return explanation;
}

std::vector<SectionTotal> section_totals_of(const PlateModel& model, const AnalysisResults& results,
                                            const ExportOptions& options) {
  try {
    return section_totals(model, results, options.sections);
  } catch (const SectionError& error) {
    throw InputError(options.data_file.string() + ": " + error.message);
  }
}

// NAME-sections.csv among the tables, when cuts are asked for.
void add_section_file(std::vector<OutputFile>& files, const std::string& name,
                      const std::vector<SectionTotal>& sections, const ExportOptions& options) {
  if (sections.empty() || !options.kinds.csv) {
    return;
  }
  files.push_back({name + "-sections.csv",
                   [&sections](std::ostream& out) { write_section_table(out, sections); }});
}

// What the report page shows: the load cases, the reinforcement asked for and the findings of
// the model check on the data file.
ReportPage report_page(const PlateModel& model, const ResultSets& sets,
                       const ExportOptions& options, const std::string& warning) {
  ReportPage page;
  page.name = options.data_file.stem().string();
  page.direction = options.direction;
  page.reinforcement = options.reinforcement;
  page.warning = warning;
  for (const CaseFields& fields : sets.sets) {
    page.cases.push_back({&fields, fields.title, fields.key, applied_set_load(model, fields)});
  }
  for (const Envelope& envelope : sets.envelopes) {
    page.envelopes.push_back(&envelope);
  }
  std::ifstream data = open_input_file(options.data_file.string());
  page.findings = check_data_file(data, options.data_file);
  return page;
}

fs::path output_folder(const ExportOptions& options) {
  fs::path folder = options.folder.empty() ? options.data_file.parent_path() : options.folder;
  if (folder.empty()) {
    folder = ".";
  }
  std::error_code error;
  if (fs::exists(folder, error) && !fs::is_directory(folder, error)) {
    throw InputError("a file named " + folder.string() +
                     " is in the way of the output folder: name another folder with -o");
  }
  return folder;
}

// The files of the export, the maps and the page bannered when `warning` is not empty; `page`
// holds the report page that the page's file writes.
std::vector<OutputFile> output_files(const PlateModel& model, const ResultSets& sets,
                                     const std::vector<SectionTotal>& sections,
                                     const ExportOptions& options, const std::string& warning,
                                     std::optional<ReportPage>& page) {
  const std::string name = options.data_file.stem().string();
  const std::string banner =
      warning.empty() ? ""
                      : "WARNING: spurious checkerboard in these results, do not design from them";
  std::vector<OutputFile> files = export_files(model, sets.sets, sets.envelopes, name,
                                               options.direction, options.kinds, banner);
  add_section_file(files, name, sections, options);
  if (options.html) {
    page = report_page(model, sets, options, banner);
    page->sections = sections;
    files.push_back({name + ".html", [&model, &page = *page](std::ostream& out) {
                       write_report_page(out, model, page);
                     }});
  }
  return files;
}

// The files formed in memory on every core, each then written as it stands.
std::vector<OutputFile> rendered_files(const std::vector<OutputFile>& files) {
  std::vector<std::string> texts(files.size());
  run_in_parallel(files.size(), [&](std::size_t i) {
    std::ostringstream out;
    files[i].write(out);
    texts[i] = std::move(out).str();
  });
  std::vector<OutputFile> rendered;
  for (std::size_t i = 0; i < files.size(); ++i) {
    rendered.push_back({files[i].name, [text = std::move(texts[i])](std::ostream& out) {
                          out.write(text.data(), static_cast<std::streamsize>(text.size()));
                        }});
  }
  return rendered;
}

// The files are written into a temporary folder and put in place together: the output folder
// appears complete or not at all, and an earlier set stays as it was unless the new one is
// complete. The data file itself is never replaced.
void write_output_files(const std::vector<OutputFile>& files, const fs::path& folder,
                        const fs::path& data_file) {
  for (const OutputFile& file : files) {
    if (designates_same_file(folder / file.name, data_file)) {
      throw InputError("the output file " + (folder / file.name).string() +
                       " would replace the data file");
    }
  }
  const std::unique_ptr<StagedFolder> staged = StagedFolder::make(folder);
  if (!staged) {
    throw InputError("cannot write in " + folder.string() +
                     ": check that the folder, or the one it is to be made in, may be written");
  }
  for (const OutputFile& file : files) {
    if (!staged->write(file.name, file.write)) {
      throw InputError("cannot write " + (folder / file.name).string() +
                       ": nothing is written (is the disk full?)");
    }
  }
  if (!staged->publish()) {
    throw InputError("cannot put the files in place in " + folder.string() +
                     " (a folder named as one of them, or a folder that may not be written): "
                     "nothing is changed");
  }
}

// The summary of what was exported: whether lajefem can run the model, each set's extremes and
// totals, each envelope's, and the section cuts.
void write_results_summary(std::ostream& out, const PlateModel& model, const ResultSets& sets,
                           const std::vector<SectionTotal>& sections, WDirection direction) {
  if (const auto breach = store_limit_breach(model)) {
    out << "lajefem cannot run this model (" << describe_breach(*breach) << ")\n";
  }
  write_summary(out, model, sets.sets, direction);
  for (const Envelope& envelope : sets.envelopes) {
    write_envelope_summary(out, model, envelope, direction);
  }
  write_section_summary(out, sections);
}

}  // namespace

int run_export(const Words& words, ToolStreams& streams) {
  const ExportOptions options = parse_export_options(words);
  if (options.help) {
    streams.out << export_help;
    return 0;
  }
  const PlateModel model = read_model(options.data_file);
  check_combination_options(options, model);
  check_reinforcement_option(options, model);
  const Solver solver = chosen_solver(options, model);
  // Within the store's limits the check's eigen-solve takes a core from the start, beside the
  // analysis and then beside the files, which are formed without a banner; the few that carry a
  // warning are formed again.
  const bool ahead = !store_limit_breach(model);
  std::future<ModelPatternCheck> check_ahead;
  if (ahead) {
    check_ahead = std::async(std::launch::async | std::launch::deferred,
                             [&model] { return model_pattern_check(model); });
  }
  const AnalysisResults results = analysed_results(model, options.data_file, solver);
  std::future<std::string> warning_ahead;
  if (ahead) {
    warning_ahead = std::async(std::launch::async | std::launch::deferred, [&] {
      return spurious_warning(model, results, options, check_ahead.get());
    });
  }
  std::string warning = ahead ? "" : spurious_warning(model, results, options, {});
  ResultSets sets;
  std::vector<SectionTotal> sections;
  fs::path folder;
  std::optional<ReportPage> page;
  std::vector<OutputFile> files;
  try {
    sets = result_sets(model, results, options.combinations, options.envelope, options.direction,
                       options.recovery);
    add_reinforcement(sets, model, options);
    folder = output_folder(options);
    sections = section_totals_of(model, results, options);
    files = ahead ? rendered_files(output_files(model, sets, sections, options, "", page))
                  : output_files(model, sets, sections, options, warning, page);
  } catch (...) {
    if (ahead) {
      warning_ahead.get();  // the warning's refusal comes first, as it would in order
    }
    throw;
  }
  if (ahead) {
    warning = warning_ahead.get();
    if (!warning.empty()) {
      files = output_files(model, sets, sections, options, warning, page);
    }
  }
  write_output_files(files, folder, options.data_file);
  if (!warning.empty()) {
    streams.err << "lajefem-tools export: warning: " << warning << '\n';
    streams.out << "WARNING: " << warning << '\n';
  }
  write_results_summary(streams.out, model, sets, sections, options.direction);
  streams.out << solver_line(solver);
  streams.out << files.size() << " files written to " << folder.string() << '\n';
  return 0;
}

}  // namespace lajefem::tools
