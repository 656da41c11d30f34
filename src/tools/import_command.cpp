// lajefem-tools import: the data file of a plate meshed with gmsh in quadrangles.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <utility>

#include "meshing/data_file_writer.hpp"
#include "meshing/gmsh_reader.hpp"
#include "meshing/mesh_import.hpp"
#include "meshing/meshing_error.hpp"
#include "meshing/renumbering.hpp"
#include "tools/model_options.hpp"
#include "tools/odd_rule.hpp"
#include "tools/soft_pattern_refusal.hpp"
#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

namespace {

constexpr const char* import_help =
    "Usage: lajefem-tools import MESH.msh -o FILE --material E NU T --support GROUP=KIND\n"
    "                            [options]\n"
    "Writes the data file of a plate meshed with gmsh in 4-node quadrangles, saved as MSH 4.1\n"
    "ASCII. Clockwise quadrangles are turned anticlockwise, nodes that no quadrangle uses are\n"
    "dropped and the nodes are renumbered for the least half-bandwidth found (as renumber does).\n"
    "\n"
    "  --support GROUP=KIND  support every node of the physical group (points, curves): KIND is\n"
    "                        S (w), C (w and both rotations) or KW,KTX,KTY springs in GN/m;\n"
    "                        for a group of curves along x or y also H (hard simple support:\n"
    "                        w and the slope along the curve) or Y (symmetry line: the slope\n"
    "                        across the curve, w free); repeatable, a node in several groups\n"
    "                        takes the stiffest springs\n"
    "  --patch GROUP=Q       load Q (kN/m2) over the quadrangles of a physical surface\n"
    "  --line GROUP=P        load P (kN/m) along the segments of a physical curve\n"
    "                        (both as consistent nodal loads, one per node and load case, in\n"
    "                        the load case being given; repeatable)\n"
    "  --allow-spurious      write the model even though its supports leave the element's\n"
    "                        checkerboard soft (refused otherwise), with a warning\n";

constexpr const char* odd_rule_help =
    "Point supports (physical points) that are neighbours, no other within the circle on the\n"
    "two as diameter, must be an odd number of elements apart along the element sides; an\n"
    "even pair is refused unless the model check finds the element's checkerboard held by the\n"
    "supports as a whole (then a note says so).\n";

// A patch or line load on a physical group, in load case `load_case` (0-based).
struct GroupLoad {
  enum class Kind { patch, line };
  Kind kind = Kind::patch;
  std::string group;
  float value = 0;  // kN/m² or kN/m, the data file's sign
  std::size_t load_case = 0;
};

struct ImportOptions {
  std::string mesh;
  std::vector<meshing::GroupSupport> supports;
  std::vector<meshing::CurveSupport> curve_supports;
  std::vector<GroupLoad> loads;
  ModelOptions model;
  bool allow_spurious = false;
};

// "edge" and "H" of "edge=H"; UsageError for a value without both.
std::pair<std::string, std::string> group_and_value(const std::string& value,
                                                    const std::string& option,
                                                    const std::string& form) {
  const auto equals = value.rfind('=');
  if (equals == std::string::npos || equals == 0 || equals + 1 == value.size()) {
    throw UsageError(option + " takes " + form + ": '" + value + "'");
  }
  return {value.substr(0, equals), value.substr(equals + 1)};
}

// "edge=H", "mirror=Y": the supports that hold the slopes of a group's curves.
std::optional<meshing::CurveSupport> curve_support(const std::string& value, float spring) {
  const auto [group, kind] = group_and_value(value, "--support", "GROUP=KIND");
  using Slope = meshing::CurveSupport::Slope;
  if (kind == "H") {
    return meshing::CurveSupport{group, Slope::along, spring};
  }
  if (kind == "Y") {
    return meshing::CurveSupport{group, Slope::across, spring};
  }
  return std::nullopt;
}

GroupLoad group_load(const std::string& option, const std::string& value, std::size_t load_case) {
  const auto [group, load] =
      group_and_value(value, option, "GROUP=" + std::string(option == "--patch" ? "Q" : "P"));
  const auto kind = option == "--patch" ? GroupLoad::Kind::patch : GroupLoad::Kind::line;
  return {kind, group, parse_real(load, option), load_case};
}

// "slab=S", "edge=C", "pin=1E6,0,0"
meshing::GroupSupport group_support(const std::string& value, float spring) {
  const auto equals = value.rfind('=');
  if (equals == std::string::npos || equals == 0) {
    throw UsageError("--support takes GROUP=KIND (S, C, H, Y or KW,KTX,KTY): '" + value + "'");
  }
  const std::string kind = value.substr(equals + 1);
  meshing::GroupSupport support{value.substr(0, equals), {}};
  if (kind == "S") {
    support.springs = {spring, 0, 0};
  } else if (kind == "C") {
    support.springs = {spring, spring, spring};
  } else {
    const auto first = kind.find(',');
    const auto second = kind.find(',', first == std::string::npos ? first : first + 1);
    if (second == std::string::npos) {
      throw UsageError("--support: KIND is S, C, H, Y or three springs KW,KTX,KTY: '" + kind + "'");
    }
    support.springs = {parse_real(kind.substr(0, first), "--support"),
                       parse_real(kind.substr(first + 1, second - first - 1), "--support"),
                       parse_real(kind.substr(second + 1), "--support")};
    if (support.springs.w < 0 || support.springs.theta_x < 0 || support.springs.theta_y < 0) {
      throw UsageError("--support: springs may not be negative: '" + kind + "'");
    }
    if (!(support.springs.w > 0 || support.springs.theta_x > 0 || support.springs.theta_y > 0)) {
      throw UsageError("--support: three zero springs hold nothing: '" + kind + "'");
    }
  }
  return support;
}

ImportOptions parse_import(const Words& words) {
  ImportOptions options;
  std::vector<std::string> supports;
  ArgumentCursor cursor(words);
  while (!cursor.done()) {
    const std::string word = cursor.next();
    if (take_model_option(word, cursor, options.model)) {
      continue;
    }
    if (word == "--support") {
      supports.push_back(cursor.value_for(word));
    } else if (word == "--patch" || word == "--line") {
      options.loads.push_back(
          group_load(word, cursor.value_for(word), options.model.cases.size() - 1));
    } else if (word == "--allow-spurious") {
      options.allow_spurious = true;
    } else {
      take_input_file(word, options.mesh);
    }
  }
  if (options.mesh.empty() || supports.empty()) {
    throw UsageError("give the mesh file and at least one --support GROUP=KIND");
  }
  std::vector<std::size_t> group_loads(options.model.cases.size());
  for (const GroupLoad& load : options.loads) {
    ++group_loads[load.load_case];
  }
  check_model_options(options.model, group_loads);
  for (const std::string& value : supports) {
    if (auto curve = curve_support(value, options.model.spring)) {
      options.curve_supports.push_back(*curve);
    } else {
      options.supports.push_back(group_support(value, options.model.spring));
    }
  }
  return options;
}

// The imported plate with the group loads of each case as nodal loads, and the point supports.
struct ImportedPlate {
  meshing::ImportedMesh imported;
  std::vector<meshing::NodalForces> case_forces;  // by load case
  std::vector<int> point_supports;                // model nodes, before renumbering
};

meshing::NodalForces group_load_forces(const meshing::ImportedMesh& imported,
                                       const meshing::GmshMesh& mesh, const GroupLoad& load) {
  return load.kind == GroupLoad::Kind::patch
             ? meshing::surface_patch_forces(imported, mesh, load.group, load.value)
             : meshing::curve_line_forces(imported, mesh, load.group, load.value);
}

std::vector<std::string> support_groups(const ImportOptions& options) {
  std::vector<std::string> groups;
  for (const meshing::GroupSupport& support : options.supports) {
    groups.push_back(support.group);
  }
  return groups;
}

ImportedPlate import_plate(const ImportOptions& options) {
  std::ifstream in = open_input_file(options.mesh);
  try {
    const meshing::GmshMesh mesh = meshing::read_gmsh_mesh(in);
    ImportedPlate plate{meshing::import_quadrangles(mesh), {}, {}};
    meshing::add_group_supports(plate.imported, mesh, options.supports, options.curve_supports);
    plate.case_forces.resize(options.model.cases.size());
    for (const GroupLoad& load : options.loads) {
      meshing::add_nodal_forces(plate.case_forces[load.load_case],
                                group_load_forces(plate.imported, mesh, load));
    }
    plate.point_supports =
        meshing::point_support_nodes(plate.imported, mesh, support_groups(options));
    return plate;
  } catch (const meshing::MeshingError& error) {
    throw InputError(options.mesh + ": " + error.what());
  }
}

void add_group_loads(PlateModel& model, const std::vector<meshing::NodalForces>& case_forces) {
  for (std::size_t c = 0; c < case_forces.size(); ++c) {
    meshing::append_nodal_loads(model.load_cases[c], case_forces[c]);
  }
}

std::vector<int> renumbered_nodes(const std::vector<int>& nodes,
                                  const meshing::Numbering& numbering) {
  std::vector<int> renumbered;
  for (const int node : nodes) {
    renumbered.push_back(numbering[static_cast<std::size_t>(node) - 1]);
  }
  return renumbered;
}

// How much larger gmsh's element sizes must be for count to come down to limit: nodes and
// elements go as the inverse square of the size. 441 nodes against 300 -> "1.22".
std::string size_factor(long long count, int limit) {
  const double factor = std::ceil(std::sqrt(static_cast<double>(count) / limit) * 100.0) / 100.0;
  return meshing::real_text(static_cast<float>(factor));
}

std::string import_advice(const StoreLimitBreach& breach) {
  if (breach.what == "nodes" || breach.what == "elements") {
    const std::string factor = size_factor(breach.count, breach.limit);
    return "make the mesh coarser, elements about " + factor + " times larger (gmsh -clscale " +
           factor + ")";
  }
  if (breach.what == "support records") {
    return "support fewer nodes, or coarsen the mesh along the supported groups";
  }
  if (breach.what == "half-bandwidth") {
    return "no numbering found brings it within the limit: make the mesh coarser";
  }
  if (breach.what == "load cases") {
    return "split the loads over at most 4 load cases of at most 80 loads";
  }
  return "a patch or line load puts one nodal load on each node it touches (loads of one case "
         "that share a node are merged): coarsen the mesh under it, or split the loads over "
         "more load cases";
}

void note_moved_point_loads(const std::vector<meshing::PlacedPointLoad>& placed,
                            const PlateModel& model, ToolStreams& streams) {
  for (const meshing::PlacedPointLoad& load : placed) {
    if (load.distance > 0) {
      const PlateNode& node = model.nodes[static_cast<std::size_t>(load.node) - 1];
      streams.err << "lajefem-tools import: note: point load at ("
                  << meshing::real_text(static_cast<float>(load.x)) << ", "
                  << meshing::real_text(static_cast<float>(load.y))
                  << ") put on the nearest node, at (" << meshing::real_text(node.x) << ", "
                  << meshing::real_text(node.y) << "), "
                  << meshing::real_text(static_cast<float>(load.distance)) << " m away\n";
    }
  }
}

}  // namespace

