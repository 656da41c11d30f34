// lajefem-tools renumber: the same data file with its nodes renumbered for the least
// half-bandwidth found.
#include <fstream>
#include <memory>
#include <ostream>

#include "analysis/analysis.hpp"
#include "files/run_files.hpp"
#include "meshing/data_file_writer.hpp"
#include "meshing/renumbering.hpp"
#include "model/limits.hpp"
#include "tools/model_options.hpp"
#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

namespace {

constexpr const char* renumber_help =
    "Usage: lajefem-tools renumber IN -o OUT [--map MAP.csv] [--large]\n"
    "Renumbers the nodes of data file IN for the least half-bandwidth found (the file's own\n"
    "numbering, reverse Cuthill-McKee from several starts, sweeps along x and along y; never\n"
    "worse than IN's) and writes OUT: the same model, headings, element, support and load order,\n"
    "with node coordinates, element corners, support nodes and nodal-load nodes renumbered.\n"
    "\n"
    "  -o, --output OUT      data file to write, '-' for standard output   [required]\n"
    "  --map MAP.csv         write the old,new node numbers as CSV (another file than OUT)\n"
    "  --large               write OUT even though its half-bandwidth is above lajefem's\n"
    "                        limit of 120 (refused otherwise): lajefem cannot run it,\n"
    "                        lajefem-tools export can\n"
    "  -h, --help            show this text\n"
    "Exit status: 0 written, 1 IN cannot be used or no numbering fits the program's limits\n"
    "(nothing is written), 2 a wrong command line.\n";

struct RenumberOptions {
  std::string input;
  std::string output;
  std::string map;
  bool large = false;
};

RenumberOptions parse_renumber(const Words& words) {
  RenumberOptions options;
  ArgumentCursor cursor(words);
  while (!cursor.done()) {
    const std::string word = cursor.next();
    if (word == "-o" || word == "--output") {
      cursor.take_once("-o");
      options.output = cursor.value_for(word);
    } else if (word == "--map") {
      cursor.take_once(word);
      options.map = cursor.value_for(word);
    } else if (word == "--large") {
      options.large = true;
    } else {
      take_input_file(word, options.input);
    }
  }
  if (options.input.empty() || options.output.empty()) {
    throw UsageError("give the data file to renumber and -o OUT");
  }
  if (options.map == "-") {
    throw UsageError(
        "--map: give a file name (standard output carries the data file or the summary)");
  }
  if (!options.map.empty() && options.output != "-" &&
      (options.map == options.output || designates_same_file(options.map, options.output))) {
    throw UsageError("--map and -o name the same file: choose another for the map");
  }
  return options;
}

struct ReadDataFile {
  PlateModel model;
  meshing::DataFileHeadings headings;
};

ReadDataFile read_data_file_named(const std::string& path) {
  std::ifstream in = open_input_file(path);
  const ModelReading reading = read_plate_model(in);
  if (const auto* stop = std::get_if<AnalysisStop>(&reading)) {
    throw InputError(path + ": " + describe_stop(*stop));
  }
  const PlateModel& model = std::get<PlateModel>(reading);
  in.clear();
  in.seekg(0);
  return {model, meshing::read_data_file_headings(in, model)};
}

void write_map(std::ostream& out, const meshing::Numbering& numbering) {
  out << "old,new\n";
  for (std::size_t old = 0; old < numbering.size(); ++old) {
    out << old + 1 << ',' << numbering[old] << '\n';
  }
}

// The data file and the map are both written aside before either is put in place, and the map
// only once the data file is: a refused or failed run leaves an earlier map as it was.
void write_renumbered(const PlateModel& model, const meshing::DataFileHeadings& headings,
                      const RenumberOptions& options, const meshing::Numbering& numbering,
                      const std::string& summary, ToolStreams& streams) {
  const auto write_data = [&](std::ostream& out) {
    meshing::write_data_file(out, model, headings);
  };
  std::unique_ptr<StagedFile> data;
  if (options.output != "-") {
    data = stage_output_file(options.output, options.input, write_data);
  }
  std::unique_ptr<StagedFile> map;
  if (!options.map.empty()) {
    map = stage_output_file(options.map, options.input,
                            [&](std::ostream& out) { write_map(out, numbering); });
  }
  if (data) {
    publish_output_file(*data, options.output);
  } else {
    write_data(streams.out);
    if (!streams.out.flush()) {
      throw InputError("standard output cannot be written: the data file is incomplete" +
                       std::string(map ? " and the map is not written" : ""));
    }
  }
  if (map) {
    try {
      publish_output_file(*map, options.map);
    } catch (const InputError& error) {
      throw InputError(std::string(error.what()) +
                       " (the renumbered data file is written; the map "
                       "beside it is the earlier one)");
    }
  }
  (data ? streams.out : streams.err) << summary << '\n';
}

}  // namespace

int run_renumber(const Words& words, ToolStreams& streams) {
  if (words.size() == 1 && (words[0] == "--help" || words[0] == "-h")) {
    streams.out << renumber_help;
    return 0;
  }
  const RenumberOptions options = parse_renumber(words);
  const ReadDataFile data = read_data_file_named(options.input);
  const meshing::NumberingChoice choice = meshing::best_numbering(data.model);
  const PlateModel model = meshing::renumbered(data.model, choice.numbering);
  const auto breach = allowed_breach(model, options.large, [&](const StoreLimitBreach& beyond) {
    return beyond.what == "half-bandwidth"
               ? "no numbering found brings it within the limit: make the mesh coarser"
               : std::string();
  });
  write_renumbered(model, data.headings, options, choice.numbering,
                   "half-bandwidth " + std::to_string(choice.half_bandwidth_before) + " -> " +
                       std::to_string(choice.half_bandwidth_after) + " (" + choice.method + ")" +
                       beyond_limits_note(breach),
                   streams);
  return 0;
}

}  // namespace lajefem::tools
