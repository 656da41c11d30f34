// The English wording of the mechanism check's findings.
#include "checking/mechanism_messages.hpp"

#include <algorithm>
#include <cmath>

#include "checking/soft_patterns.hpp"

namespace lajefem {

namespace {

using Eigen::MatrixXd;
using Eigen::VectorXd;

const char* const freedom_names[3] = {"w", "θx", "θy"};

// "w", "w and θy", "w, θx and θy"
std::string list_text(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t k = 0; k < items.size(); ++k) {
    text += (k == 0 ? "" : k + 1 == items.size() ? " and " : ", ") + items[k];
  }
  return text;
}

bool node_is_used(const PlateModel& model, int node) {
  return std::any_of(model.elements.begin(), model.elements.end(), [node](const PlateElement& e) {
    return std::find(e.nodes.begin(), e.nodes.end(), node) != e.nodes.end();
  });
}

// A coordinate of a point or line, round-off about zero shown as 0.
std::string coordinate_text(double value) {
  return number_text(std::fabs(value) < 5e-7 ? 0.0 : value);
}

std::string point_text(double x, double y) {
  return "(" + coordinate_text(x) + ", " + coordinate_text(y) + ")";
}

// Nodes with a w spring in the part at which the motion vanishes.
std::vector<int> held_nodes_on(const PlateModel& model, const RigidMotion& motion, double length) {
  std::vector<int> nodes;
  for (const PlateSupport& support : model.supports) {
    const PlateNode& at = model.nodes[support.node - 1];
    const double w = motion.a + motion.b * at.x + motion.c * at.y;
    const double size = std::fabs(motion.a) + (std::fabs(motion.b) + std::fabs(motion.c)) * length;
    if (support.spring_w != 0 && std::fabs(w) <= 1e-6 * size &&
        std::find(nodes.begin(), nodes.end(), support.node) == nodes.end()) {
      nodes.push_back(support.node);
    }
  }
  return nodes;
}

// The line a + b·x + c·y = 0 about which a rigid motion turns, in words:
// "the line x = 0 (parallel to the y axis, through nodes 1 and 8)".
std::string axis_text(const PlateModel& model, const RigidMotion& motion, double length) {
  const double slope = std::hypot(motion.b, motion.c);
  const auto nodes = held_nodes_on(model, motion, length);
  const std::string through = nodes.size() < 2 ? std::string()
                                               : "through nodes " + std::to_string(nodes[0]) +
                                                     " and " + std::to_string(nodes[1]);
  if (std::fabs(motion.c) <= 1e-6 * slope) {
    return "the line x = " + coordinate_text(-motion.a / motion.b) + " (parallel to the y axis" +
           (through.empty() ? "" : ", " + through) + ")";
  }
  if (std::fabs(motion.b) <= 1e-6 * slope) {
    return "the line y = " + coordinate_text(-motion.a / motion.c) + " (parallel to the x axis" +
           (through.empty() ? "" : ", " + through) + ")";
  }
  if (!through.empty()) {
    return "the line " + through;
  }
  const double x0 = -motion.a * motion.b / (slope * slope);
  const double y0 = -motion.a * motion.c / (slope * slope);
  return "the line through " + point_text(x0, y0) + " and " +
         point_text(x0 - motion.c / slope, y0 + motion.b / slope);
}

// Nodes of the part's w supports and of its supports that hold rotations only (symmetry lines).
struct SupportNodes {
  std::vector<int> w;
  std::vector<int> rotations_only;
};

SupportNodes support_nodes(const PlateModel& model, const std::vector<int>& supports) {
  SupportNodes nodes;
  for (const int s : supports) {
    const PlateSupport& support = model.supports[s - 1];
    auto& list = support.spring_w != 0 ? nodes.w : nodes.rotations_only;
    if (std::find(list.begin(), list.end(), support.node) == list.end()) {
      list.push_back(support.node);
    }
  }
  return nodes;
}

double node_distance(const PlateModel& model, int a, int b) {
  const PlateNode& p = model.nodes[a - 1];
  const PlateNode& q = model.nodes[b - 1];
  return std::hypot(double{p.x} - q.x, double{p.y} - q.y);
}

// Pairs of neighbouring w-supported nodes (each other's nearest, within 1 %) that stand on
// nodes of one colour of the checkerboard: an even number of elements lies between them.
std::vector<std::pair<int, int>> even_neighbours(const PlateModel& model,
                                                 const std::vector<int>& nodes,
                                                 const std::vector<int>& signs) {
  std::vector<std::pair<int, int>> pairs;
  for (const int a : nodes) {
    double nearest = INFINITY;
    for (const int b : nodes) {
      if (b != a) {
        nearest = std::min(nearest, node_distance(model, a, b));
      }
    }
    for (const int b : nodes) {
      if (b > a && signs[a] == signs[b] && node_distance(model, a, b) <= 1.01 * nearest) {
        pairs.emplace_back(a, b);
      }
    }
  }
  return pairs;
}

// "nodes 5 and 9, nodes 9 and 13 and 3 more pairs"
std::string pairs_text(const std::vector<std::pair<int, int>>& pairs) {
  std::vector<std::string> items;
  for (std::size_t k = 0; k < pairs.size() && k < 4; ++k) {
    items.push_back("nodes " + std::to_string(pairs[k].first) + " and " +
                    std::to_string(pairs[k].second));
  }
  if (pairs.size() > 4) {
    items.push_back(std::to_string(pairs.size() - 4) + " more pairs");
  }
  return list_text(items);
}

// "nodes 3, 4 and 7"
std::string nodes_text(const std::vector<int>& nodes) {
  std::vector<std::string> numbers;
  for (std::size_t k = 0; k < nodes.size() && k < 8; ++k) {
    numbers.push_back(std::to_string(nodes[k]));
  }
  if (nodes.size() > 8) {
    numbers.push_back(std::to_string(nodes.size() - 8) + " more");
  }
  return (nodes.size() == 1 ? "node " : "nodes ") + list_text(numbers);
}

}  // namespace

