// lajefem-tools generate: the data file of a rectangular plate on edge supports and columns.
#include <algorithm>
#include <charconv>
#include <optional>
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
    "meshed with at least NX x NY quadrilaterals.\n"
    "\n"
    "  --size A B            plate sides along x and y, m\n"
    "  --mesh NX NY          least element counts along x and y\n"
    "  --edges BRTL          bottom (y = 0), right (x = A), top (y = B), left (x = 0) edges:\n"
    "                        F free, S simply supported (w), H hard simple support (w and the\n"
    "                        slope along the edge), C clamped (w and both rotations), Y line of\n"
    "                        symmetry (the slope across the edge held, w free)\n"
    "  --column X Y [B H]    point support (w held) at (X, Y); with B H, a column of B x H m\n"
    "                        centred there, every node on it held (w); repeatable\n"
    "  --wall X0 Y0 X1 Y1 [K]  line support along x or y from (X0, Y0) to (X1, Y1), K one of\n"
    "                        S (default), H (also the slope along the wall), C; repeatable\n"
    "  --opening X0 Y0 X1 Y1  no elements inside the rectangle; its sides are free; repeatable\n"
    "  --patch X0 Y0 X1 Y1 Q  load Q (kN/m2) over the rectangle, in the load case being given\n"
    "  --line X0 Y0 X1 Y1 P   load P (kN/m) along a line along x or y, in the load case being\n"
    "                        given; both become consistent nodal loads (the element's shape\n"
    "                        functions integrated over the loaded part), with the sign given\n"
    "  --grade R             elements that grow by the ratio R (1 to 2) from every support\n"
    "                        (held edge, wall, column) towards the middle of each span, the\n"
    "                        counts kept (default: equal elements)\n"
    "  --allow-spurious      write the model even though its columns leave the element's\n"
    "                        checkerboard soft (refused otherwise), with a warning\n"
    "Grid lines pass through every column (and the faces of a column of a size), wall,\n"
    "opening and load. Between neighbouring point columns, and between such a column and an\n"
    "edge, the number of elements is made odd, so that the element's checkerboard pattern\n"
    "cannot survive the point supports. Where columns off shared grid lines still hold the\n"
    "pattern only softly (as check measures it), some stretches between columns are made even\n"
    "instead, and the mesh that holds it firmest is kept; a layout that no such mesh makes\n"
    "sound is refused with the check's explanation. A line of symmetry (Y) with point columns\n"
    "must run through a column line: mirrored, a stretch from a column to it doubles to an even\n"
    "count. Loads of a case beyond the 80 the program takes are merged where they share a\n"
    "node. Elements across a narrow strip (columns or points close together) are shortened\n"
    "until no side ratio is above 10.\n";

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
    case 'Y':
      return EdgeKind::symmetry;
    default:
      throw UsageError(std::string("--edges: '") + letter + "' is not one of F, S, H, C, Y");
  }
}

// X0 Y0 X1 Y1 in either order of the corners.
meshing::PlanRectangle rectangle_for(ArgumentCursor& cursor, const std::string& option) {
  const double x0 = cursor.number_for(option);
  const double y0 = cursor.number_for(option);
  const double x1 = cursor.number_for(option);
  const double y1 = cursor.number_for(option);
  return {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
}

// Whether the next word is a number: the optional values of --column and --wall.
bool number_follows(const ArgumentCursor& cursor) {
  const std::optional<std::string> word = cursor.peek();
  if (!word) {
    return false;
  }
  double value = 0;
  const char* end = word->data() + word->size();
  const auto [stop, error] = std::from_chars(word->data(), end, value);
  return !word->empty() && error == std::errc() && stop == end;
}

meshing::Wall wall_for(ArgumentCursor& cursor, const std::string& option) {
  meshing::Wall wall{rectangle_for(cursor, option), EdgeKind::simple};
  const std::optional<std::string> word = cursor.peek();
  if (word && word->size() == 1 && std::string("FSHCY").find((*word)[0]) != std::string::npos) {
    const char letter = cursor.value_for(option)[0];
    if (letter == 'F' || letter == 'Y') {
      throw UsageError(std::string("--wall: '") + letter +
                       "' holds no w: a wall is S, H (w and the slope along the wall) or C");
    }
    wall.kind = edge_kind(letter);
  }
  return wall;
}

// --patch X0 Y0 X1 Y1 Q or --line X0 Y0 X1 Y1 P, in the load case being given.
meshing::LoadRequest area_load_for(ArgumentCursor& cursor, const std::string& option) {
  using Kind = meshing::LoadRequest::Kind;
  const meshing::PlanRectangle r = rectangle_for(cursor, option);
  const float value = cursor.real_for(option);
  return {option == "--patch" ? Kind::patch : Kind::line, r.x0, r.y0, value, r.x1, r.y1};
}

void take_column(ArgumentCursor& cursor, const std::string& option, meshing::PlateRequest& plate) {
  const double x = cursor.number_for(option);
  const double y = cursor.number_for(option);
  if (!number_follows(cursor)) {
    plate.columns.push_back({x, y});
    return;
  }
  const double b = cursor.number_for(option);
  const double h = cursor.number_for(option);
  if (!(b > 0) || !(h > 0)) {
    throw UsageError("--column X Y B H: the sides B and H must be positive");
  }
  plate.column_heads.push_back({x - b / 2, y - h / 2, x + b / 2, y + h / 2});
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
      take_column(cursor, option, options.plate);
    } else if (option == "--wall") {
      options.plate.walls.push_back(wall_for(cursor, option));
    } else if (option == "--opening") {
      options.plate.openings.push_back(rectangle_for(cursor, option));
    } else if (option == "--patch" || option == "--line") {
      options.model.cases.back().push_back(area_load_for(cursor, option));
    } else if (option == "--grade") {
      cursor.take_once(option);
      options.plate.grade = cursor.number_for(option);
      if (!(options.plate.grade >= 1) || options.plate.grade > 2) {
        throw UsageError(
            "--grade: the ratio of neighbouring elements is from 1 (equal) to 2 (steeper "
            "grading makes slivers at the supports)");
      }
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
    if (edge != EdgeKind::free && edge != EdgeKind::symmetry) {
      return true;
    }
  }
  return !plate.columns.empty() || !plate.column_heads.empty() || !plate.walls.empty();
}

