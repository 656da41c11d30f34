#include "tools/model_options.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>

#include "analysis/analysis.hpp"
#include "files/run_files.hpp"
#include "model/limits.hpp"
#include "model/material_rule.hpp"
#include "text/latin1.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

std::string model_options_help(const std::string& repeatable) {
  return "  --material E NU T     modulus (GPa), Poisson's ratio, thickness (m)   [required]\n"
         "  --spring K            spring on every held freedom, GN/m (default 1E6)\n"
         "  --uniform Q           uniform load over the whole plate, kN/m2\n"
         "  --point X Y P         point load at the node nearest to (X, Y), kN\n"
         "  --self-weight RHO     the plate's weight, density RHO in kN/m3 (25 for concrete):\n"
         "                        a uniform load of -RHO x T, down as gravity with +w up\n"
         "  --w-down              +w points down: the self-weight is written +RHO x T (the\n"
         "                        other loads are written as given whichever way w points)\n"
         "  --case                start the next load case (the first needs none)\n"
         "  --title T             title, 12 characters at most (default: the output's base name)\n"
         "  --results NAME        results file lajefem writes, 12 characters at most\n"
         "                        (default: the output's base name with .res)\n"
         "  -o, --output FILE     data file to write, '-' for standard output   [required]\n"
         "  --large               write a model beyond lajefem's limits (300 nodes, 400\n"
         "                        elements, 60 support records, half-bandwidth 120, 4 load\n"
         "                        cases of 80 loads), refused otherwise: lajefem cannot run\n"
         "                        it, lajefem-tools export can\n"
         "  -h, --help            show this text\n"
         "Loads are written with the sign given (the data file's: -10 pushes down, +w up).\n"
         "Options other than " +
         repeatable +
         "--uniform, --point, --self-weight and --case are given once.\n"
         "Exit status: 0 written, 1 the input cannot be used (nothing is written), 2 a wrong\n"
         "command line.\n";
}

namespace {

std::string checked_name(const std::string& typed, const std::string& option) {
  const std::optional<std::string> latin1 = typed_as_latin1(typed);
  if (!latin1) {
    throw UsageError(option + ": '" + typed + "' holds a character that Latin-1 does not have");
  }
  const std::string name = *latin1;
  const std::string fault = meshing::name_fault(name);
  if (!fault.empty()) {
    throw UsageError(option + ": " + fault);
  }
  return name;
}

void add_load(ModelOptions& options, const meshing::LoadRequest& load) {
  options.cases.back().push_back(load);
}

}  // namespace

bool take_model_option(const std::string& option, ArgumentCursor& cursor, ModelOptions& options) {
  using Kind = meshing::LoadRequest::Kind;
  if (option == "-o" || option == "--output") {
    cursor.take_once("-o");
    options.output = cursor.value_for(option);
  } else if (option == "--material") {
    cursor.take_once(option);
    const float modulus = cursor.real_for(option);
    const float poisson = cursor.real_for(option);
    options.material = {modulus, poisson, cursor.real_for(option)};
  } else if (option == "--spring") {
    cursor.take_once(option);
    options.spring = cursor.real_for(option);
  } else if (option == "--uniform") {
    add_load(options, {Kind::uniform, 0, 0, cursor.real_for(option)});
  } else if (option == "--point") {
    const double x = cursor.number_for(option);
    const double y = cursor.number_for(option);
    add_load(options, {Kind::point, x, y, cursor.real_for(option)});
  } else if (option == "--large") {
    options.large = true;
  } else if (option == "--self-weight") {
    const float density = cursor.real_for(option);
    if (!(density > 0)) {
      throw UsageError("--self-weight: the density (kN/m3) must be positive");
    }
    add_load(options, {Kind::self_weight, 0, 0, density});
  } else if (option == "--w-down") {
    cursor.take_once(option);
    options.w_down = true;
  } else if (option == "--case") {
    options.cases.emplace_back();
  } else if (option == "--title") {
    cursor.take_once(option);
    options.title = checked_name(cursor.value_for(option), option);
  } else if (option == "--results") {
    cursor.take_once(option);
    options.results = checked_name(cursor.value_for(option), option);
    if (options.results->find_first_not_of(' ') == std::string::npos) {
      throw UsageError("--results: the name may not be blank");
    }
  } else {
    return false;
  }
  return true;
}

void check_model_options(const ModelOptions& options, const std::vector<std::size_t>& other_loads) {
  if (options.output.empty()) {
    throw UsageError("give the data file to write with -o FILE (or -o - for standard output)");
  }
  if (!options.material) {
    throw UsageError("give the material with --material E NU T");
  }
  const auto& [modulus, poisson, thickness] = *options.material;
  if (const auto fault = material_fault(held_modulus(modulus), poisson, thickness)) {
    const bool overflows = fault->value == 0 && modulus > 0;
    throw UsageError(std::string("--material: ") + fault->explanation +
                     (overflows ? " (lajefem holds it in kN/m2 in single precision: E in GPa "
                                  "must stay below about 3.4E32)"
                                : ""));
  }
  if (!(options.spring > 0)) {
    throw UsageError("--spring: the stiffness must be positive");
  }
  for (std::size_t c = 0; c < options.cases.size(); ++c) {
    const bool loaded_otherwise = c < other_loads.size() && other_loads[c] > 0;
    if (options.cases[c].empty() && !loaded_otherwise) {
      throw UsageError("load case " + std::to_string(c + 1) +
                       " has no load: give --uniform Q, --point X Y P or another load");
    }
  }
}