// One finding per node with freedoms whose diagonal is below the program's limit.
Findings local_mechanism_findings(const PlateModel& model, const std::vector<int>& weak) {
  Findings findings;
  for (std::size_t k = 0; k < weak.size();) {
    const int node = weak[k] / 3 + 1;
    std::vector<std::string> freedoms;
    for (; k < weak.size() && weak[k] / 3 + 1 == node; ++k) {
      freedoms.push_back(freedom_names[weak[k] % 3]);
    }
    const std::string cause = node_is_used(model, node)
                                  ? "its springs are negative and cancel the elements' stiffness"
                                  : "no element uses the node and no spring holds it";
    findings.push_back({Severity::error, "mechanism-local", 0, node, 0, 0,
                        list_text(freedoms) + " without stiffness (" + cause +
                            "): the run stops with a local mechanism; remove the node or "
                            "connect it to an element, or give it positive springs"});
  }
  return findings;
}

std::string part_text(const PlatePart& part, std::size_t part_count) {
  if (part_count == 1) {
    return "the plate";
  }
  return "the part of the plate that holds element " + std::to_string(part.elements.front()) +
         " (" + std::to_string(part.elements.size()) + " elements joined to no other)";
}

std::vector<int> part_supports(const PlateModel& model, const PlatePart& part) {
  std::vector<int> supports;
  for (std::size_t s = 0; s < model.supports.size(); ++s) {
    if (std::binary_search(part.nodes.begin(), part.nodes.end(), model.supports[s].node)) {
      supports.push_back(static_cast<int>(s) + 1);
    }
  }
  return supports;
}

// "supports 1, 2, 3 and 4 (nodes 1, 7, 43 and 49)"
std::string supports_text(const PlateModel& model, const std::vector<int>& supports) {
  if (supports.empty()) {
    return "no support";
  }
  if (supports.size() > 8) {
    return "its " + std::to_string(supports.size()) + " supports";
  }
  std::vector<std::string> numbers, nodes;
  for (const int s : supports) {
    numbers.push_back(std::to_string(s));
    nodes.push_back(std::to_string(model.supports[s - 1].node));
  }
  return (supports.size() == 1 ? "support " : "supports ") + list_text(numbers) +
         (supports.size() == 1 ? " (node " : " (nodes ") + list_text(nodes) + ")";
}