std::string rectangle_text(const meshing::PlanRectangle& r) {
  const auto text = [](double value) { return meshing::real_text(static_cast<float>(value)); };
  return "(" + text(r.x0) + ", " + text(r.y0) + ") to (" + text(r.x1) + ", " + text(r.y1) + ")";
}

void check_rectangle_on_plate(const meshing::PlanRectangle& r, const meshing::PlateRequest& plate,
                              const std::string& what) {
  if (r.x0 < 0 || r.y0 < 0 || r.x1 > plate.length_x || r.y1 > plate.length_y) {
    throw UsageError(what + " " + rectangle_text(r) + " is not on the plate");
  }
}

void check_openings(const meshing::PlateRequest& plate) {
  for (const meshing::PlanRectangle& opening : plate.openings) {
    if (!(opening.x1 > opening.x0) || !(opening.y1 > opening.y0)) {
      throw UsageError("--opening " + rectangle_text(opening) + " has no area");
    }
    check_rectangle_on_plate(opening, plate, "--opening");
  }
}

// Patch and line loads on the plate, their corners and ends made grid points.
void check_area_loads(GenerateOptions& options) {
  using Kind = meshing::LoadRequest::Kind;
  for (const auto& load_case : options.model.cases) {
    for (const auto& load : load_case) {
      if (load.kind != Kind::patch && load.kind != Kind::line) {
        continue;
      }
      const meshing::PlanRectangle r{load.x, load.y, load.x1, load.y1};
      const std::string option = load.kind == Kind::patch ? "--patch" : "--line";
      if (load.kind == Kind::patch && (!(r.x1 > r.x0) || !(r.y1 > r.y0))) {
        throw UsageError("--patch " + rectangle_text(r) + " has no area");
      }
      if (load.kind == Kind::line && (r.x0 != r.x1) == (r.y0 != r.y1)) {
        throw UsageError("--line " + rectangle_text(r) +
                         ": a line load runs along x or along y (X0 = X1 or Y0 = Y1) and has a "
                         "length");
      }
      check_rectangle_on_plate(r, options.plate, option);
      options.plate.points.push_back({r.x0, r.y0});
      options.plate.points.push_back({r.x1, r.y1});
    }
  }
}

void check_walls(const meshing::PlateRequest& plate) {
  for (const meshing::Wall& wall : plate.walls) {
    const meshing::PlanRectangle& r = wall.line;
    if ((r.x0 != r.x1) == (r.y0 != r.y1)) {
      throw UsageError("--wall " + rectangle_text(r) +
                       ": a wall runs along x or along y (X0 = X1 or Y0 = Y1) and has a length");
    }
    check_rectangle_on_plate(r, plate, "--wall");
  }
}

