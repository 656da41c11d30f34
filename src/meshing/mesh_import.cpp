#include "meshing/mesh_import.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "meshing/data_file_writer.hpp"
#include "meshing/meshing_error.hpp"
#include "model/equation_numbering.hpp"

namespace lajefem::meshing {

namespace {

constexpr int quadrangle = 3;
constexpr int triangle = 2;

std::string element_name(const GmshElement& element) {
  return "element " + std::to_string(element.tag) + " (" + gmsh_type_name(element.type) +
         ") of surface " + std::to_string(element.entity_tag);
}

void check_surface_element(const GmshElement& element) {
  if (element.entity_dim == 3) {
    throw MeshingError("the mesh has volume elements: mesh the plate in 2-D (gmsh -2)");
  }
  if (element.entity_dim != 2 || element.type == quadrangle) {
    return;
  }
  if (element.type == triangle) {
    throw MeshingError(element_name(element) +
                       ": the plate must be all quadrangles; recombine the mesh "
                       "(Mesh.RecombineAll = 1, or Recombine Surface, with "
                       "Mesh.SubdivisionAlgorithm = 1)");
  }
  throw MeshingError(element_name(element) +
                     ": import takes first-order 4-node quadrangles only (Mesh.ElementOrder = 1)");
}

// Twice the signed area of the corners (x, y): positive when anticlockwise.
double twice_signed_area(const std::array<const GmshNode*, 4>& corners) {
  double sum = 0;
  for (std::size_t a = 0; a < 4; ++a) {
    const GmshNode& p = *corners[a];
    const GmshNode& q = *corners[(a + 1) % 4];
    sum += p.x * q.y - q.x * p.y;
  }
  return sum;
}

// True when the Jacobian is positive at every corner: (next − a) × (previous − a) > 0.
bool convex_anticlockwise(const std::array<const GmshNode*, 4>& corners) {
  for (std::size_t a = 0; a < 4; ++a) {
    const GmshNode& p = *corners[a];
    const GmshNode& next = *corners[(a + 1) % 4];
    const GmshNode& previous = *corners[(a + 3) % 4];
    const double cross = (next.x - p.x) * (previous.y - p.y) - (next.y - p.y) * (previous.x - p.x);
    if (!(cross > 0)) {
      return false;
    }
  }
  return true;
}

std::map<long, std::size_t> node_positions(const GmshMesh& mesh) {
  std::map<long, std::size_t> positions;
  for (std::size_t n = 0; n < mesh.nodes.size(); ++n) {
    if (!positions.emplace(mesh.nodes[n].tag, n).second) {
      throw MeshingError("node tag " + std::to_string(mesh.nodes[n].tag) + " appears twice");
    }
  }
  return positions;
}

const GmshNode& node_of_tag(const GmshMesh& mesh, const std::map<long, std::size_t>& positions,
                            long tag) {
  const auto found = positions.find(tag);
  if (found == positions.end()) {
    throw MeshingError("an element uses node " + std::to_string(tag) +
                       ", which $Nodes does not hold");
  }
  return mesh.nodes[found->second];
}

void check_flat(const ImportedMesh& imported, const std::vector<double>& heights) {
  const auto [low, high] = std::minmax_element(heights.begin(), heights.end());
  double extent = 1.0;
  for (const PlateNode& node : imported.model.nodes) {
    extent = std::max(
        {extent, std::abs(static_cast<double>(node.x)), std::abs(static_cast<double>(node.y))});
  }
  if (*high - *low > 1e-9 * extent) {
    throw MeshingError("the mesh is not flat: z runs from " + std::to_string(*low) + " to " +
                       std::to_string(*high) + "; draw the plate in a plane z = constant");
  }
}

}  // namespace

ImportedMesh import_quadrangles(const GmshMesh& mesh) {
  const auto positions = node_positions(mesh);
  ImportedMesh imported;
  std::map<long, int> model_node;  // gmsh tag -> model node number, in the order of first use
  std::vector<double> heights;
  for (const GmshElement& element : mesh.elements) {
    check_surface_element(element);
    if (element.entity_dim != 2) {
      continue;
    }
    if (element.nodes.size() != 4) {
      throw MeshingError(element_name(element) + " does not have 4 nodes");
    }
    std::array<const GmshNode*, 4> corners{};
    for (std::size_t a = 0; a < 4; ++a) {
      corners[a] = &node_of_tag(mesh, positions, element.nodes[a]);
    }
    PlateElement plate_element;
    std::array<std::size_t, 4> order{0, 1, 2, 3};
    if (twice_signed_area(corners) < 0) {
      order = {0, 3, 2, 1};
      ++imported.reversed_elements;
    }
    std::array<const GmshNode*, 4> ordered{};
    for (std::size_t a = 0; a < 4; ++a) {
      ordered[a] = corners[order[a]];
    }
    if (!convex_anticlockwise(ordered)) {
      throw MeshingError(element_name(element) + " is not convex or is degenerate");
    }
    for (std::size_t a = 0; a < 4; ++a) {
      const GmshNode& node = *ordered[a];
      const auto [at, added] =
          model_node.emplace(node.tag, static_cast<int>(imported.model.nodes.size()) + 1);
      if (added) {
        imported.model.nodes.push_back({static_cast<float>(node.x), static_cast<float>(node.y)});
        imported.node_tags.push_back(node.tag);
        heights.push_back(node.z);
      }
      plate_element.nodes[a] = at->second;
    }
    imported.model.elements.push_back(plate_element);
    imported.element_tags.push_back(element.tag);
  }
  if (imported.model.elements.empty()) {
    throw MeshingError(
        "the mesh has no quadrangles: mesh the plate's surface (gmsh -2) and "
        "give it a Physical Surface, or save all elements (Mesh.SaveAll = 1)");
  }
  check_flat(imported, heights);
  imported.dropped_nodes = static_cast<int>(mesh.nodes.size() - imported.model.nodes.size());
  return imported;
}

namespace {

// The physical groups of that name, (dimension, physical tag); MeshingError listing the names
// the mesh holds when there is none.
std::set<EntityKey> named_groups(const GmshMesh& mesh, const std::string& name) {
  std::set<EntityKey> groups;
  for (const auto& [key, group_name] : mesh.group_names) {
    if (group_name == name) {
      groups.insert(key);
    }
  }
  if (groups.empty()) {
    std::string names;
    for (const auto& [key, group_name] : mesh.group_names) {
      names += (names.empty() ? "" : ", ") + group_name;
    }
    throw MeshingError("no physical group '" + name +
                       "' in the mesh; it holds: " + (names.empty() ? "none" : names));
  }
  return groups;
}

// The elements of the entities of the named groups, in file order.
std::vector<const GmshElement*> group_elements(const GmshMesh& mesh, const std::string& name) {
  const std::set<EntityKey> groups = named_groups(mesh, name);
  std::vector<const GmshElement*> elements;
  for (const GmshElement& element : mesh.elements) {
    const auto entity = mesh.entity_groups.find({element.entity_dim, element.entity_tag});
    if (entity == mesh.entity_groups.end()) {
      continue;
    }
    const bool in_group = std::any_of(entity->second.begin(), entity->second.end(), [&](int tag) {
      return groups.count({element.entity_dim, tag}) != 0;
    });
    if (in_group) {
      elements.push_back(&element);
    }
  }
  return elements;
}

void stiffen(SupportSprings& springs, const SupportSprings& more) {
  springs.w = std::max(springs.w, more.w);
  springs.theta_x = std::max(springs.theta_x, more.theta_x);
  springs.theta_y = std::max(springs.theta_y, more.theta_y);
}

// A group that supports no node would leave the model without the supports asked for.
[[noreturn]] void throw_empty_group(const GmshMesh& mesh, const std::string& name) {
  if (!mesh.has_entities) {
    throw MeshingError("group '" + name +
                       "' cannot be placed on the mesh: the file has no $Entities section, which "
                       "ties the elements to the physical groups; save the mesh again from gmsh "
                       "as MSH 4.1 ASCII without removing that section");
  }
  throw MeshingError("group '" + name +
                     "' holds no element of the mesh, so it supports no node: mesh the points or "
                     "curves of the group, or save all elements (Mesh.SaveAll = 1)");
}

// The group's elements, refused when there is none.
std::vector<const GmshElement*> elements_of_group(const GmshMesh& mesh, const std::string& name) {
  std::vector<const GmshElement*> elements = group_elements(mesh, name);
  if (elements.empty()) {
    throw_empty_group(mesh, name);
  }
  return elements;
}

// Model node of each gmsh node tag.
class NodeNumbers {
 public:
  explicit NodeNumbers(const ImportedMesh& imported) {
    for (std::size_t n = 0; n < imported.node_tags.size(); ++n) {
      numbers_[imported.node_tags[n]] = static_cast<int>(n) + 1;
    }
  }