std::string rigid_message(const PlateModel& model, const MatrixXd& gammas,
                          const PartFreedoms& freedoms, const std::string& part) {
  const double l = freedoms.length;
  if (gammas.cols() >= 3) {
    return "nothing holds " + part +
           " against vertical movement: it can move up and down and turn about any line "
           "without resistance (the run stops with a global mechanism); support w at three or "
           "more nodes that are not on one line";
  }
  if (gammas.cols() == 2) {
    const RigidMotion first = rigid_motion(gammas.col(0), freedoms);
    const RigidMotion second = rigid_motion(gammas.col(1), freedoms);
    // The free motions are those with n·(a, b, c) = 0 for the normal n of their plane.
    const Eigen::Vector3d normal = Eigen::Vector3d(first.a, first.b, first.c)
                                       .cross(Eigen::Vector3d(second.a, second.b, second.c));
    if (std::fabs(normal(0)) * l > 1e-6 * (std::fabs(normal(1)) + std::fabs(normal(2)))) {
      return part + " is held against vertical movement only at the point " +
             point_text(normal(1) / normal(0), normal(2) / normal(0)) +
             ": it can turn about any line through that point without resistance (the run "
             "stops with a global mechanism); support w at two more nodes, not on one line "
             "with it";
    }
    return part +
           " has rotation springs but no w support: it can move up and down and turn about "
           "lines of one direction without resistance (the run stops with a global "
           "mechanism); support w at three or more nodes that are not on one line";
  }
  const RigidMotion motion = rigid_motion(gammas.col(0), freedoms);
  if (std::hypot(motion.b, motion.c) * l <= 1e-6 * std::fabs(motion.a)) {
    return part +
           " can move up and down as a whole without resistance: rotation springs hold it but "
           "no w spring (the run stops with a global mechanism); add w springs";
  }
  const std::string against = std::fabs(motion.c) <= 1e-6 * std::hypot(motion.b, motion.c) ? "θx"
                              : std::fabs(motion.b) <= 1e-6 * std::hypot(motion.b, motion.c)
                                  ? "θy"
                                  : "θx and θy";
  return part + " can turn about " + axis_text(model, motion, l) +
         " without resistance, because every w support lies on that line (the run stops with a "
         "global mechanism); support w at a node off the line, or clamp the line with springs "
         "against " +
         against;
}

std::string spurious_message(const PlateModel& model, const PlatePart& part,
                             const std::string& part_name) {
  const std::string supports = supports_text(model, part_supports(model, part));
  if (part.elements.size() == 1) {
    return part_name +
           " is a single element, whose spurious zero-energy patterns (w = +1, −1, +1, −1 at "
           "its corners, and the twist θx = y − yc, θy = −(x − xc) with w = 0) are free with " +
           supports +
           " (the run stops with a global mechanism); use at least 2 × 2 elements and support "
           "w at three or more nodes not on one line";
  }
  return "the element's spurious checkerboard pattern (w alternating +1 and −1 from node to "
         "node, no rotation, with a tilt of the plate where needed) is free in " +
         part_name + " with " + supports +
         ": the run stops with a global mechanism or gives a huge checkerboard deflection; "
         "point supports need an odd number of elements between neighbouring supports in "
         "both x and y (a plate on four corner columns: 5 × 5 or 7 × 7 elements, not 6 × 6), "
         "or add a supported edge of at least two elements";
}

std::string global_message(const std::string& part_name) {
  return part_name +
         " can move without resistance in a combination of the element's spurious patterns "
         "(the checkerboard and the twist of the rotations) that is no rigid motion nor the "
         "plain checkerboard (the run stops with a global mechanism): it arises in strips one "
         "element wide and where elements meet at a single corner; use at least two elements "
         "across every strip, and join elements along whole edges";
}

std::string soft_spurious_message(const PlateModel& model, const PlatePart& part,
                                  const std::string& part_name, double ratio) {
  const std::vector<int> supports = part_supports(model, part);
  const SupportNodes nodes = support_nodes(model, supports);
  const std::vector<int> signs = checkerboard_signs(model, part);
  const auto pairs =
      signs.empty() ? std::vector<std::pair<int, int>>{} : even_neighbours(model, nodes.w, signs);
  std::string where = pairs.empty()
                          ? ""
                          : "; an even number of elements lies between the neighbouring point "
                            "supports at " +
                                pairs_text(pairs);
  if (!nodes.rotations_only.empty()) {
    where += "; the supports that hold rotations only, at " + nodes_text(nodes.rotations_only) +
             ", are symmetry lines, across which the mirrored mesh counts: a symmetry line at "
             "mid-bay always makes the mirrored bay even";
  }
  return "the element's spurious checkerboard pattern (w alternating +1 and −1 from node to "
         "node) is held in " +
         part_name + " with " + supports_text(model, supports) +
         " but soft: under a uniform load the element patterns in its deflection would cost " +
         number_text(ratio) +
         " times the energy it stores if the plate made them by smooth bending (flagged above " +
         number_text(soft_pattern_ratio) + "; sound meshes stay near 1 or below)" + where +
         ". The run completes, but its deflections carry a large checkerboard; mesh with an odd "
         "number of elements between neighbouring point supports in both x and y (in the "
         "mirrored mesh too across symmetry lines, so model whole bays there), or add a "
         "supported edge of at least two elements";
}

}  // namespace lajefem
