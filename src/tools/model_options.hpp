// What generate and import share: the options for material, springs, loads, names and output,
// and the writing of the data file that both end with.
#pragma once

#include <array>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/run_files.hpp"
#include "meshing/data_file_writer.hpp"
#include "meshing/model_loads.hpp"
#include "model/plate_model.hpp"
#include "model/store_limits.hpp"
#include "tools/arguments.hpp"
#include "tools/input_file.hpp"
#include "tools/tool_commands.hpp"

namespace lajefem::tools {

struct ModelOptions {
  std::string output;                            // -o FILE, "-" for standard output
  std::optional<std::array<float, 3>> material;  // E (GPa), ν, t (m)
  float spring = 1.0e6f;                         // GN/m on held freedoms
  bool w_down = false;  // +w points down: gravity loads (the self-weight) are positive
  std::vector<meshing::LoadCaseRequest> cases{{}};
  std::optional<std::string> title;
  std::optional<std::string> results;
  bool large = false;  // --large: write a model beyond lajefem's limits
};

// The help lines of the shared options, closed by the rule on repeating them: `repeatable` names
// the command's own options that may be given more than once ("--column, ").
std::string model_options_help(const std::string& repeatable);

// Takes `option` with its values when it is one of the shared options; false when it is not.
bool take_model_option(const std::string& option, ArgumentCursor& cursor, ModelOptions& options);

// UsageError when -o, --material or a load is missing, or a load case is empty: case c holds the
// loads of options.cases[c] and other_loads[c] more, those of the command's own options.
void check_model_options(const ModelOptions& options,
                         const std::vector<std::size_t>& other_loads = {});

// Sets material, names and loads on a model that has its nodes, elements and supports. The
// default names come from the output file's base name (or default_stem with -o -); a results
// name cut to 12 characters is told on standard error. Returns where the point loads went.
std::vector<meshing::PlacedPointLoad> complete_model(PlateModel& model, const ModelOptions& options,
                                                     const std::string& default_stem,
                                                     const std::string& command,
                                                     ToolStreams& streams);

using BreachAdvice = std::function<std::string(const StoreLimitBreach&)>;

// InputError naming the limit the model goes beyond, followed by advice(breach) when it has any
// and by the way to write it all the same (--large).
void reject_beyond_limits(const PlateModel& model, const BreachAdvice& advice = nullptr);

// The limit a model goes beyond when large allows it (none within the limits); without large,
// the refusal of reject_beyond_limits.
std::optional<StoreLimitBreach> allowed_breach(const PlateModel& model, bool large,
                                               const BreachAdvice& advice = nullptr);

// What a refusal for the limits ends with: " (or give --large to write it all the same: ...)".
std::string large_option_advice();

// The summary's close for a model beyond the limits (empty within them): "; beyond lajefem's
// limits (324 nodes, above the limit of 300): lajefem cannot run it, lajefem-tools export can".
std::string beyond_limits_note(const std::optional<StoreLimitBreach>& breach);

// "36 nodes, 25 elements, 20 support records, half-bandwidth 27, 1 load case"
std::string model_summary(const PlateModel& model);

// Writes the data file to output ("-": standard output) complete or not at all, never over
// input; then the summary line goes to standard output (standard error with -o -).
void write_model(const PlateModel& model, const meshing::DataFileHeadings& headings,
                 const std::string& output, const std::string& input, const std::string& summary,
                 ToolStreams& streams);

// A file written in full beside path but not yet in place (see StagedFile): UsageError when path
// is the input file, InputError when it cannot be written.
std::unique_ptr<StagedFile> stage_output_file(const std::string& path, const std::string& input,
                                              const std::function<void(std::ostream&)>& write);

// Puts a staged file in place; InputError when that fails (the file at path is then unchanged).
void publish_output_file(StagedFile& staged, const std::string& path);

// Writes a file complete or not at all; InputError when it cannot.
void write_output_file(const std::string& path, const std::string& input,
                       const std::function<void(std::ostream&)>& write);

}  // namespace lajefem::tools