  int of(long tag, const std::string& group) const {
    const auto node = numbers_.find(tag);
    if (node == numbers_.end()) {
      throw MeshingError("group '" + group + "': node " + std::to_string(tag) +
                         " is not a corner of any quadrangle");
    }
    return node->second;
  }

 private:
  std::map<long, int> numbers_;
};

constexpr int curve_dimension = 1;

// The segments (line elements, end to end) of a group's curves: MeshingError when it has none.
std::vector<const GmshElement*> curve_segments(const GmshMesh& mesh, const std::string& group,
                                               const std::string& use) {
  std::vector<const GmshElement*> segments;
  for (const GmshElement* element : elements_of_group(mesh, group)) {
    if (element->entity_dim == curve_dimension && element->nodes.size() >= 2) {
      segments.push_back(element);
    }
  }
  if (segments.empty()) {
    throw MeshingError("group '" + group + "' holds no curve: " + use +
                       " takes a physical curve (Physical Curve)");
  }
  return segments;
}

std::string point_text(const PlateNode& node) {
  return "(" + real_text(node.x) + ", " + real_text(node.y) + ")";
}

// θx (slope along x) or θy of the segment from a to b, along or across it: the segment must run
// along x or along y to within a millionth of its length.
int held_slope(const PlateNode& a, const PlateNode& b, CurveSupport::Slope slope,
               const std::string& group) {
  const double dx = std::abs(static_cast<double>(b.x) - a.x);
  const double dy = std::abs(static_cast<double>(b.y) - a.y);
  constexpr double straightness = 1e-6;
  const bool along_x = dy <= straightness * dx;
  const bool along_y = dx <= straightness * dy;
  if (along_x == along_y) {
    throw MeshingError("group '" + group + "': the segment from " + point_text(a) + " to " +
                       point_text(b) +
                       " runs along neither x nor y; the data file holds the slopes θx and θy "
                       "only, so H and Y apply to curves along x or y (give S or C there)");
  }
  const bool theta_x = along_x == (slope == CurveSupport::Slope::along);
  return theta_x ? freedom_theta_x : freedom_theta_y;
}

// The springs a curve support puts on the ends of each of its segments.
void add_curve_springs(std::map<int, SupportSprings>& springs, const ImportedMesh& imported,
                       const GmshMesh& mesh, const CurveSupport& support) {
  const NodeNumbers numbers(imported);
  for (const GmshElement* segment : curve_segments(mesh, support.group, "H and Y")) {
    const int a = numbers.of(segment->nodes[0], support.group);
    const int b = numbers.of(segment->nodes[1], support.group);
    const auto& nodes = imported.model.nodes;
    const int slope =
        held_slope(nodes[static_cast<std::size_t>(a) - 1], nodes[static_cast<std::size_t>(b) - 1],
                   support.slope, support.group);
    SupportSprings held;
    held.w = support.slope == CurveSupport::Slope::along ? support.spring : 0;
    (slope == freedom_theta_x ? held.theta_x : held.theta_y) = support.spring;
    stiffen(springs[a], held);
    stiffen(springs[b], held);
  }
}

}  // namespace

void add_group_supports(ImportedMesh& imported, const GmshMesh& mesh,
                        const std::vector<GroupSupport>& supports,
                        const std::vector<CurveSupport>& curve_supports) {
  const NodeNumbers numbers(imported);
  std::map<int, SupportSprings> springs;  // by model node
  for (const GroupSupport& support : supports) {
    std::set<long> tags;
    for (const GmshElement* element : elements_of_group(mesh, support.group)) {
      tags.insert(element->nodes.begin(), element->nodes.end());
    }
    for (const long tag : tags) {
      stiffen(springs[numbers.of(tag, support.group)], support.springs);
    }
  }
  for (const CurveSupport& support : curve_supports) {
    add_curve_springs(springs, imported, mesh, support);
  }
  for (const auto& [node, s] : springs) {
    imported.model.supports.push_back({node, s.w, s.theta_x, s.theta_y});
  }
}

std::vector<int> point_support_nodes(const ImportedMesh& imported, const GmshMesh& mesh,
                                     const std::vector<std::string>& groups) {
  constexpr int point_dimension = 0;
  const NodeNumbers numbers(imported);
  std::set<int> points;
  for (const std::string& group : groups) {
    for (const GmshElement* element : group_elements(mesh, group)) {
      if (element->entity_dim == point_dimension) {
        for (const long tag : element->nodes) {
          points.insert(numbers.of(tag, group));
        }
      }
    }
  }
  std::vector<int> held;
  for (const PlateSupport& support : imported.model.supports) {
    if (support.spring_w > 0 && points.count(support.node) != 0) {
      held.push_back(support.node);
    }
  }
  return held;
}

NodalForces surface_patch_forces(const ImportedMesh& imported, const GmshMesh& mesh,
                                 const std::string& group, double q) {
  std::set<long> tags;
  for (const GmshElement* element : elements_of_group(mesh, group)) {
    if (element->entity_dim == 2) {
      tags.insert(element->tag);
    }
  }
  std::vector<int> elements;
  for (std::size_t e = 0; e < imported.element_tags.size(); ++e) {
    if (tags.count(imported.element_tags[e]) != 0) {
      elements.push_back(static_cast<int>(e) + 1);
    }
  }
  if (elements.empty()) {
    throw MeshingError("group '" + group +
                       "' holds no quadrangle: --patch takes a physical surface (Physical "
                       "Surface)");
  }
  return patch_nodal_forces(imported.model, elements, q);
}

NodalForces curve_line_forces(const ImportedMesh& imported, const GmshMesh& mesh,
                              const std::string& group, double p) {
  const NodeNumbers numbers(imported);
  std::vector<ElementSide> sides;
  for (const GmshElement* segment : curve_segments(mesh, group, "--line")) {
    sides.push_back({numbers.of(segment->nodes[0], group), numbers.of(segment->nodes[1], group)});
  }
  try {
    return line_nodal_forces(imported.model, sides, p);
  } catch (const MeshingError& error) {
    throw MeshingError("group '" + group + "': " + error.what() +
                       " (mesh the curve with the surface: Curve{...} In Surface{...})");
  }
}

}  // namespace lajefem::meshing
