// lajefem-tools import: the data file of a plate meshed with gmsh in quadrangles.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "meshing/data_file_writer.hpp"
#include "meshing/gmsh_reader.hpp"
#include "meshing/mesh_import.hpp"
#include "meshing/meshing_error.hpp"
#include "meshing/renumbering.hpp"
#include "tools/model_options.hpp"
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
    "                        repeatable, a node in several groups takes the stiffest springs\n"
    "  --allow-spurious      write the model even though its supports leave the element's\n"
    "                        checkerboard soft (refused otherwise), with a warning\n";

struct ImportOptions {
  std::string mesh;
  std::vector<meshing::GroupSupport> supports;
  ModelOptions model;
  bool allow_spurious = false;
};

// "slab=S", "edge=C", "pin=1E6,0,0"
meshing::GroupSupport group_support(const std::string& value, float spring) {
  const auto equals = value.rfind('=');
  if (equals == std::string::npos || equals == 0) {
    throw UsageError("--support takes GROUP=KIND (S, C or KW,KTX,KTY): '" + value + "'");
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
      throw UsageError("--support: KIND is S, C or three springs KW,KTX,KTY: '" + kind + "'");
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
    } else if (word == "--allow-spurious") {
      options.allow_spurious = true;
    } else {
      take_input_file(word, options.mesh);
    }
  }
  if (options.mesh.empty() || supports.empty()) {
    throw UsageError("give the mesh file and at least one --support GROUP=KIND");
  }
  check_model_options(options.model);
  for (const std::string& value : supports) {
    options.supports.push_back(group_support(value, options.model.spring));
  }
  return options;
}

meshing::ImportedMesh import_mesh(const ImportOptions& options) {
  std::ifstream in = open_input_file(options.mesh);
  try {
    const meshing::GmshMesh mesh = meshing::read_gmsh_mesh(in);
    meshing::ImportedMesh imported = meshing::import_quadrangles(mesh);
    meshing::add_group_supports(imported, mesh, options.supports);
    return imported;
  } catch (const meshing::MeshingError& error) {
    throw InputError(options.mesh + ": " + error.what());
  }
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
  return "split the loads over at most 4 load cases of at most 80 loads";
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
    streams.out << import_help << model_options_help("--support, ");
    return 0;
  }
  const ImportOptions options = parse_import(words);
  meshing::ImportedMesh imported = import_mesh(options);
  const std::string stem = std::filesystem::path(options.mesh).stem().string();
  const auto placed = complete_model(imported.model, options.model, stem, "import", streams);
  note_moved_point_loads(placed, imported.model, streams);
  const meshing::NumberingChoice choice = meshing::best_numbering(imported.model);
  const PlateModel model = meshing::renumbered(imported.model, choice.numbering);
  reject_beyond_limits(model, import_advice);
  refuse_soft_pattern(model, options.allow_spurious, options.mesh + ": ", "import", streams);
  const std::string source = std::filesystem::path(options.mesh).filename().string();
  const auto headings =
      meshing::standard_headings("LAJEFEM - malha gmsh " + source + ", " +
                                     std::to_string(model.elements.size()) + " quadrilateros",
                                 "gerado por lajefem-tools import", model.load_cases.size());
  write_model(model, headings, options.model.output, options.mesh,
              source + ": " + std::to_string(imported.reversed_elements) +
                  " clockwise quadrangles reversed, " + std::to_string(imported.dropped_nodes) +
                  " unused nodes dropped: " + model_summary(model),
              streams);
  return 0;
}

}  // namespace lajefem::tools