// Points that must lie on the plate and on an element: columns and point loads.
void check_on_elements(const PlanPoint& point, const meshing::PlateRequest& plate,
                       const std::string& what) {
  check_on_plate(point, plate, what);
  for (const meshing::PlanRectangle& opening : plate.openings) {
    if (point.x > opening.x0 && point.x < opening.x1 && point.y > opening.y0 &&
        point.y < opening.y1) {
      throw UsageError(what + " (" + meshing::real_text(static_cast<float>(point.x)) + ", " +
                       meshing::real_text(static_cast<float>(point.y)) +
                       ") lies inside the opening " + rectangle_text(opening));
    }
  }
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
    throw UsageError(
        "the plate has no support: give an edge other than F or Y, a --wall or a --column");
  }
  check_model_options(options.model);
  check_openings(plate);
  check_walls(plate);
  for (const PlanPoint& column : plate.columns) {
    check_on_elements(column, plate, "column");
  }
  for (const meshing::PlanRectangle& head : plate.column_heads) {
    check_on_elements({(head.x0 + head.x1) / 2, (head.y0 + head.y1) / 2}, plate, "column");
  }
  for (const auto& load_case : options.model.cases) {
    for (const auto& load : load_case) {
      if (load.kind == meshing::LoadRequest::Kind::point) {
        check_on_elements({load.x, load.y}, plate, "point load");
        options.plate.points.push_back({load.x, load.y});
      }
    }
  }
  check_area_loads(options);
  if (!meshing::holds_rigid_motions(plate)) {
    throw UsageError(
        "the supports cannot hold the plate: they all lie on one line (a single column, one "
        "simply supported edge or wall, columns in a row), about which it would turn: support "
        "another edge, clamp this one or add a column off that line");
  }
  options.plate.spring = options.model.spring;
}

// The nodes that the nodal loads of the case a breach names touch ("loads in load case 2").
std::size_t loaded_nodes(const PlateModel& model, const StoreLimitBreach& breach) {
  const std::size_t c = std::stoul(breach.what.substr(breach.what.rfind(' ') + 1)) - 1;
  return meshing::loaded_node_count(model.load_cases[c]);
}

std::string mesh_advice(const meshing::PlateRequest& plate, const PlateModel& model,
                        const StoreLimitBreach& breach) {
  if (breach.what == "load cases") {
    return "split the loads over at most 4 load cases of at most 80 loads";
  }
  if (breach.what.rfind("loads", 0) == 0) {
    return "they touch " + std::to_string(loaded_nodes(model, breach)) +
           " nodes, one nodal load each (patch and line loads put one on every node they "
           "touch): give a load over the whole plate as --uniform, coarsen the mesh under the "
           "patch and line loads, or put fewer loads in the case";
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
// than support records, more load cases), found before a grid too large to hold is built. The
// loads of a case are counted on the model, once those sharing a node are merged.
void reject_evident_breach(const GenerateOptions& options) {
  const auto advice = [&](const StoreLimitBreach& breach) {
    return mesh_advice(options.plate, {}, breach);
  };
  const long long elements = 1LL * options.plate.least_nx * options.plate.least_ny;
  if (elements > limits::max_elements) {
    const StoreLimitBreach breach{"elements", elements, limits::max_elements};
    throw InputError("the model has at least " + describe_breach(breach) + ": " +
                     advice(breach) + large_option_advice());
  }
  PlateModel counts;
  counts.supports.resize(options.plate.columns.size());
  counts.load_cases.resize(options.model.cases.size());
  reject_beyond_limits(counts, advice);
}

std::string edge_letters(const meshing::PlateRequest& plate) {
  std::string letters;
  for (const EdgeKind edge : plate.edges) {
    letters += "FSHCY"[static_cast<int>(edge)];
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
      std::to_string(plate.columns.size() + plate.column_heads.size()) + " pilares";
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

// The loads of every case put on the model, those of a case beyond the program's 80 merged where
// they share a node.
void complete_area_loads(PlateModel& model, const ModelOptions& options, ToolStreams& streams) {
  try {
    complete_model(model, options, "plate", "generate", streams);
  } catch (const meshing::MeshingError& error) {
    throw InputError(error.what());
  }
  meshing::merge_crowded_cases(model);
}

}  // namespace

int run_generate(const Words& words, ToolStreams& streams) {
  if (words.size() == 1 && (words[0] == "--help" || words[0] == "-h")) {
    streams.out << generate_help
                << model_options_help("--column, --wall, --opening, --patch, --line, ");
    return 0;
  }
  GenerateOptions options = parse_generate(words);
  check_generate(options);
  refuse_spurious(meshing::symmetry_fault(options.plate), options.allow_spurious, "", "generate",
                  streams);
  if (!options.model.large) {
    reject_evident_breach(options);
  }
  meshing::GeneratedPlate generated = generate_checked(options);
  if (!meshing::holds_free_patterns(generated)) {
    throw InputError(
        "the supports leave the element's checkerboard pattern of w free (with a tilt of the "
        "plate): add a column, or support an edge");
  }
  PlateModel& model = generated.model;
  complete_area_loads(model, options.model, streams);
  const auto breach = allowed_breach(model, options.model.large,
                                     [&](const StoreLimitBreach& beyond) {
                                       return mesh_advice(options.plate, model, beyond);
                                     });
  // Supported edges alone hold the checkerboard firmly: only columns can leave it soft.
  if (!breach || !options.plate.columns.empty()) {
    refuse_soft_pattern(model, options.allow_spurious, "", "generate", streams);
  }
  write_model(model, generate_headings(generated, options.plate), options.model.output, "",
              "mesh " + mesh_text(generated.mesh) + ": " + model_summary(model) +
                  beyond_limits_note(breach),
              streams);
  return 0;
}

}  // namespace lajefem::tools
