#include "checking/mechanisms.hpp"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <queue>
#include <variant>

#include "analysis/analysis.hpp"

namespace lajefem {

namespace {

using Eigen::MatrixXd;
using Eigen::VectorXd;

// The program's local-mechanism check: a diagonal below this has no stiffness (kN/m, kN·m/rad).
constexpr double least_diagonal = 0.1;
// An eigenvalue of the stiffness scaled to a unit diagonal counts as zero below this fraction of
// the largest: round-off leaves a true null motion near 1e-15, while the stiffest slender plates
// the program holds keep their softest motion above 1e-11.
constexpr double null_eigenvalue = 1e-12;
// A null direction lies in a pattern space when the squared sine of its angle to it is below this.
constexpr double shared_angle = 1e-6;
// A motion strains no element when the squared misfit of its corner values to the element's
// zero-energy patterns, summed over the elements and the sprung freedoms, is below this fraction
// of its squared size: a smooth bending motion over 40 elements still misfits by some 1e-7.
constexpr double zero_energy_misfit = 1e-10;

const char* const freedom_names[3] = {"w", "θx", "θy"};

// Elements joined by shared nodes, with their nodes (1-based, ascending).
struct PlatePart {
  std::vector<int> nodes;
  std::vector<int> elements;
};

// The kept freedoms of a part and the measure of its motions: w in m and rotations times the
// part's size, so that every entry of a motion is a length.
struct PartFreedoms {
  std::vector<int> equations;  // 0-based equations of the part with stiffness
  std::vector<int> position;   // equation -> row in the part's vectors, −1 if absent
  double length = 1;           // m, diagonal of the part's bounding box
  double centre_x = 0;         // m
  double centre_y = 0;         // m
};

int find_root(std::vector<int>& parent, int node) {
  while (parent[node] != node) {
    parent[node] = parent[parent[node]];
    node = parent[node];
  }
  return node;
}

std::vector<PlatePart> plate_parts(const PlateModel& model) {
  const int node_count = static_cast<int>(model.nodes.size());
  std::vector<int> parent(node_count + 1);
  std::iota(parent.begin(), parent.end(), 0);
  for (const PlateElement& element : model.elements) {
    for (int corner = 1; corner < 4; ++corner) {
      parent[find_root(parent, element.nodes[corner])] = find_root(parent, element.nodes[0]);
    }
  }
  std::vector<int> part_of_root(node_count + 1, -1);
  std::vector<PlatePart> parts;
  for (int e = 1; e <= static_cast<int>(model.elements.size()); ++e) {
    const int root = find_root(parent, model.elements[e - 1].nodes[0]);
    if (part_of_root[root] < 0) {
      part_of_root[root] = static_cast<int>(parts.size());
      parts.emplace_back();
    }
    parts[part_of_root[root]].elements.push_back(e);
  }
  for (int n = 1; n <= node_count; ++n) {
    const int part = part_of_root[find_root(parent, n)];
    if (part >= 0) {
      parts[part].nodes.push_back(n);
    }
  }
  return parts;
}

// Signs ±1 that alternate along every element edge of the part (indexed by node), or an empty
// vector when the part's edges cannot be so coloured and no checkerboard pattern exists.
std::vector<int> checkerboard_signs(const PlateModel& model, const PlatePart& part) {
  std::vector<std::vector<int>> neighbours(model.nodes.size() + 1);
  for (const int e : part.elements) {
    const auto& corners = model.elements[e - 1].nodes;
    for (int a = 0; a < 4; ++a) {
      neighbours[corners[a]].push_back(corners[(a + 1) % 4]);
      neighbours[corners[(a + 1) % 4]].push_back(corners[a]);
    }
  }
  std::vector<int> sign(model.nodes.size() + 1, 0);
  std::queue<int> waiting;
  sign[part.nodes.front()] = 1;
  waiting.push(part.nodes.front());
  while (!waiting.empty()) {
    const int node = waiting.front();
    waiting.pop();
    for (const int next : neighbours[node]) {
      if (sign[next] == sign[node]) {
        return {};
      }
      if (sign[next] == 0) {
        sign[next] = -sign[node];
        waiting.push(next);
      }
    }
  }
  return sign;
}

std::vector<int> local_freedoms(const std::vector<double>& k, int equations) {
  std::vector<int> weak;
  for (int i = 0; i < equations; ++i) {
    if (!(k[static_cast<std::size_t>(i) * equations + i] >= least_diagonal)) {
      weak.push_back(i);
    }
  }
  return weak;
}

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

PartFreedoms part_freedoms(const PlateModel& model, const PlatePart& part,
                           const std::vector<int>& weak, int equations) {
  PartFreedoms freedoms;
  freedoms.position.assign(equations, -1);
  double low_x = INFINITY, high_x = -INFINITY, low_y = INFINITY, high_y = -INFINITY;
  for (const int node : part.nodes) {
    const PlateNode& at = model.nodes[node - 1];
    low_x = std::min(low_x, double{at.x});
    high_x = std::max(high_x, double{at.x});
    low_y = std::min(low_y, double{at.y});
    high_y = std::max(high_y, double{at.y});
    for (int d = 0; d < 3; ++d) {
      const int equation = 3 * (node - 1) + d;
      if (!std::binary_search(weak.begin(), weak.end(), equation)) {
        freedoms.position[equation] = static_cast<int>(freedoms.equations.size());
        freedoms.equations.push_back(equation);
      }
    }
  }
  freedoms.length = std::max(std::hypot(high_x - low_x, high_y - low_y), 1e-30);
  freedoms.centre_x = (low_x + high_x) / 2;
  freedoms.centre_y = (low_y + high_y) / 2;
  return freedoms;
}

// The part's stiffness scaled to a unit diagonal: S·K·S with S = diag(1/√K_ii).
MatrixXd scaled_stiffness(const std::vector<double>& k, int equations, const PartFreedoms& freedoms,
                          VectorXd& scale) {
  const auto& rows = freedoms.equations;
  const int m = static_cast<int>(rows.size());
  scale.resize(m);
  for (int i = 0; i < m; ++i) {
    scale(i) = 1 / std::sqrt(k[static_cast<std::size_t>(rows[i]) * equations + rows[i]]);
  }
  MatrixXd a(m, m);
  for (int j = 0; j < m; ++j) {
    for (int i = 0; i < m; ++i) {
      a(i, j) = scale(i) * k[static_cast<std::size_t>(rows[i]) * equations + rows[j]] * scale(j);
    }
  }
  return a;
}

MatrixXd orthonormal_columns(const MatrixXd& columns) {
  const Eigen::HouseholderQR<MatrixXd> qr(columns);
  return qr.householderQ() * MatrixXd::Identity(columns.rows(), columns.cols());
}

// Rows of the part's freedoms of one kind (w) or the other (rotations).
std::vector<Eigen::Index> rows_where(const PartFreedoms& freedoms, bool w) {
  std::vector<Eigen::Index> rows;
  for (std::size_t row = 0; row < freedoms.equations.size(); ++row) {
    if ((freedoms.equations[row] % 3 == 0) == w) {
      rows.push_back(static_cast<Eigen::Index>(row));
    }
  }
  return rows;
}

// Eigenvectors of a symmetric matrix whose eigenvalues are zero within round-off.
MatrixXd null_eigenvectors(const MatrixXd& a) {
  const Eigen::SelfAdjointEigenSolver<MatrixXd> eigen(a);
  const VectorXd& values = eigen.eigenvalues();
  const double largest = values.cwiseAbs().maxCoeff();
  return eigen.eigenvectors().leftCols((values.array() <= null_eigenvalue * largest).count());
}

// An orthonormal basis of the null space of the scaled stiffness `a`. The rotations are
// condensed out first: their block is positive definite on any mesh of two or more elements,
// and a null motion is then [w; −Kθθ⁻¹·Kθw·w] for each null vector w of the condensed matrix
// Kww − Kwθ·Kθθ⁻¹·Kθw, a third of the size, whose eigenvalues lie no lower than those of `a`.
// When the block is not positive definite, or the motions fail the residual test, the
// eigenvectors of the whole matrix serve.
MatrixXd null_basis(const MatrixXd& a, const PartFreedoms& freedoms) {
  const auto w = rows_where(freedoms, true);
  const auto theta = rows_where(freedoms, false);
  const Eigen::LLT<MatrixXd> rotations(a(theta, theta));
  if (rotations.info() == Eigen::Success && !w.empty()) {
    const MatrixXd coupling = rotations.solve(a(theta, w));
    const MatrixXd null_w = null_eigenvectors(a(w, w) - a(w, theta) * coupling);
    MatrixXd motions(a.rows(), null_w.cols());
    motions(w, Eigen::all) = null_w;
    motions(theta, Eigen::all) = -coupling * null_w;
    if (motions.cols() == 0) {
      return motions;
    }
    MatrixXd basis = orthonormal_columns(motions);
    if ((a * basis).colwise().norm().maxCoeff() <= 10 * null_eigenvalue) {
      return basis;
    }
  }
  return null_eigenvectors(a);
}

// Motion patterns of a part as columns in its measure: 0 w = 1; 1 w = x − xc, θx = 1;
// 2 w = y − yc, θy = 1; then the checkerboard w = sign when there is one; then, for a lone
// element, the twist θx = y − yc, θy = −(x − xc).
MatrixXd motion_patterns(const PlateModel& model, const PlatePart& part,
                         const PartFreedoms& freedoms, const std::vector<int>& signs) {
  const bool checkerboard = !signs.empty();
  const bool twist = part.elements.size() == 1;
  MatrixXd patterns = MatrixXd::Zero(static_cast<Eigen::Index>(freedoms.equations.size()),
                                     3 + int{checkerboard} + int{twist});
  const double l = freedoms.length;
  for (std::size_t row = 0; row < freedoms.equations.size(); ++row) {
    const int equation = freedoms.equations[row];
    const PlateNode& at = model.nodes[equation / 3];
    const double x = (at.x - freedoms.centre_x) / l;
    const double y = (at.y - freedoms.centre_y) / l;
    const int kind = equation % 3;
    const auto r = static_cast<Eigen::Index>(row);
    patterns.row(r).head<3>() << (kind == 0 ? 1.0 : 0.0),
        (kind == 0   ? x
         : kind == 1 ? 1.0
                     : 0.0),
        (kind == 0   ? y
         : kind == 2 ? 1.0
                     : 0.0);
    if (checkerboard) {
      patterns(r, 3) = kind == 0 ? signs[equation / 3 + 1] : 0.0;
    }
    if (twist) {
      patterns(r, patterns.cols() - 1) = kind == 1 ? y : kind == 2 ? -x : 0.0;
    }
  }
  return patterns;
}

// Combinations γ of the pattern columns whose motion lies in the null space (orthonormal
// columns of `null`), one column each.
MatrixXd shared_combinations(const MatrixXd& null, const MatrixXd& patterns) {
  const MatrixXd gram = patterns.transpose() * patterns;
  const MatrixXd inside = null.transpose() * patterns;
  const MatrixXd outside = gram - inside.transpose() * inside;
  const Eigen::GeneralizedSelfAdjointEigenSolver<MatrixXd> solver(outside, gram);
  const auto shared = (solver.eigenvalues().array() < shared_angle).count();
  return solver.eigenvectors().leftCols(shared);
}

// Null directions that no pattern column explains, in the part's measure.
MatrixXd unexplained_directions(const MatrixXd& null, const MatrixXd& patterns) {
  const MatrixXd combinations = shared_combinations(null, patterns);
  if (combinations.cols() == null.cols()) {
    return MatrixXd(null.rows(), 0);
  }
  MatrixXd rest = null;
  if (combinations.cols() > 0) {
    const MatrixXd explained = orthonormal_columns(patterns * combinations);
    rest -= explained * (explained.transpose() * null);
  }
  const Eigen::JacobiSVD<MatrixXd> svd(rest, Eigen::ComputeThinU);
  const auto count = (svd.singularValues().array() > 0.5).count();
  return svd.matrixU().leftCols(count);
}

// Whether a motion (part measure) strains no element and moves no spring: each element's
// corner values lie in the span of its five zero-energy patterns, relative to the motion's size.
bool strains_nothing(const PlateModel& model, const PlatePart& part, const PartFreedoms& freedoms,
                     const VectorXd& motion, const std::vector<bool>& sprung) {
  double misfit = 0;
  for (std::size_t row = 0; row < freedoms.equations.size(); ++row) {
    if (sprung[freedoms.equations[row]]) {
      misfit += motion(static_cast<Eigen::Index>(row)) * motion(static_cast<Eigen::Index>(row));
    }
  }
  const double l = freedoms.length;
  for (const int e : part.elements) {
    const auto& corners = model.elements[e - 1].nodes;
    double centre_x = 0, centre_y = 0;
    for (const int node : corners) {
      centre_x += model.nodes[node - 1].x / 4.0;
      centre_y += model.nodes[node - 1].y / 4.0;
    }
    MatrixXd zero_energy = MatrixXd::Zero(12, 5);
    VectorXd values = VectorXd::Zero(12);
    for (int a = 0; a < 4; ++a) {
      const double x = (model.nodes[corners[a] - 1].x - centre_x) / l;
      const double y = (model.nodes[corners[a] - 1].y - centre_y) / l;
      zero_energy.middleRows<3>(3 * a) << 1, x, y, (a % 2 == 0 ? 1 : -1), 0,  //
          0, 1, 0, 0, y,                                                      //
          0, 0, 1, 0, -x;
      for (int d = 0; d < 3; ++d) {
        const int row = freedoms.position[3 * (corners[a] - 1) + d];
        values(3 * a + d) = row < 0 ? 0.0 : motion(row);
      }
    }
    const VectorXd fitted = zero_energy * zero_energy.colPivHouseholderQr().solve(values);
    misfit += (values - fitted).squaredNorm();
  }
  return misfit <= zero_energy_misfit * motion.squaredNorm();
}

// A coordinate of a point or line, round-off about zero shown as 0.
std::string coordinate_text(double value) {
  return number_text(std::fabs(value) < 5e-7 ? 0.0 : value);
}

std::string point_text(double x, double y) {
  return "(" + coordinate_text(x) + ", " + coordinate_text(y) + ")";
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

// Rigid motion w = a + b·x + c·y of a part from the combination γ of its first three patterns.
struct RigidMotion {
  double a = 0, b = 0, c = 0;  // m, rad, rad
};

RigidMotion rigid_motion(const VectorXd& gamma, const PartFreedoms& freedoms) {
  const double b = gamma(1) / freedoms.length;
  const double c = gamma(2) / freedoms.length;
  return {gamma(0) - b * freedoms.centre_x - c * freedoms.centre_y, b, c};
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

std::vector<bool> sprung_equations(const PlateModel& model) {
  std::vector<bool> sprung(3 * model.nodes.size(), false);
  for (const PlateSupport& support : model.supports) {
    const std::size_t base = 3 * static_cast<std::size_t>(support.node - 1);
    sprung[base] = sprung[base] || support.spring_w != 0;
    sprung[base + 1] = sprung[base + 1] || support.spring_theta_x != 0;
    sprung[base + 2] = sprung[base + 2] || support.spring_theta_y != 0;
  }
  return sprung;
}

// The mechanisms of one part, from the null space of its scaled stiffness.
Findings part_mechanisms(const PlateModel& model, const std::vector<double>& k,
                         const PlatePart& part, std::size_t part_count,
                         const std::vector<int>& weak) {
  const int equations = static_cast<int>(3 * model.nodes.size());
  const PartFreedoms freedoms = part_freedoms(model, part, weak, equations);
  VectorXd scale;
  const MatrixXd a = scaled_stiffness(k, equations, freedoms, scale);
  const MatrixXd scaled_null = null_basis(a, freedoms);
  if (scaled_null.cols() == 0) {
    return {};
  }
  // Null motions in the part's measure: w in m, rotations times the part's size.
  VectorXd measure(scale.size());
  for (Eigen::Index row = 0; row < scale.size(); ++row) {
    measure(row) = scale(row) * (freedoms.equations[row] % 3 == 0 ? 1.0 : freedoms.length);
  }
  const MatrixXd null = orthonormal_columns(measure.asDiagonal() * scaled_null);
  const MatrixXd patterns = motion_patterns(model, part, freedoms, checkerboard_signs(model, part));
  const MatrixXd rigid = shared_combinations(null, patterns.leftCols(3));
  const auto with_checkerboard = shared_combinations(null, patterns).cols();
  const std::string name = part_text(part, part_count);
  const int element = part_count == 1 ? 0 : part.elements.front();
  Findings findings;
  if (rigid.cols() > 0) {
    findings.push_back({Severity::error, "mechanism-rigid", 0, 0, element, 0,
                        rigid_message(model, rigid, freedoms, name)});
  }
  if (with_checkerboard > rigid.cols()) {
    findings.push_back({Severity::error, "mechanism-spurious", 0, 0, element, 0,
                        spurious_message(model, part, name)});
  }
  const MatrixXd rest = unexplained_directions(null, patterns);
  const std::vector<bool> sprung = sprung_equations(model);
  for (Eigen::Index column = 0; column < rest.cols(); ++column) {
    if (strains_nothing(model, part, freedoms, rest.col(column), sprung)) {
      findings.push_back(
          {Severity::error, "mechanism-global", 0, 0, element, 0, global_message(name)});
      break;
    }
  }
  return findings;
}

}  // namespace

Findings find_mechanisms(const PlateModel& model, const std::vector<double>& stiffness) {
  const int equations = static_cast<int>(3 * model.nodes.size());
  const std::vector<int> weak = local_freedoms(stiffness, equations);
  Findings findings = local_mechanism_findings(model, weak);
  const std::vector<PlatePart> parts = plate_parts(model);
  for (const PlatePart& part : parts) {
    Findings found = part_mechanisms(model, stiffness, part, parts.size(), weak);
    findings.insert(findings.end(), found.begin(), found.end());
  }
  return findings;
}

std::string explain_mechanisms(const PlateModel& model) {
  const StiffnessOutcome stiffness = assemble_model_stiffness(model);
  const auto* matrix = std::get_if<std::vector<double>>(&stiffness);
  if (matrix == nullptr) {
    return "";
  }
  std::string text;
  for (const Finding& finding : find_mechanisms(model, *matrix)) {
    text += (finding.node != 0 ? "node " + std::to_string(finding.node) + ": " : "") +
            finding.message + "\n";
  }
  return text;
}

}  // namespace lajefem
