// lajefem-tools export: analyses a data file in memory and writes ParaView files, SVG contour
// maps and CSV tables of its results, then prints a summary. Nothing is written when the
// analysis stops; the files appear together or not at all.
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <variant>

#include "analysis/analysis.hpp"
#include "checking/findings.hpp"
#include "checking/mechanisms.hpp"
#include "files/run_files.hpp"
#include "files/staged_folder.hpp"
#include "model/store_limits.hpp"
#include "postprocessing/combinations.hpp"
#include "postprocessing/export_files.hpp"
#include "postprocessing/export_summary.hpp"
#include "postprocessing/result_fields.hpp"
#include "postprocessing/result_sets.hpp"
#include "sparse/sparse_analysis.hpp"
#include "tools/arguments.hpp"
#include "tools/input_file.hpp"
#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

namespace {

namespace fs = std::filesystem;

constexpr const char* export_help =
    "Usage: lajefem-tools export DATAFILE [-o DIR] [--w-up | --w-down] [--only vtu,svg,csv]\n"
    "                            [--allow-spurious] [--combination NAME=EXPR]... [--envelope]\n"
    "\n"
    "Analyses DATAFILE as lajefem does (without its log or report) and writes, for NAME the\n"
    "data file's name without its extension:\n"
    "  NAME.pvd, NAME-caseK.vtu      ParaView: nodal and element fields of each load case\n"
    "  NAME-caseK-FIELD.svg          contour maps of w, Mx, My, Mxy, M1, M2, Mx_bottom,\n"
    "                                My_bottom, Mx_top and My_top\n"
    "  NAME-nodes.csv                a row per node and load case\n"
    "  NAME-points.csv               a row per element Gauss point and load case\n"
    "  NAME-C.vtu, NAME-C-FIELD.svg  the same for each combination C, with rows in the tables\n"
    "  NAME-E.vtu, NAME-E.csv,       an envelope E, envelope (--envelope) or C-envelope (a\n"
    "  NAME-E-FIELD.svg              combination C with pattern terms): the greatest and least\n"
    "                                value of every node field with the set that governs it;\n"
    "                                maps of the extreme w and Wood-Armer moments\n"
    "and prints a summary: load and reaction sums, largest deflection, extreme moments.\n"
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
    "  -h, --help         show this text\n"
    "\n"
    "Exit status: 0 files written, 1 the data file cannot be read or analysed, or its results\n"
    "carry the spurious checkerboard (nothing is written), or a file cannot be written, 2 a\n"
    "wrong command line.\n";

struct ExportOptions {
  fs::path data_file;
  fs::path folder;  // empty: the data file's folder
  WDirection direction = WDirection::up;
  ExportKinds kinds;
  std::vector<Combination> combinations;
  bool envelope = false;
  bool allow_spurious = false;
  bool help = false;
};

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
    } else if (word == "--combination") {
      options.combinations.push_back(combination_option(cursor.value_for(word)));
    } else if (word == "--envelope") {
      options.envelope = true;
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

// Counts within the store's limits: the program's own steps (results identical to lajefem's
// report, its stop on a half-bandwidth above the limit included); counts beyond them: the sparse
// engine.
AnalysisResults analysed_results(const PlateModel& model, const fs::path& data_file) {
  const auto breach = store_limit_breach(model);
  const bool sparse_engine = breach && breach->what != "half-bandwidth";
  AnalysisOutcome outcome =
      sparse_engine ? sparse::analyse_plate_model_sparse(model) : analyse_plate_model(model);
  if (const auto* stop = std::get_if<AnalysisStop>(&outcome)) {
    throw InputError(data_file.string() + ": " + explain_stop(*stop, &model));
  }
  return std::get<AnalysisResults>(std::move(outcome));
}

// The warning that the results carry the element's spurious checkerboard, empty when they do
// not: the check's finding on the model, or the pattern's measure in a computed deflection. Without
// --allow-spurious such results are refused, as a mechanism stops the analysis.
std::string spurious_warning(const PlateModel& model, const AnalysisResults& results,
                             const ExportOptions& options) {
  std::string explanation = explain_soft_spurious(model);
  if (explanation.empty()) {
    const double ratio = solution_pattern_measure(model, results);
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

}  // namespace

int run_export(const Words& words, ToolStreams& streams) {
  const ExportOptions options = parse_export_options(words);
  if (options.help) {
    streams.out << export_help;
    return 0;
  }
  const PlateModel model = read_model(options.data_file);
  check_combination_options(options, model);
  const AnalysisResults results = analysed_results(model, options.data_file);
  const std::string warning = spurious_warning(model, results, options);
  const ResultSets sets =
      result_sets(model, results, options.combinations, options.envelope, options.direction);
  const fs::path folder = output_folder(options);
  const std::string name = options.data_file.stem().string();
  const std::vector<OutputFile> files = export_files(
      model, sets.sets, sets.envelopes, name, options.direction, options.kinds,
      warning.empty() ? ""
                      : "WARNING: spurious checkerboard in these results, do not design from them");
  write_output_files(files, folder, options.data_file);
  if (!warning.empty()) {
    streams.err << "lajefem-tools export: warning: " << warning << '\n';
    streams.out << "WARNING: " << warning << '\n';
  }
  write_summary(streams.out, model, sets.sets, options.direction);
  for (const Envelope& envelope : sets.envelopes) {
    write_envelope_summary(streams.out, model, envelope, options.direction);
  }
  streams.out << files.size() << " files written to " << folder.string() << '\n';
  return 0;
}

}  // namespace lajefem::tools