namespace {

// The output's file name without the extension of a data file (".dat", ".txt"); any other dot
// belongs to the name: "lajec1.4" -> "lajec1.4", "laje.dat" -> "laje".
std::string stem_of(const std::string& output, const std::string& default_stem) {
  const std::filesystem::path path(output);
  const std::string extension = path.extension().string();
  const bool data_extension = extension == ".dat" || extension == ".txt";
  const std::string stem = (data_extension ? path.stem() : path.filename()).string();
  return output == "-" || stem.empty() ? default_stem : stem;
}

std::string default_title(const std::string& stem) {
  std::string title = stem.substr(0, limits::name_length);
  std::transform(title.begin(), title.end(), title.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return meshing::name_fault(title).empty() ? title : "PLACA";
}

std::string default_results_name(const std::string& stem, const std::string& command,
                                 ToolStreams& streams) {
  const std::string extension = ".res";
  const std::size_t room = limits::name_length - extension.size();
  const std::string name = stem.substr(0, room) + extension;
  if (stem.size() > room) {
    streams.err << "lajefem-tools " << command << ": warning: results name cut to 12 characters: '"
                << name << "' (--results NAME chooses another)\n";
  }
  return meshing::name_fault(name).empty() ? name : "placa.res";
}

}  // namespace

namespace {

// The cases with the self-weight's density signed as gravity: along -w unless +w points down.
std::vector<meshing::LoadCaseRequest> gravity_signed(std::vector<meshing::LoadCaseRequest> cases,
                                                     bool w_down) {
  for (auto& load_case : cases) {
    for (auto& load : load_case) {
      if (load.kind == meshing::LoadRequest::Kind::self_weight && !w_down) {
        load.value = -load.value;
      }
    }
  }
  return cases;
}

}  // namespace

std::vector<meshing::PlacedPointLoad> complete_model(PlateModel& model, const ModelOptions& options,
                                                     const std::string& default_stem,
                                                     const std::string& command,
                                                     ToolStreams& streams) {
  const std::string stem = stem_of(options.output, default_stem);
  model.title = options.title ? *options.title : default_title(stem);
  model.results_name =
      options.results ? *options.results : default_results_name(stem, command, streams);
  model.elastic_modulus_gpa = (*options.material)[0];
  model.poisson_ratio = (*options.material)[1];
  model.thickness = (*options.material)[2];
  return meshing::add_load_cases(model, gravity_signed(options.cases, options.w_down));
}

void reject_beyond_limits(const PlateModel& model, const BreachAdvice& advice) {
  allowed_breach(model, false, advice);
}

std::optional<StoreLimitBreach> allowed_breach(const PlateModel& model, bool large,
                                               const BreachAdvice& advice) {
  const auto breach = store_limit_breach(model);
  if (!breach || large) {
    return breach;
  }
  const std::string more = advice ? advice(*breach) : std::string();
  throw InputError("the model has " + describe_breach(*breach) +
                   (more.empty() ? std::string() : ": " + more) + large_option_advice());
}

std::string large_option_advice() {
  return " (or give --large to write it all the same: lajefem cannot run it, lajefem-tools "
         "export can)";
}

std::string beyond_limits_note(const std::optional<StoreLimitBreach>& breach) {
  if (!breach) {
    return {};
  }
  return "; beyond lajefem's limits (" + describe_breach(*breach) +
         "): lajefem cannot run it, lajefem-tools export can";
}

namespace {

std::string counted(std::size_t count, const std::string& what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

}  // namespace

std::string model_summary(const PlateModel& model) {
  return counted(model.nodes.size(), "node") + ", " + counted(model.elements.size(), "element") +
         ", " + counted(model.supports.size(), "support record") + ", half-bandwidth " +
         std::to_string(model_half_bandwidth(model)) + ", " +
         counted(model.load_cases.size(), "load case");
}

std::unique_ptr<StagedFile> stage_output_file(const std::string& path, const std::string& input,
                                              const std::function<void(std::ostream&)>& write) {
  if (!input.empty() && designates_same_file(path, input)) {
    throw UsageError("will not write over the input file " + input + ": choose another -o");
  }
  std::unique_ptr<StagedFile> staged = stage_file(path, write);
  if (!staged) {
    throw InputError("cannot write " + path + ": check the folder exists and may be written");
  }
  return staged;
}

void publish_output_file(StagedFile& staged, const std::string& path) {
  if (!staged.publish()) {
    throw InputError("cannot put " + path + " in place: check the folder may be written");
  }
}

void write_output_file(const std::string& path, const std::string& input,
                       const std::function<void(std::ostream&)>& write) {
  publish_output_file(*stage_output_file(path, input, write), path);
}

void write_model(const PlateModel& model, const meshing::DataFileHeadings& headings,
                 const std::string& output, const std::string& input, const std::string& summary,
                 ToolStreams& streams) {
  const auto write = [&](std::ostream& out) { meshing::write_data_file(out, model, headings); };
  if (output == "-") {
    write(streams.out);
    streams.err << summary << '\n';
    return;
  }
  write_output_file(output, input, write);
  streams.out << summary << '\n';
}

}  // namespace lajefem::tools