int run_import(const Words& words, ToolStreams& streams) {
  if (words.size() == 1 && (words[0] == "--help" || words[0] == "-h")) {
    streams.out << import_help << model_options_help("--support, --patch, --line, ")
                << odd_rule_help;
    return 0;
  }
  const ImportOptions options = parse_import(words);
  ImportedPlate plate = import_plate(options);
  meshing::ImportedMesh& imported = plate.imported;
  const std::string stem = std::filesystem::path(options.mesh).stem().string();
  const auto placed = complete_model(imported.model, options.model, stem, "import", streams);
  note_moved_point_loads(placed, imported.model, streams);
  add_group_loads(imported.model, plate.case_forces);
  const meshing::NumberingChoice choice = meshing::best_numbering(imported.model);
  const PlateModel model = meshing::renumbered(imported.model, choice.numbering);
  const auto breach = allowed_breach(model, options.model.large, import_advice);
  const std::string subject = options.mesh + ": ";
  const bool checked =
      check_odd_rule(model, renumbered_nodes(plate.point_supports, choice.numbering),
                     options.allow_spurious, subject, "import", streams);
  if (!checked) {
    refuse_soft_pattern(model, options.allow_spurious, subject, "import", streams);
  }
  const std::string source = std::filesystem::path(options.mesh).filename().string();
  const auto headings =
      meshing::standard_headings("LAJEFEM - malha gmsh " + source + ", " +
                                     std::to_string(model.elements.size()) + " quadrilateros",
                                 "gerado por lajefem-tools import", model.load_cases.size());
  write_model(model, headings, options.model.output, options.mesh,
              source + ": " + std::to_string(imported.reversed_elements) +
                  " clockwise quadrangles reversed, " + std::to_string(imported.dropped_nodes) +
                  " unused nodes dropped: " + model_summary(model) + beyond_limits_note(breach),
              streams);
  return 0;
}

}  // namespace lajefem::tools
