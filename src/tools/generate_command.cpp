// lajefem-tools generate: the data file of a rectangular plate on edge supports and columns.
#include <ostream>

#include "meshing/data_file_writer.hpp"
#include "meshing/meshing_error.hpp"
#include "meshing/plate_generator.hpp"
#include "model/limits.hpp"
#include "tools/model_options.hpp"
#include "tools/soft_pattern_refusal.hpp"
#include "tools/sound_plate.hpp"
#include "tools/tool_commands.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

namespace {

using meshing::EdgeKind;
using meshing::PlanPoint;

constexpr const char* generate_help =
    "Usage: lajefem-tools generate -o FILE --size A B --mesh NX NY --edges BRTL\n"
    "                              --material E NU T [options]\n"
    "Writes the data file of an A x B m rectangular plate (corner at the origin, x along A)\n"
    "meshed with at least NX x NY equal quadrilaterals.\n"
    "\n"
    "  --size A B            plate sides along x and y, m\n"
    "  --mesh NX NY          least element counts along x and y\n"
    "  --edges BRTL          bottom (y = 0), right (x = A), top (y = B), left (x = 0) edges:\n"
    "                        F free, S simply supported (w), H hard simple support (w and the\n"
    "                        slope along the edge), C clamped (w and both rotations)\n"
    "  --column X Y          point support (w held) at (X, Y); repeatable\n"
    "  --allow-spurious      write the model even though its columns leave the element's\n"
    "                        checkerboard soft (refused otherwise), with a warning\n"
    "Grid lines pass through every column and point load. Between neighbouring columns, and\n"
    "between a column and an edge, the number of elements is made odd, so that the element's\n"
    "checkerboard pattern cannot survive the point supports. Where columns off shared grid\n"
    "lines still hold the pattern only softly (as check measures it), some stretches between\n"
    "columns are made even instead, and the mesh that holds it firmest is kept; a\n"
    "layout that no such mesh makes sound is refused with the check's explanation. Elements\n"
    "across a narrow strip (columns or points close together) are shortened until no side\n"
    "ratio is above 10.\n";

struct GenerateOptions {
  meshing::PlateRequest plate;
  bool size_given = false;
  bool mesh_given = false;
  bool edges_given = false;
  bool allow_spurious = false;
  ModelOptions model;
};

EdgeKind edge_kind(char letter) {
  switch (letter) {
    case 'F':
      return EdgeKind::free;
    case 'S':
      return EdgeKind::simple;
    case 'H':
      return EdgeKind::hard;
    case 'C':
      return EdgeKind::clamped;
    default:
      throw UsageError(std::string("--edges: '") + letter + "' is not one of F, S, H, C");
  }
}

void take_edges(const std::string& letters, GenerateOptions& options) {
  if (letters.size() != 4) {
    throw UsageError("--edges takes four letters (bottom, right, top, left), e.g. SSSS");
  }
  for (std::size_t edge = 0; edge < 4; ++edge) {
    options.plate.edges[edge] = edge_kind(letters[edge]);
  }
  options.edges_given = true;
}

GenerateOptions parse_generate(const Words& words) {
  GenerateOptions options;
  ArgumentCursor cursor(words);
  while (!cursor.done()) {
    const std::string option = cursor.next();
    if (take_model_option(option, cursor, options.model)) {
      continue;
    }
    if (option == "--size") {
      cursor.take_once(option);
      options.plate.length_x = cursor.number_for(option);
      options.plate.length_y = cursor.number_for(option);
      options.size_given = true;
    } else if (option == "--mesh") {
      cursor.take_once(option);
      options.plate.least_nx = cursor.integer_for(option);
      options.plate.least_ny = cursor.integer_for(option);
      options.mesh_given = true;
    } else if (option == "--edges") {
      cursor.take_once(option);
      take_edges(cursor.value_for(option), options);
    } else if (option == "--column") {
      const double x = cursor.number_for(option);
      options.plate.columns.push_back({x, cursor.number_for(option)});
    } else if (option == "--allow-spurious") {
      options.allow_spurious = true;
    } else {
      throw UsageError("unknown option '" + option + "'");
    }
  }
  return options;
}

void check_on_plate(const PlanPoint& point, const meshing::PlateRequest& plate,
                    const std::string& what) {
  if (point.x < 0 || point.x > plate.length_x || point.y < 0 || point.y > plate.length_y) {
    throw UsageError(what + " (" + meshing::real_text(static_cast<float>(point.x)) + ", " +
                     meshing::real_text(static_cast<float>(point.y)) + ") is off the plate");
  }
}

bool has_support(const meshing::PlateRequest& plate) {
  for (const EdgeKind edge : plate.edges) {
    if (edge != EdgeKind::free) {
      return true;
    }
  }
  return !plate.columns.empty();
}

void check_generate(GenerateOptions& options) {
  if (!options.size_given || !options.mesh_given || !options.edges_given) {
    throw UsageError("give --size A B, --mesh NX NY and --edges BRTL");
  }
  const meshing::PlateRequest& plate = options.plate;
  if (!(plate.length_x > 0) || !(plate.length_y > 0)) {
    throw UsageError("--size: both sides must be positive");
  }
  if (plate.least_nx < 2 || plate.least_ny < 2) {
    throw UsageError(
        "--mesh: at least two elements each way (a single row of elements has patterns of "
        "rotations that no support stops)");
  }
  if (!has_support(plate)) {
    throw UsageError("the plate has no support: give an edge other than F or a --column");
  }
  check_model_options(options.model);
  for (const PlanPoint& column : plate.columns) {
    check_on_plate(column, plate, "column");
  }
  for (const auto& load_case : options.model.cases) {
    for (const auto& load : load_case) {
      if (load.kind == meshing::LoadRequest::Kind::point) {
        check_on_plate({load.x, load.y}, plate, "point load");
        options.plate.points.push_back({load.x, load.y});
      }
    }
  }
  if (!meshing::holds_rigid_motions(plate)) {
    throw UsageError(
        "the supports cannot hold the plate: they all lie on one line (a single column, one "
        "simply supported edge, columns in a row), about which it would turn: support another "
        "edge, clamp this one or add a column off that line");
  }
  options.plate.spring = options.model.spring;
}

std::string mesh_advice(const meshing::PlateRequest& plate, const StoreLimitBreach& breach) {
  if (breach.what.rfind("load", 0) == 0) {
    return "split the loads over at most 4 load cases of at most 80 loads";
  }
  const auto finest = meshing::finest_fitting_mesh(plate);
  if (!finest) {
    return "no mesh of these proportions fits: use fewer columns or point loads, or move those "
           "close together apart (the elements across the strip between them are kept within a "
           "side ratio of 10)";
  }
  return "the finest mesh of the same proportions that fits is --mesh " +
         std::to_string(finest->nx) + " " + std::to_string(finest->ny);
}

// The limits that the options go beyond whatever the grid (the elements asked for, more columns
// than support records, the loads), found before a grid too large to hold is built.
void reject_evident_breach(const GenerateOptions& options) {
  const auto advice = [&](const StoreLimitBreach& breach) {
    return mesh_advice(options.plate, breach);
  };
  const long long elements = 1LL * options.plate.least_nx * options.plate.least_ny;
  if (elements > limits::max_elements) {
    const StoreLimitBreach breach{"elements", elements, limits::max_elements};
    throw InputError("the model has at least " + describe_breach(breach) + ": " + advice(breach));
  }
  PlateModel counts;
  counts.supports.resize(options.plate.columns.size());
  for (const auto& load_case : options.model.cases) {
    counts.load_cases.push_back({std::vector<PlateLoad>(load_case.size())});
  }
  reject_beyond_limits(counts, advice);
}

std::string edge_letters(const meshing::PlateRequest& plate) {
  std::string letters;
  for (const EdgeKind edge : plate.edges) {
    letters += "FSHC"[static_cast<int>(edge)];
  }
  return letters;
}

std::string mesh_text(const meshing::MeshCounts& mesh) {
  return std::to_string(mesh.nx) + " x " + std::to_string(mesh.ny);
}

meshing::DataFileHeadings generate_headings(const meshing::GeneratedPlate& generated,
                                            const meshing::PlateRequest& plate) {
  const std::string first =
      "LAJEFEM - placa rectangular " + meshing::real_text(static_cast<float>(plate.length_x)) +
      " m x " + meshing::real_text(static_cast<float>(plate.length_y)) + " m, malha " +
      mesh_text(generated.mesh) + ", bordos (inf, dir, sup, esq) " + edge_letters(plate) + ", " +
      std::to_string(plate.columns.size()) + " pilares";
  return meshing::standard_headings(first, "gerado por lajefem-tools generate",
                                    generated.model.load_cases.size());
}

meshing::GeneratedPlate generate_checked(const GenerateOptions& options) {
  try {
    return sound_plate(options.plate, *options.model.material);
  } catch (const meshing::MeshingError& error) {
    throw InputError(error.what());
  }
}

}  // namespace

int run_generate(const Words& words, ToolStreams& streams) {
  if (words.size() == 1 && (words[0] == "--help" || words[0] == "-h")) {
    streams.out << generate_help << model_options_help("--column, ");
    return 0;
  }
  GenerateOptions options = parse_generate(words);
  check_generate(options);
  reject_evident_breach(options);
  meshing::GeneratedPlate generated = generate_checked(options);
  if (!meshing::holds_free_patterns(generated)) {
    throw InputError(
        "the supports leave the element's checkerboard pattern of w free (with a tilt of the "
        "plate): add a column, or support an edge");
  }
  PlateModel& model = generated.model;
  complete_model(model, options.model, "plate", "generate", streams);
  reject_beyond_limits(
      model, [&](const StoreLimitBreach& breach) { return mesh_advice(options.plate, breach); });
  refuse_soft_pattern(model, options.allow_spurious, "", "generate", streams);
  write_model(model, generate_headings(generated, options.plate), options.model.output, "",
              "mesh " + mesh_text(generated.mesh) + ": " + model_summary(model), streams);
  return 0;
}

}  // namespace lajefem::tools
